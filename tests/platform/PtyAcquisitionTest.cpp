#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>
#include <pty.h>
#include <string>
#include <unistd.h>

#include "support/EventLogReader.h"
#include "support/WaitFor.h"
#include "core/state/AppContext.h"
#include "core/serial/Acquisition.h"
#include "core/serial/Epoch.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "sim/BarographSimulator.h"
#include "support/FakeClock.h"
#include "support/FakeWindows.h"
#include "support/TempDir.h"

namespace baromon {
namespace {

// The whole road of a sentence: simulated barograph -> pseudo-terminal ->
// termios device -> acquisition cycle -> monitor.txt, with the clock stepping
// through a five-minute boundary.
struct PtyMonitor : ::testing::Test {
  fakes::TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeWindows windows;
  platform::PortMap map;
  std::unique_ptr<platform::PosixSerialPorts> ports;
  platform::GraphicsObjects graphics;
  std::unique_ptr<AppContext> app;
  int master = -1;
  std::string path;

  void SetUp() override {
    char name[256] = {};
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    path = name;
    map.set(2, path);
    ports = std::make_unique<platform::PosixSerialPorts>(map);
    app = std::make_unique<AppContext>(Platform{clock, files, windows, *ports, graphics});
    app->settings.dataMode = DataMode::Kx;
    app->settings.recordInterval = 300;
    app->settings.displayStep = 300;
    app->settings.portDigit = '2';
    app->settings.language = English;
  }
  void TearDown() override {
    app.reset();
    if (master >= 0) {
      ::close(master);
    }
  }
  // Sends one line and runs ticks until the monitor has processed it (bounded).
  bool deliver(const std::string& line) {
    const auto before = app->acquisition.sentenceCount;
    if (::write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      return false;
    }
    return fakes::waitFor(
        [&] {
          acquisitionTick(*app);
          return app->acquisition.sentenceCount != before;
        },
        std::chrono::seconds(2));
  }
};

TEST_F(PtyMonitor, SimulatedBarographThroughAPseudoTerminalWritesTheBoundaryRecord) {
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  ASSERT_TRUE(app->serial.open);
  EXPECT_TRUE(windows.boxes.empty());

  clock.utc = {2026, 12, 7, 10, 4, 55, 1};
  sim::BarographSimulator barograph(sim::SimulatorOptions{});
  std::int32_t pressureAtBoundary = 0;
  for (int second = 0; second < 12; ++second) {
    const std::int64_t t = toEpochSeconds(clock.utc);
    for (const std::string& frame : barograph.barographFrames(t)) {
      ASSERT_TRUE(deliver(frame)) << frame;
      // The $WIXDR pressure that follows has less resolution and replaces the reading.
      if (clock.utc.minute == 5 && clock.utc.second == 0 && frame.rfind("$PXDR", 0) == 0) {
        pressureAtBoundary = app->reading.pressure;
      }
    }
    clock.advanceSeconds(1);
  }

  EXPECT_EQ(app->acquisition.sentenceCount, 48u);
  EXPECT_EQ(app->reading.temperature, static_cast<std::int32_t>(std::lround(
                                          barograph.temperatureAt(toEpochSeconds(clock.utc) - 1) * 10)));
  EXPECT_EQ(app->reading.voltage,
            static_cast<std::uint32_t>(std::lround(barograph.voltageAt(toEpochSeconds(clock.utc) - 1) * 10)));

  const std::string log = dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 80u) << "one record for the one boundary";
  LastDecodedRecord record;
  ASSERT_EQ(parseLogRecord(record, LogRecordMode::Decode, log.data()), 1);
  EXPECT_EQ(record.counter, 1u);
  EXPECT_EQ(record.sample.day, 7);
  EXPECT_EQ(record.sample.hour, 10);
  EXPECT_EQ(record.sample.minute, 5);
  EXPECT_EQ(record.sample.pressure, pressureAtBoundary);
  const double modelled = barograph.pressureAt(toEpochSeconds({2026, 12, 7, 10, 5, 0, 1})) * 100.0;
  EXPECT_NEAR(record.sample.pressure, modelled, 3.0) << "the record holds what the barograph sent";
  EXPECT_EQ(dir.read("monitor.err"), "") << "a clean line raises no event";
}

TEST_F(PtyMonitor, ClosingTheOtherEndIsReportedOnceAndRetriedQuietly) {
  const fakes::EventRecorder events(dir, {Event::PortReadError}); // the lost device, and nothing else
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  ASSERT_TRUE(deliver("$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  ::close(master);
  master = -1;
  for (int i = 0; i < 100; ++i) {
    acquisitionTick(*app);
    if (i % 5 == 4) {
      clock.advanceSeconds(1);
    }
  }
  EXPECT_FALSE(app->serial.open);
  EXPECT_TRUE(app->serial.lost);
  const std::string err = dir.read("monitor.err");
  EXPECT_EQ(fakes::eventCount(err, Event::PortReadError), 1u) << "reported once, not per tick";
  EXPECT_TRUE(windows.boxes.empty());
}

TEST_F(PtyMonitor, ASecondMonitorCannotTakeThePort) {
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  AppContext second{Platform{clock, files, windows, *ports, graphics}};
  second.settings.portDigit = '2';
  second.settings.language = English;
  EXPECT_FALSE(openSerialPort(second, PortErrors::Show));
  EXPECT_FALSE(second.serial.open);
  ASSERT_EQ(windows.boxes.size(), 1u);
  EXPECT_EQ(windows.boxes[0].text, "Error: port COM 2 not available !");
}

// Ticks until `done` holds (a pseudo-terminal needs a moment to pass the bytes on).
template <typename Done> bool tickUntil(AppContext& app, Done done) {
  return fakes::waitFor(
      [&] {
        acquisitionTick(app);
        return done();
      },
      std::chrono::seconds(2));
}

// At 4800 Bd the $WIXDR frames follow their $PXDR within the same 200 ms tick: each
// sentence must still be a line of its own.
TEST_F(PtyMonitor, TwoSentencesInOneWriteAreBothDecoded) {
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  clock.utc = {2026, 12, 7, 10, 3, 0, 1};
  const std::string both = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n$WIXDR,C,21.5,C\r\n";
  ASSERT_EQ(::write(master, both.data(), both.size()), static_cast<ssize_t>(both.size()));
  ASSERT_TRUE(tickUntil(*app, [&] { return app->acquisition.sentenceCount == 2; }))
      << app->acquisition.sentenceCount << " lines";
  EXPECT_EQ(app->reading.temperature, 215);
  EXPECT_EQ(app->reading.pressure, 99860);
  EXPECT_EQ(app->acquisition.sentencesAccepted, 1u);
  EXPECT_EQ(app->acquisition.fillCount, 0u);
}

// nmea.txt is read back by other programs a line at a time: every sentence must arrive
// whole with its line end, whatever it carries, and none glued to the next.
TEST_F(PtyMonitor, NmeaFileKeepsEverySentenceWholeWithItsLineEnd) {
  app->settings.dataMode = DataMode::Nmea;
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  const std::string withNul = std::string("$GPXXX,with") + '\0' + "a NUL byte*00\r\n";
  const std::string longLine = "$GPLNG," + std::string(193, 'L') + "\r\n"; // 202 bytes
  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  const std::string rmc = "$GPRMC,100300.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*5C\r\n";
  std::string sent;
  for (const std::string& line : {withNul, gga, longLine, rmc}) {
    const auto before = app->acquisition.nmeaCount;
    ASSERT_EQ(::write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ASSERT_TRUE(tickUntil(*app, [&] { return app->acquisition.nmeaCount != before; })) << line;
    sent += line;
  }
  EXPECT_EQ(dir.read("nmea.txt"), sent) << "the file holds the bytes as received";
  // The table keeps its rows of 126 characters; the file does not depend on them.
  EXPECT_EQ(std::string(app->nmea[0].data()), rmc);
  EXPECT_EQ(std::string(app->nmea[1].data()), longLine.substr(0, 126));
  EXPECT_EQ(std::string(app->nmea[2].data()), gga);
  EXPECT_EQ(std::string(app->nmea[3].data()), "$GPXXX,with");
}

} // namespace
} // namespace baromon

namespace baromon {
namespace {

// A recorded (here: simulated) barograph session from tests/data, replayed
// line by line through a pseudo-terminal into the acquisition, and compared with its
// .chk file: the reading after every line, the records, beeps and events. Run with
// BAROMON_REGENERATE=1 to rewrite the .chk file after a deliberate change.
struct Session {
  std::map<std::string, std::string> header;
  std::vector<std::string> lines; // each with its own line end
};

Session readSession(const std::string& path) {
  Session s;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == '#') {
    const std::size_t end = text.find('\n', pos);
    const std::string line = text.substr(pos + 2, end - pos - 2);
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos && line[0] != ' ') {
      s.header[line.substr(0, colon)] = line.substr(colon + 2);
    }
    pos = end + 1;
  }
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    s.lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return s;
}

class SessionReplay : public PtyMonitor, public ::testing::WithParamInterface<const char*> {};

TEST_P(SessionReplay, MatchesItsCheckFile) {
  const std::string base = std::string(BAROMON_TEST_DATA) + "/" + GetParam();
  const Session session = readSession(base);
  ASSERT_FALSE(session.lines.empty());
  ASSERT_EQ(session.header.count("Start"), 1u);
  int year, month, day, hour, minute, second;
  ASSERT_EQ(std::sscanf(session.header.at("Start").c_str(), "%d-%d-%dT%d:%d:%dZ", &year, &month, &day, &hour,
                        &minute, &second),
            6);
  const int step = std::atoi(session.header.at("Step").c_str());
  ASSERT_GT(step, 0);

  clock.utc = {year, month, day, hour, minute, second, 0};
  app->settings.beepOnFastFall = 1;
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));

  std::string report;
  char row[256];
  bool first = true;
  std::size_t beepsSeen = 0;
  for (const std::string& line : session.lines) {
    if (line.rfind("$PXDR", 0) == 0) {
      if (!first) {
        clock.advanceSeconds(step);
      }
      first = false;
    }
    ASSERT_TRUE(deliver(line)) << line;
    const CurrentReading& r = app->reading;
    std::snprintf(row, sizeof row, "%02d:%02d:%02d %d %d %u %d %d %d %d %u %u %u%s\n", clock.utc.hour,
                  clock.utc.minute, clock.utc.second, r.valid, r.pressure, r.adValue, r.tendency1h,
                  r.tendency3h, r.tendency6h, r.temperature, r.voltage, app->converter.variation,
                  app->acquisition.recordCounter, windows.beeps.size() != beepsSeen ? " beep" : "");
    beepsSeen = windows.beeps.size();
    report += row;
  }
  report += "# monitor.txt\n" + dir.read("monitor.txt");
  report += "# monitor.err\n" + dir.read("monitor.err");

  const std::string check = base + ".chk";
  if (std::getenv("BAROMON_REGENERATE") != nullptr) {
    std::ofstream(check, std::ios::binary) << report;
    GTEST_SKIP() << "rewrote " << check;
  }
  std::ifstream in(check, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << check << " (BAROMON_REGENERATE=1 writes it)";
  const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(report, expected);
}

INSTANTIATE_TEST_SUITE_P(Data, SessionReplay, ::testing::Values("squall-session.log"));

} // namespace
} // namespace baromon
