#include <gtest/gtest.h>

#include <string>

#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "support/TestApp.h"
#include "core/program/InfoTexts.h"
#include "core/program/Startup.h"
#include "core/program/WindowProcedure.h"
#include "core/config/EventLog.h"
#include "core/config/Menus.h"
#include "core/serial/SerialPort.h"
#include "platform/DirectoryLock.h"

namespace baromon {
namespace {

using fakes::eventCodes;
using fakes::eventNumbers;
using fakes::TestApp;
using platform::WindowId;
using testlog::logRecords;

struct Startup : ::testing::Test {
  TestApp t;
  AppContext& app = t.app;
  // The position of a call kind in the recorded order.
  std::size_t indexOf(const std::string& call, std::size_t from = 0) {
    for (std::size_t i = from; i < t.windows.calls.size(); ++i) {
      if (t.windows.calls[i] == call) {
        return i;
      }
    }
    return std::string::npos;
  }
};

TEST_F(Startup, FirstStartInAnEmptyDirectory) {
  t.ports.add("COM2");
  ASSERT_EQ(startUp(app), 0);
  EXPECT_EQ(eventCodes(t.dir.read("monitor.err")),
            eventNumbers({Event::NoSettingsFile, Event::SettingsNotFound}));
  const std::string ini = t.dir.read("monitor.ini");
  EXPECT_EQ(ini.size(), 125u);
  EXPECT_NE(ini.find("KX"), std::string::npos);
  EXPECT_NE(ini.find("LANG=DE"), std::string::npos);
  EXPECT_EQ(app.settings.displayStep, 300u);
  EXPECT_EQ(app.settings.recordInterval, 300);
  EXPECT_EQ(app.settings.portDigit, '2');

  const auto& main = t.windows.windows.at(WindowId::Main);
  EXPECT_EQ(main.lastShow, platform::ShowMode::ShowMaximized);
  EXPECT_EQ(main.wanted.style, platform::WindowStyle::OverlappedWithScrollBar);
  EXPECT_EQ(main.wanted.width, 1280);
  EXPECT_EQ(t.windows.scrollPosition, 100);
  EXPECT_TRUE(t.windows.windowExists(WindowId::Values));
  EXPECT_FALSE(t.windows.visible(WindowId::Values)) << "DW is off by default";
  EXPECT_TRUE(t.windows.windowExists(WindowId::Converter));
  EXPECT_EQ(t.windows.menuBar.popups.at(0).title, "&Datei");
  EXPECT_TRUE(t.windows.menuBar.find(cmd::Com2)->checked);
  EXPECT_FALSE(t.windows.menuBar.find(cmd::Com3)->enabled);
  EXPECT_TRUE(app.serial.open);
  EXPECT_EQ(t.ports.opens["COM2"], 2) << "probed once, then opened";
  EXPECT_EQ(t.windows.timerPeriod, 200);
  EXPECT_TRUE(t.windows.boxes.empty());
  EXPECT_EQ(app.converter.minimum, 65535u);

  // The order of the visible steps: window, scroll bar, titles, menu, port, timer.
  const auto create = indexOf("create");
  const auto scroll = indexOf("scroll");
  const auto menu = indexOf("menubar");
  const auto timer = indexOf("timer");
  EXPECT_LT(create, scroll);
  EXPECT_LT(scroll, menu);
  EXPECT_LT(menu, timer);
  EXPECT_EQ(timer, t.windows.calls.size() - 1) << "the timer starts last";
}

TEST_F(Startup, AbsentPortStillStartsAndTheLinkReadsInactive) {
  ASSERT_EQ(startUp(app), 0);
  ASSERT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.windows.boxes[0].caption, "serielle Schnittstelle");
  EXPECT_FALSE(app.serial.open);
  onTimer(app);
  EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link inactive");
  onTimer(app);
  EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link inactive");
}

TEST_F(Startup, SettingsFromTheFileAndTheHistoryFromTheLog) {
  ASSERT_EQ(startUp(app), 0);
  app.settings.dataMode = DataMode::Nmea;
  app.settings.language = 1;
  app.settings.valuesWindow = 1;
  app.settings.portDigit = '3';
  EXPECT_EQ(shutDown(app, 0), 0);

  TestApp second;
  second.dir.write("monitor.ini", t.dir.read("monitor.ini"));
  second.dir.write("monitor.txt", logRecords(20));
  second.ports.add("COM3");
  ASSERT_EQ(startUp(second.app), 0);
  EXPECT_TRUE(eventCodes(second.dir.read("monitor.err")).empty());
  EXPECT_EQ(second.windows.menuBar.popups.at(0).title, "&File");
  EXPECT_TRUE(second.windows.menuBar.find(cmd::NmeaMode)->checked);
  EXPECT_TRUE(second.windows.visible(WindowId::Values));
  EXPECT_EQ(second.app.view.recordCount, 20);
  EXPECT_NE(second.windows.titles[WindowId::Main], kInitialMainTitle) << "the mode title replaced it";
}

TEST_F(Startup, FailuresToMakeTheWindowsEndWith255) {
  {
    TestApp f;
    f.windows.failRegister = true;
    EXPECT_EQ(startUp(f.app), 255);
    EXPECT_EQ(eventCodes(f.dir.read("monitor.err")),
              eventNumbers({Event::NoSettingsFile, Event::SettingsNotFound, Event::ClassNotRegistered}));
    EXPECT_TRUE(f.windows.windows.empty());
    EXPECT_EQ(f.windows.timerPeriod, 0);
  }
  {
    TestApp f;
    f.windows.failCreate.insert(WindowId::Main);
    EXPECT_EQ(startUp(f.app), 255);
    EXPECT_EQ(eventCodes(f.dir.read("monitor.err")),
              eventNumbers({Event::NoSettingsFile, Event::SettingsNotFound, Event::WindowNotCreated}));
    EXPECT_EQ(f.windows.timerPeriod, 0);
  }
  {
    // A child window that cannot be made is reported and the start goes on.
    TestApp f;
    f.ports.add("COM2");
    f.windows.failCreate.insert(WindowId::Values);
    EXPECT_EQ(startUp(f.app), 0);
    EXPECT_EQ(eventCodes(f.dir.read("monitor.err")),
              eventNumbers({Event::NoSettingsFile, Event::SettingsNotFound, Event::WindowNotCreated}));
    EXPECT_EQ(f.windows.timerPeriod, 200);
  }
}

// A fatal error is a failure to the caller too: a service manager restarts only a monitor
// that ended with an error, and a script must not read a dead start as a good run.
TEST_F(Startup, AFatalErrorEndsWith255WhereverItWasRaised) {
  for (const Fatal fatal : {Fatal::SettingsNotWritten, Fatal::FontNotCreated}) {
    TestApp f;
    f.ports.add("COM2");
    ASSERT_EQ(startUp(f.app), 0);
    reportFatal(f.app, fatal);
    ASSERT_EQ(f.windows.quits, std::vector<int>{0}) << "the loop ends at its next fetch";
    EXPECT_EQ(shutDown(f.app, f.windows.quits.back()), kStartFailed);
  }
  {
    // A quit asked for after the fatal one does not turn the end into a good one.
    TestApp f;
    f.ports.add("COM2");
    ASSERT_EQ(startUp(f.app), 0);
    reportFatal(f.app, Fatal::CurvePenFailed);
    onCommand(f.app, WindowId::Main, cmd::Exit);
    EXPECT_EQ(shutDown(f.app, f.windows.quits.back()), kStartFailed);
  }
  {
    // The user's Exit after an ordinary run.
    TestApp f;
    f.ports.add("COM2");
    ASSERT_EQ(startUp(f.app), 0);
    onCommand(f.app, WindowId::Main, cmd::Exit);
    EXPECT_EQ(shutDown(f.app, f.windows.quits.back()), 0);
  }
}

TEST_F(Startup, ShutdownSavesOnceThenStopsTheTimer) {
  t.ports.add("COM2");
  ASSERT_EQ(startUp(app), 0);
  t.dir.write("monitor.ini", "");
  app.settings.beepOnFastFall = 1;
  onCommand(app, WindowId::Main, cmd::Exit);
  ASSERT_EQ(t.windows.quits, std::vector<int>{0});
  t.windows.calls.clear();
  EXPECT_EQ(shutDown(app, t.windows.quits.back()), 0);
  EXPECT_EQ(t.dir.read("monitor.ini").size(), 125u);
  EXPECT_EQ(t.windows.calls.front(), "killtimer") << "the settings were written before the timer stopped";
  EXPECT_EQ(t.windows.timerPeriod, 0);
  EXPECT_FALSE(app.serial.device);
  EXPECT_TRUE(t.windows.windows.empty());
}

// A logger started at boot, before its USB adapter is there.
TEST_F(Startup, APortMissingAtStartIsOpenedQuietlyOnceItAppears) {
  t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
  ASSERT_EQ(startUp(app), 0);
  ASSERT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.windows.boxes[0].caption, "serielle Schnittstelle");
  const std::vector<int> startEvents{2, 11, 1, 15};
  EXPECT_EQ(eventCodes(t.dir.read("monitor.err")), startEvents);
  const int opensAtStart = t.ports.opens["COM2"];

  // A minute without the device: 5 ticks a second, one quiet attempt every 5 s.
  for (int second = 0; second < 60; ++second) {
    for (int i = 0; i < 5; ++i) {
      onTimer(app);
    }
    t.clock.advanceSeconds(1);
  }
  EXPECT_EQ(t.ports.opens["COM2"], opensAtStart + 11);
  EXPECT_FALSE(app.serial.open);

  t.ports.add("COM2"); // plugged in at 10:04:00
  for (int i = 0; i < 5 * 5; ++i) {
    onTimer(app);
    if (i % 5 == 4) {
      t.clock.advanceSeconds(1);
    }
  }
  EXPECT_TRUE(app.serial.open);
  t.clock.utc = {2026, 12, 7, 10, 5, 0, 1};
  t.ports.feed("COM2", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
  onTimer(app);
  EXPECT_EQ(t.dir.read("monitor.txt").size(), 80u) << "the boundary of 10:05 is recorded";
  EXPECT_EQ(t.windows.boxes.size(), 1u) << "the box of the start only";
  EXPECT_EQ(eventCodes(t.dir.read("monitor.err")), startEvents) << "the attempts are quiet";
}

// A logger restarted within the minute of a boundary it already recorded (a service
// restart, an update) must not record that boundary again: the log would hold the minute
// twice and the check would report it as an error.
TEST_F(Startup, ARestartWithinARecordedBoundaryMinuteDoesNotRecordItAgain) {
  t.ports.add("COM2");
  const std::string logged = testlog::record(7, 7, 12, 2026, 10, 10, 99850);
  t.dir.write("monitor.txt", logged);
  t.clock.utc = {2026, 12, 7, 10, 10, 52, 1};
  ASSERT_EQ(startUp(app), 0);
  const std::string pxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  t.ports.feed("COM2", pxdr);
  onTimer(app);
  EXPECT_EQ(t.dir.read("monitor.txt"), logged) << "10:10 is in the log already";

  t.clock.utc = {2026, 12, 7, 10, 15, 0, 1};
  t.ports.feed("COM2", pxdr);
  onTimer(app);
  EXPECT_EQ(t.dir.read("monitor.txt").size(), 160u) << "the next boundary is recorded";

  // A log that ends at another boundary, or on a minute that is none, holds nothing back.
  for (const int minute : {5, 8}) {
    TestApp other;
    other.ports.add("COM2");
    other.dir.write("monitor.txt", testlog::record(7, 7, 12, 2026, 10, minute, 99850));
    other.clock.utc = {2026, 12, 7, 10, 10, 52, 1};
    ASSERT_EQ(startUp(other.app), 0);
    other.ports.feed("COM2", pxdr);
    onTimer(other.app);
    EXPECT_EQ(other.dir.read("monitor.txt").size(), 160u) << "log ending at 10:0" << minute;
  }
}

// The user is at the screen and sees the box: a port picked from the menu keeps the
// rule of the port commands and is not retried behind the user's back.
TEST_F(Startup, APortPickedFromTheMenuThatFailsIsNotRetried) {
  ASSERT_EQ(startUp(app), 0);
  changePort(app, '3');
  EXPECT_EQ(t.windows.boxes.size(), 2u);
  t.ports.add("COM2");
  t.ports.add("COM3");
  const auto opens = t.ports.opens;
  for (int i = 0; i < 300; ++i) {
    onTimer(app);
    if (i % 5 == 4) {
      t.clock.advanceSeconds(1);
    }
  }
  EXPECT_EQ(t.ports.opens, opens);
  EXPECT_FALSE(app.serial.open);
}

// Answers the monitor's lock request as told and notes what the start had done by then.
struct FakeDirectoryLock final : platform::DirectoryLock {
  platform::LockResult answer = platform::LockResult::Taken;
  int attempts = 0;
  std::size_t windowCallsBefore = 0;
  std::map<std::string, std::string> directoryBefore;
  const TestApp* t = nullptr;

  platform::LockResult tryLock() override {
    ++attempts;
    windowCallsBefore = t->windows.calls.size();
    directoryBefore = t->dir.snapshot();
    return answer;
  }
};

TEST_F(Startup, ASecondMonitorInTheDirectoryShowsOneBoxAndTouchesNothing) {
  t.ports.add("COM2");
  t.dir.write("monitor.txt", logRecords(3));
  t.dir.write("monitor.err", "old protocol\r\n");
  const auto before = t.dir.snapshot();
  FakeDirectoryLock lock;
  lock.t = &t;
  lock.answer = platform::LockResult::HeldByAnother;
  app.platform.monitorLock = &lock;

  EXPECT_EQ(startUp(app), kAnotherMonitorRunning);
  ASSERT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.windows.boxes[0].text, anotherMonitorText(German))
      << "no settings to read: the default language";
  EXPECT_EQ(t.windows.boxes[0].caption, "baromon");
  EXPECT_EQ(t.windows.boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_EQ(t.windows.calls, std::vector<std::string>{"box:baromon"}) << "no window, no menu, no timer";
  EXPECT_TRUE(t.ports.opens.empty()) << "not even the port probe";
  EXPECT_EQ(t.dir.snapshot(), before);
}

// The refusal speaks the language the running monitor was set to, read from monitor.ini
// without writing anything.
TEST_F(Startup, ASecondMonitorRefusesInTheLanguageOfTheSettings) {
  const char* codes[] = {"DE", "EN", "FR", "NL", "IT", "SP"};
  for (int language = 0; language < kLanguageCount; ++language) {
    SCOPED_TRACE(codes[language]);
    TestApp fresh;
    fresh.dir.write("monitor.ini",
                    std::string("DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=0\nT3=0\nVAR=0\n"
                                "TC=0\nAD=0\nERR=1\nU=0\nSIG=0\nDKS=0\nLANG=") +
                        codes[language] + "\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n");
    const auto before = fresh.dir.snapshot();
    FakeDirectoryLock lock;
    lock.t = &fresh;
    lock.answer = platform::LockResult::HeldByAnother;
    fresh.app.platform.monitorLock = &lock;
    EXPECT_EQ(startUp(fresh.app), kAnotherMonitorRunning);
    ASSERT_EQ(fresh.windows.boxes.size(), 1u);
    EXPECT_EQ(fresh.windows.boxes[0].text, anotherMonitorText(language));
    EXPECT_EQ(fresh.dir.snapshot(), before);
  }
}

TEST_F(Startup, TheDirectoryLockIsTakenBeforeAnythingElse) {
  t.ports.add("COM2");
  FakeDirectoryLock lock;
  lock.t = &t;
  app.platform.monitorLock = &lock;
  ASSERT_EQ(startUp(app), 0);
  EXPECT_EQ(lock.attempts, 1);
  EXPECT_EQ(lock.windowCallsBefore, 0u);
  EXPECT_TRUE(lock.directoryBefore.empty()) << "no monitor.ini, no monitor.err yet";
  EXPECT_TRUE(t.dir.exists("monitor.ini"));
}

// Where no lock can be had (a file system without locks, no access to the directory)
// the monitor runs as it would without one.
TEST_F(Startup, ALockThatCannotBeHadDoesNotStopTheMonitor) {
  t.ports.add("COM2");
  FakeDirectoryLock lock;
  lock.t = &t;
  lock.answer = platform::LockResult::Unavailable;
  app.platform.monitorLock = &lock;
  EXPECT_EQ(startUp(app), 0);
  EXPECT_TRUE(t.windows.boxes.empty());
  EXPECT_TRUE(app.serial.open);
}

} // namespace
} // namespace baromon
