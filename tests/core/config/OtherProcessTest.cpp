#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/EventLog.h"
#include "core/config/Settings.h"
#include "support/OtherProcess.h"
#include "support/TestApp.h"

using namespace baromon;
using baromon::fakes::HeldByOtherProcess;
using baromon::fakes::TestApp;

namespace {

TEST(HeldByAnotherProcess, ProtocolLinesAreLostWithoutWaiting) {
  TestApp t;
  t.dir.write("monitor.err", "kept\r\n");
  {
    HeldByOtherProcess other(t.dir.file("monitor.err"));
    ASSERT_TRUE(other.held());
    EXPECT_EQ(reportEvent(t.app, Event::FileOpenFailed), 0);
    reportFatal(t.app, Fatal::FontNotSelected);
    EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
  }
  EXPECT_EQ(t.dir.read("monitor.err"), "kept\r\n");
}

TEST(HeldByAnotherProcess, SettingsFileCannotBeReadOrWritten) {
  TestApp t;
  t.dir.write("monitor.ini", "held");
  {
    HeldByOtherProcess other(t.dir.file("monitor.ini"));
    ASSERT_TRUE(other.held());
    EXPECT_EQ(loadSettings(t.app), 0);
    applyDefaultSettings(t.app.settings);
    saveSettings(t.app);
  }
  EXPECT_EQ(t.dir.read("monitor.ini"), "held");
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 2 error: no file MONITOR.INI !\r\n"
                                       "07.12.2026 07:05  event # 3 error writing in file MONITOR.INI !\r\n"
                                       "07.12.2026 07:05 fatal error # 001\n");
  EXPECT_EQ(t.windows.quits.size(), 1u);
}

} // namespace
