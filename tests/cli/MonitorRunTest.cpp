#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ProgramRun.h"
#include "adapters/posix/HeadlessWindows.h"
#include "core/config/Settings.h"
#include "core/program/InfoTexts.h"
#include "core/program/Startup.h"
#include "support/EventLogReader.h"
#include "support/OtherProcess.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace {

using baromon::Event;
using baromon::clitest::BaromonChild;
using baromon::clitest::count;
using baromon::clitest::RawTerminal;
using baromon::fakes::eventCount;
using baromon::fakes::hasEvent;
using baromon::fakes::HeldByOtherProcess;
using baromon::fakes::parseEventLog;
using baromon::fakes::TempDir;
using baromon::fakes::waitFor;

// NMEA mode, so that every sentence reaches nmea.txt at once; English boxes; COM2.
const std::string kNmeaSettings = baromon::clitest::monitorSettings("NMEA");
// The refusal in the language of the settings file: English where kNmeaSettings lies, else German.
std::string refusal(int language) {
  return "baromon: " + baromon::platform::windows1252ToUtf8(baromon::anotherMonitorText(language)) + "\n";
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A logger started before its adapter: the device path (a link, as udev makes them)
// appears only after the start. `outputPath` empty: the monitor's output is a closed pipe.
void recordFromADeviceThatComesLater(const std::string& outputPath) {
  ASSERT_EQ(kNmeaSettings.size(), 125u);
  TempDir dir;
  TempDir devices;
  dir.write("monitor.ini", kNmeaSettings);
  RawTerminal device;
  ASSERT_TRUE(device.ok());
  const std::string link = devices.file("barograph");
  BaromonChild run(dir.path(), {"--headless", "--port", "2=" + link}, outputPath);

  // Event 1 is reported right after the box.
  ASSERT_TRUE(waitFor([&] { return hasEvent(dir.read("monitor.err"), Event::PortInUse); }))
      << "the monitor ended at the box: " << run.waitExit(0);
  ASSERT_EQ(::symlink(device.name().c_str(), link.c_str()), 0);
  // It opens the device on one of its quiet attempts (every 5 s) and sets 4800 Bd.
  ASSERT_TRUE(waitFor([&] {
    termios now{};
    return ::tcgetattr(device.slave(), &now) == 0 && ::cfgetispeed(&now) == B4800;
  })) << "the device was never opened";
  const std::string sentence = "$GPGGA,101500.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  ASSERT_TRUE(device.send(sentence));
  EXPECT_TRUE(waitFor([&] { return dir.read("nmea.txt") == sentence; })) << dir.read("nmea.txt");
  EXPECT_EQ(run.stop(SIGTERM), 0);
  EXPECT_EQ(eventCount(dir.read("monitor.err"), Event::PortInUse), 1u) << "the attempts are quiet";
}

TEST(MonitorRun, ADeviceThatAppearsAfterTheStartIsRecordedAfterOneBox) {
  TempDir out;
  recordFromADeviceThatComesLater(out.file("output.txt"));
  const std::string output = out.read("output.txt");
  EXPECT_EQ(count(output, "COM port: Error: port COM 2 not available !\n"), 1u) << output;
  EXPECT_TRUE(contains(output, "baromon: 1 lines received, 1 valid sentences, 0 rejected\n")) << output;
}

// `(baromon --headless ... 2>&1) | true` died of SIGPIPE (exit 141) at the first box.
TEST(MonitorRun, AClosedOutputNeverStopsTheMonitor) { recordFromADeviceThatComesLater(""); }

TEST(MonitorRun, ASecondMonitorInTheDirectoryRefusesAndTouchesNothing) {
  TempDir dir;
  TempDir out;
  dir.write("monitor.ini", kNmeaSettings);
  dir.write("monitor.txt", std::string(80 * 3, 'x'));
  dir.write("monitor.err", "an old line\r\n");
  const auto before = dir.snapshot();
  HeldByOtherProcess running(dir.path());
  ASSERT_TRUE(running.held());

  BaromonChild second(dir.path(), {"--headless", "--port", "2=/nonexistent/tty"}, out.file("output.txt"));
  EXPECT_EQ(second.waitExit(10), baromon::kAnotherMonitorRunning);
  EXPECT_EQ(out.read("output.txt"), refusal(baromon::English));
  EXPECT_EQ(dir.snapshot(), before);

  // The commands work beside a running monitor.
  EXPECT_EQ(baromon::clitest::runBaromonIn(dir, "export").status, 0);
  EXPECT_EQ(baromon::clitest::runBaromonIn(dir, "decode monitor.ini").status, 0);
}

// Three monitors started at once without monitor.ini: two of them ended with fatal error 1.
TEST(MonitorRun, OfThreeMonitorsStartedAtOnceOneRunsAndTwoRefuse) {
  TempDir dir;
  TempDir out;
  std::vector<std::unique_ptr<BaromonChild>> runs;
  for (int i = 0; i < 3; ++i) {
    runs.push_back(std::make_unique<BaromonChild>(
        dir.path(), std::vector<std::string>{"--headless", "--port", "2=/nonexistent/tty"},
        out.file("output" + std::to_string(i) + ".txt")));
  }
  std::vector<int> refused;
  int running = -1;
  ASSERT_TRUE(waitFor([&] {
    refused.clear();
    for (int i = 0; i < 3; ++i) {
      if (runs[i]->waitExit(0) != -1) {
        refused.push_back(i);
      } else {
        running = i;
      }
    }
    return refused.size() == 2;
  })) << refused.size()
      << " ended";
  for (int i : refused) {
    EXPECT_EQ(runs[i]->waitExit(0), baromon::kAnotherMonitorRunning);
    EXPECT_EQ(out.read("output" + std::to_string(i) + ".txt"), refusal(baromon::German));
  }
  // The one running started as a first start does: events 2, 11, then the missing port.
  ASSERT_TRUE(waitFor([&] { return hasEvent(dir.read("monitor.err"), Event::Com2ReadError); }));
  EXPECT_EQ(runs[running]->stop(SIGTERM), 0);
  const std::string log = dir.read("monitor.err");
  EXPECT_EQ(parseEventLog(log).size(), 4u) << log;
  EXPECT_EQ(dir.read("monitor.ini").size(), 125u);
}

} // namespace
