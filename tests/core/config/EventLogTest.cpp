#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/config/EventLog.h"
#include "support/TestApp.h"

using namespace baromon;
using baromon::fakes::TestApp;

namespace {

// The fake clock starts at 07.12.2026 07:05 UTC; local time equals it unless a test shifts it.
const std::string kHead = "07.12.2026 07:05  event # ";

TEST(ReportEvent, LineFormats) {
  struct Case {
    const char* legend;
    ErrorCode code;
    std::string line;
  };
  const Case cases[] = {
      {"text with trailing blank", 13, kHead + "13 error writing in file MONITOR.TXT \r\n"},
      {"text without trailing blank", 21, kHead + "21 error: WriteFile/ReadFile\r\n"},
      {"code 0", 0, kHead + "0 no error\r\n"},
      {"26 has no trailing blank", 26, kHead + "26 error #26\r\n"},
      {"36 has no trailing blank", 36, kHead + "36 error #36\r\n"},
      {"37 has one trailing blank", 37, kHead + "37 error #37 \r\n"},
      {"62 has one trailing blank", 62, kHead + "62 error #62 \r\n"},
      {"last text", 65, kHead + "65 error: LastError\r\n"},
      {"69 has no text", 69, kHead + "69 \r\n"},
      {"70 has no text", 70, kHead + "70 \r\n"},
      {"99 has no text", 99, kHead + "99 \r\n"},
      {"100", 100, kHead + "100 unidentified error #100 \r\n"},
      {"150 keeps its number with the text of 100", 150, kHead + "150 unidentified error #100 \r\n"},
      {"negative code has no text", -3, kHead + "-3 \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    EXPECT_EQ(reportEvent(t.app, c.code), 0);
    EXPECT_EQ(t.dir.read("monitor.err"), c.line);
    EXPECT_TRUE(t.windows.calls.empty());
  }
}

TEST(ReportEvent, TextTableShape) {
  // Spot texts byte for byte, then the numbered range: a shifted table shows up here.
  EXPECT_EQ(eventText(1), "error: COM port already in use !");
  EXPECT_EQ(eventText(4), "error using funktion FontSet - CreateFont ");
  EXPECT_EQ(eventText(11), "error: file MONITOR.INI not found ");
  EXPECT_EQ(eventText(18), "warning: >256 bytes in buffer ");
  EXPECT_EQ(eventText(20), "transmission error dwErrorFlags");
  EXPECT_EQ(eventText(24), "error: not enough free space or error on harddisk");
  EXPECT_EQ(eventText(25), "error using function CreateBrush");
  EXPECT_EQ(eventText(63), "readfile-error reading from COM port ");
  EXPECT_EQ(eventText(64), "error: SetCommState");
  for (int code = 14; code <= 17; ++code) {
    EXPECT_EQ(eventText(code), "error reading COM" + std::to_string(code - 13) + " ");
  }
  for (int code = 26; code <= 62; ++code) {
    EXPECT_EQ(eventText(code), "error #" + std::to_string(code) + (code >= 37 ? " " : "")) << code;
  }
  for (int code : {-2147483647 - 1, -1, 69, 80, 99}) {
    EXPECT_EQ(eventText(code), "") << code;
  }
  for (int code : {100, 101, 2147483647}) {
    EXPECT_EQ(eventText(code), "unidentified error #100 ") << code;
  }
}

// The names and the text table describe the same codes: every name has a text of its own and
// every code with a text of its own has a name, in order and without gaps or doubles.
TEST(EventNames, CoverExactlyTheCodesWithTheirOwnText) {
  std::vector<ErrorCode> named;
  for (Event event : kNamedEvents) {
    named.push_back(eventCode(event));
    EXPECT_FALSE(eventText(event).empty()) << eventCode(event);
  }
  std::vector<ErrorCode> withOwnText;
  for (ErrorCode code = 0; code < 100; ++code) {
    const std::string text = eventText(code);
    if (!text.empty() && text.rfind("error #", 0) != 0) {
      withOwnText.push_back(code);
    }
  }
  EXPECT_EQ(named, withOwnText);
  EXPECT_EQ(eventCode(Event::ReadWriteFailed), 21);
  EXPECT_EQ(eventText(Event::ReadWriteFailed), "error: WriteFile/ReadFile");
}

TEST(ReportEvent, UsesLocalTimeNotUtc) {
  TestApp t;
  t.clock.utc = {2026, 12, 31, 23, 30, 0, 4};
  t.clock.localOffsetHours = 1;
  reportEvent(t.app, Event::LogErased);
  EXPECT_EQ(t.dir.read("monitor.err"), "01.01.2027 00:30  event # 12 file MONITOR.TXT has been erased \r\n");
}

TEST(ReportEvent, SwitchedOffLeavesTheFileAloneButFatalStillWrites) {
  TestApp t;
  t.app.settings.logEvents = 0;
  EXPECT_EQ(reportEvent(t.app, Event::FileOpenFailed), 1);
  EXPECT_FALSE(t.dir.exists("monitor.err"));
  t.dir.write("monitor.err", "old\r\n");
  EXPECT_EQ(reportEvent(t.app, Event::FileOpenFailed), 1);
  EXPECT_EQ(t.dir.read("monitor.err"), "old\r\n");
  reportFatal(t.app, Fatal::SettingsNotWritten);
  EXPECT_EQ(t.dir.read("monitor.err"), "old\r\n07.12.2026 07:05 fatal error # 001\n");
}

TEST(ReportEvent, AppendsAfterExistingLinesAndMixesWithFatalLines) {
  TestApp t;
  EXPECT_FALSE(t.dir.exists("monitor.err"));
  reportEvent(t.app, Event::NoSettingsFile);
  t.clock.advanceSeconds(60);
  reportFatal(t.app, Fatal::SettingsNotWritten);
  reportEvent(t.app, Event::SettingsNotFound);
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 2 error: no file MONITOR.INI !\r\n"
                                       "07.12.2026 07:06 fatal error # 001\n"
                                       "07.12.2026 07:06  event # 11 error: file MONITOR.INI not found \r\n");
}

TEST(ReportFatal, LineBoxBeepAndQuitInOrder) {
  struct Case {
    const char* legend;
    ErrorCode code;
    platform::DateTime local;
    std::string line;
    std::string box;
  };
  const Case cases[] = {
      {"settings file",
       1,
       {2026, 12, 7, 7, 5, 0, 1},
       "07.12.2026 07:05 fatal error # 001\n",
       "07.12.2026 07:05\nerror 001\nprogram end "},
      {"font",
       61,
       {2003, 1, 2, 23, 59, 0, 4},
       "02.01.2003 23:59 fatal error # 061\n",
       "02.01.2003 23:59\nerror 061\nprogram end "},
      {"three digits",
       150,
       {2026, 12, 7, 7, 5, 0, 1},
       "07.12.2026 07:05 fatal error # 150\n",
       "07.12.2026 07:05\nerror 150\nprogram end "},
      {"negative code",
       -3,
       {2026, 12, 7, 7, 5, 0, 1},
       "07.12.2026 07:05 fatal error # -03\n",
       "07.12.2026 07:05\nerror -03\nprogram end "},
      {"year below 1000 is padded with blanks",
       7,
       {999, 3, 4, 5, 6, 0, 0},
       "04.03. 999 05:06 fatal error # 007\n",
       "04.03. 999 05:06\nerror 007\nprogram end "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.clock.utc = c.local;
    reportFatal(t.app, c.code);
    EXPECT_EQ(t.dir.read("monitor.err"), c.line);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, c.box);
    EXPECT_EQ(t.windows.boxes[0].caption, "Error");
    EXPECT_EQ(t.windows.boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
    EXPECT_EQ(t.windows.quits, std::vector<int>{0});
  }
}

TEST(ReportFatal, SecondFatalReportsAgain) {
  // The caller goes on after a fatal report, and may meet another one before the loop ends.
  TestApp t;
  reportFatal(t.app, Fatal::FontNotCreated);
  reportFatal(t.app, Fatal::FontNotSelected);
  EXPECT_EQ(t.dir.read("monitor.err"),
            "07.12.2026 07:05 fatal error # 060\n07.12.2026 07:05 fatal error # 061\n");
  EXPECT_EQ(t.windows.quits.size(), 2u);
}

TEST(EventLogFile, HeldByAnotherOpenerLosesTheLineAndNothingElse) {
  TestApp t;
  t.dir.write("monitor.err", "kept\r\n");
  {
    auto holder =
        t.files.open("monitor.err", platform::FileAccess::ReadWrite, platform::OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    EXPECT_EQ(reportEvent(t.app, Event::FileOpenFailed), 0);
    reportFatal(t.app, Fatal::SettingsNotWritten);
    // The fatal path still informs the user and ends the program.
    EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
  }
  EXPECT_EQ(t.dir.read("monitor.err"), "kept\r\n");
  reportEvent(t.app, Event::LogErased);
  EXPECT_EQ(t.dir.read("monitor.err"),
            "kept\r\n07.12.2026 07:05  event # 12 file MONITOR.TXT has been erased \r\n");
}

TEST(EventLogFile, UncreatableFileNeverStopsAnything) {
  TestApp t;
  // A directory in the file's place: neither open nor create can succeed.
  ASSERT_TRUE(std::filesystem::create_directory(t.dir.file("monitor.err")));
  EXPECT_EQ(reportEvent(t.app, Event::FileOpenFailed), 0);
  reportFatal(t.app, Fatal::SettingsNotWritten);
  EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
}

} // namespace
