#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "support/EventLogReader.h"
#include "core/config/Settings.h"
#include "support/FaultyFileSystem.h"
#include "support/OtherProcess.h"
#include "support/TestApp.h"

// monitor.ini is replaced as a whole or not at all: a failure anywhere on the
// way (a full disk at shutdown) must leave the settings the user had.

namespace baromon {
namespace {

using baromon::fakes::lexists;
using fakes::FaultyFileSystem;
using fakes::TestApp;

bool hasEvent(const TestApp& t, Event code) { return fakes::hasEvent(t.dir.read("monitor.err"), code); }

// A settings file unlike the defaults, as an earlier run left it.
std::string earlierFile() {
  TestApp t;
  applyDefaultSettings(t.app.settings);
  t.app.settings.displayStep = 1800;
  t.app.settings.language = 2;
  t.app.settings.heightCorrection = -1234;
  saveSettings(t.app);
  return t.dir.read("monitor.ini");
}

TEST(SettingsSave, AFailureAtAnyStepKeepsTheOldFileByteForByte) {
  const std::string old = earlierFile();
  ASSERT_EQ(old.size(), 125u);
  int steps = 0;
  std::string fresh;
  {
    TestApp t;
    t.dir.write("monitor.ini", old);
    FaultyFileSystem counting(t.files);
    AppContext app{Platform{t.clock, counting, t.windows, t.ports, t.graphics}};
    applyDefaultSettings(app.settings);
    saveSettings(app);
    steps = counting.steps;
    fresh = t.dir.read("monitor.ini");
    ASSERT_NE(fresh, old);
    ASSERT_EQ(fresh.size(), 125u);
  }
  for (int failAt = 1; failAt <= steps; ++failAt) {
    SCOPED_TRACE("failing step " + std::to_string(failAt));
    TestApp t;
    t.dir.write("monitor.ini", old);
    FaultyFileSystem faulty(t.files);
    faulty.failAt = failAt;
    std::string failed;
    faulty.onStep = [&](const std::string& what) {
      if (faulty.steps == failAt) {
        failed = what;
      }
    };
    AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
    applyDefaultSettings(app.settings);
    saveSettings(app);
    EXPECT_EQ(t.dir.read("monitor.ini"), old) << failed;
    EXPECT_FALSE(lexists(t.dir.file("monitor.ini.new"))) << failed;
    EXPECT_TRUE(hasEvent(t, Event::ReadWriteFailed) || hasEvent(t, Event::SettingsWriteFailed)) << failed;
  }
  // Writes that store half their bytes, as a disk filling up does.
  TestApp t;
  t.dir.write("monitor.ini", old);
  FaultyFileSystem halves(t.files);
  halves.shortWritesTo = "monitor.ini.new";
  AppContext app{Platform{t.clock, halves, t.windows, t.ports, t.graphics}};
  applyDefaultSettings(app.settings);
  saveSettings(app);
  EXPECT_EQ(t.dir.read("monitor.ini"), old);
  EXPECT_TRUE(hasEvent(t, Event::ReadWriteFailed));
  EXPECT_TRUE(t.windows.calls.empty()) << "a failed write is no fatal error";
}

TEST(SettingsSave, AFileHeldByAnotherProcessIsLeftAndTheErrorIsFatal) {
  const std::string old = earlierFile();
  TestApp t;
  t.dir.write("monitor.ini", old);
  {
    fakes::HeldByOtherProcess other(t.dir.file("monitor.ini"));
    ASSERT_TRUE(other.held());
    applyDefaultSettings(t.app.settings);
    saveSettings(t.app);
  }
  EXPECT_EQ(t.dir.read("monitor.ini"), old);
  EXPECT_FALSE(lexists(t.dir.file("monitor.ini.new")));
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 3 error writing in file MONITOR.INI !\r\n"
                                       "07.12.2026 07:05 fatal error # 001\n");
  EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
}

TEST(SettingsSave, LeftoversOfAnInterruptedSaveAreNotFollowed) {
  TestApp t;
  fakes::TempDir outside;
  outside.write("victim", "precious");
  ASSERT_EQ(::symlink(outside.file("victim").c_str(), t.dir.file("monitor.ini.new").c_str()), 0);
  applyDefaultSettings(t.app.settings);
  saveSettings(t.app);
  EXPECT_EQ(outside.read("victim"), "precious");
  EXPECT_EQ(t.dir.read("monitor.ini").size(), 125u);
  EXPECT_FALSE(lexists(t.dir.file("monitor.ini.new")));
  EXPECT_FALSE(t.dir.exists("monitor.err")) << t.dir.read("monitor.err");
}

// Settings kept elsewhere through a link stay there.
TEST(SettingsSave, ALinkedSettingsFileStaysALink) {
  const std::string old = earlierFile();
  TestApp t;
  fakes::TempDir elsewhere;
  elsewhere.write("monitor.ini", old);
  ASSERT_EQ(::symlink(elsewhere.file("monitor.ini").c_str(), t.dir.file("monitor.ini").c_str()), 0);
  applyDefaultSettings(t.app.settings);
  saveSettings(t.app);
  struct stat st {};
  ASSERT_EQ(::lstat(t.dir.file("monitor.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(elsewhere.read("monitor.ini"), old);
  EXPECT_EQ(elsewhere.read("monitor.ini").size(), 125u);
  EXPECT_EQ(loadSettings(t.app), 1);
}

// A FIFO under the name hangs neither the read at start nor the write: both fail as
// for a file that cannot be opened.
TEST(SettingsSave, AFifoNamedMonitorIniHangsNothing) {
  TestApp t;
  ASSERT_EQ(::mkfifo(t.dir.file("monitor.ini").c_str(), 0644), 0);
  const int result = fakes::inChildProcess([&] {
    if (loadSettings(t.app) != 0) {
      return 1;
    }
    applyDefaultSettings(t.app.settings);
    saveSettings(t.app);
    return t.windows.calls == std::vector<std::string>{"box:Error", "beep!", "quit"} ? 0 : 2;
  });
  ASSERT_NE(result, fakes::kHung) << "monitor.ini as a FIFO hangs";
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(hasEvent(t, Event::NoSettingsFile));
  EXPECT_TRUE(hasEvent(t, Event::SettingsWriteFailed));
}

} // namespace
} // namespace baromon
