// The built monitor among the boat's software: other barometers in, what Signal K and
// OpenCPN read out, and one monitor fed by another.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ProgramRun.h"
#include "core/store/LogRecord.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::fakes::TempDir;
using Steady = std::chrono::steady_clock;

// A loopback socket of `type` bound to a free port; listening when it is TCP.
int loopbackSocket(int type, int& port) {
  const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (type == SOCK_STREAM && ::listen(fd, 1) != 0)) {
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

int freePort(int type) {
  int port = 0;
  ::close(loopbackSocket(type, port));
  return port;
}

int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  for (int i = 0; i < 100; ++i) {
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      return fd;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the monitor is still starting
  }
  ::close(fd);
  return -1;
}

// The device side of a monitor's `--port 2=tcp://...` source.
struct Source {
  int listener = -1;
  int port = 0;
  int device = -1;
  Source() { listener = loopbackSocket(SOCK_STREAM, port); }
  ~Source() {
    ::close(device);
    ::close(listener);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  std::string where() const { return "2=tcp://127.0.0.1:" + std::to_string(port); }
  bool accept() {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 20000) != 1) {
      return false;
    }
    device = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    return device >= 0;
  }
  bool send(const std::string& text) const {
    return ::send(device, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }
};

std::string withChecksum(const std::string& body) {
  unsigned sum = 0;
  for (const char c : body) {
    sum ^= static_cast<unsigned char>(c);
  }
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

// The test clock, `speed` shown seconds a real second, starting `ahead` shown seconds
// before the next five-minute boundary.
std::vector<std::string> clockBeforeABoundary(int ahead, int speed) {
  const std::time_t now = std::time(nullptr);
  const std::time_t boundary = (now / 300 + 1) * 300;
  return baromon::clitest::testClockEnvironment(std::to_string(boundary - ahead) + " " +
                                                std::to_string(speed));
}

std::size_t records(const TempDir& dir) {
  return dir.exists("monitor.txt") ? dir.read("monitor.txt").size() / 80 : 0;
}

baromon::HistorySample record(const TempDir& dir, std::size_t i) {
  baromon::LastDecodedRecord last;
  const std::string text = dir.read("monitor.txt");
  EXPECT_EQ(baromon::parseLogRecord(last, baromon::LogRecordMode::Decode, text.data() + i * 80), 1);
  return last.sample;
}

// The Signal K server's NMEA 0183 parser over a file of sentences: every value it
// gives for a path, one "path value" line each.
const char* const kSignalK = R"(
const Parser = require(process.argv[2] + '/node_modules/@signalk/nmea0183-signalk')
const parser = new Parser()
const lines = require('fs').readFileSync(process.argv[3], 'latin1').split('\r\n').filter(l => l.length)
for (const line of lines) {
  const delta = parser.parse(line)
  if (!delta) continue
  for (const update of delta.updates)
    for (const v of update.values) console.log(v.path, JSON.stringify(v.value))
}
)";

// Debian's pynmea2 with checksum checking over every served sentence.
const char* const kPynmea2 = R"(
import sys, pynmea2
kinds = {}
for line in open(sys.argv[1], newline='').read().split('\r\n'):
    if not line:
        continue
    msg = pynmea2.parse(line, check=True)
    kinds[msg.talker + msg.sentence_type] = kinds.get(msg.talker + msg.sentence_type, 0) + 1
    if msg.sentence_type == 'MDA':
        last = 'MDA %s %s %s' % (msg.b_pressure_bar, msg.b_pressure_inch, msg.air_temp)
print(' '.join('%s' % k for k in sorted(kinds)))
print(last)
)";

bool haveSignalK() {
  return std::ifstream(std::string(BAROMON_NPM_DIR) + "/node_modules/@signalk/nmea0183-signalk/package.json")
      .good();
}

} // namespace

namespace {

// Runs `command`, its standard output as text.
std::string output(const std::string& command) { return baromon::clitest::runCommand(command).out; }

// A served stream cut after its last whole sentence.
std::string wholeSentences(const std::string& got) { return got.substr(0, got.rfind("\r\n") + 2); }

} // namespace

TEST(BoatNetworkRun, SignalKAndPynmea2ReadWhatTheMonitorDecoded) {
  const bool ci = std::getenv("CI") != nullptr;
  if (!haveSignalK()) {
    if (ci) {
      FAIL() << "scripts/npm-test-clients did not install the Signal K parser into " << BAROMON_NPM_DIR;
    }
    GTEST_SKIP() << "no Signal K parser: run scripts/npm-test-clients";
  }
  TempDir dir;
  Source source;
  const int servePort = freePort(SOCK_STREAM);
  int udpPort = 0;
  const int datagrams = loopbackSocket(SOCK_DGRAM, udpPort);
  ASSERT_GE(datagrams, 0);
  BaromonChild monitor(
      dir.path(),
      {"--headless", "--port", source.where(), "--serve-nmea",
       "127.0.0.1:" + std::to_string(servePort) + ",udp://127.0.0.1:" + std::to_string(udpPort)},
      dir.path() + "/stderr.txt");
  ASSERT_TRUE(source.accept()) << "the monitor connects to its source";
  const int reader = connectTo(servePort);
  ASSERT_GE(reader, 0);

  const std::string frames =
      "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n$WIXDR,C,21.5,C\r\n$WIXDR,U,12.6,V\r\n";
  std::string got;
  const auto until = Steady::now() + std::chrono::seconds(20);
  while (Steady::now() < until &&
         (got.find("$WIXDR,U,") == std::string::npos || got.find(",21.5,C,") == std::string::npos ||
          got.find("$WIMDA", got.find(",21.5,C,")) == std::string::npos)) {
    ASSERT_TRUE(source.send(frames));
    pollfd r{reader, POLLIN, 0};
    if (::poll(&r, 1, 250) == 1) {
      char chunk[4096];
      const ssize_t n = ::recv(reader, chunk, sizeof chunk, MSG_DONTWAIT);
      ASSERT_GT(n, 0);
      got.append(chunk, static_cast<std::size_t>(n));
    }
  }
  ::close(reader);
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  // The same sentences went to the UDP target as well, one a datagram.
  std::string udp;
  char datagram[2048];
  for (ssize_t n; (n = ::recv(datagrams, datagram, sizeof datagram, MSG_DONTWAIT)) > 0;) {
    const std::string one(datagram, static_cast<std::size_t>(n));
    EXPECT_EQ(one.find("\r\n"), one.size() - 2) << one;
    udp += one;
  }
  ::close(datagrams);
  EXPECT_NE(udp.find(got.substr(0, 200)), std::string::npos) << "UDP:\n" << udp << "TCP:\n" << got;
  dir.write("served.nmea", wholeSentences(got));
  dir.write("device.nmea", frames);

  // What the monitor made of the device's lines.
  std::istringstream decoded(output(std::string(BAROMON_EXE) + " decode " + dir.path() + "/device.nmea"));
  std::string row;
  long valid = 0, pressure = 0, ad = 0, t1 = 0, t3 = 0, temperature = 0;
  while (std::getline(decoded, row)) {
    std::istringstream(row) >> valid >> pressure >> ad >> t1 >> t3 >> temperature;
  }
  ASSERT_EQ(pressure, 99860);
  ASSERT_EQ(temperature, 215);

  dir.write("signalk.js", kSignalK);
  std::istringstream signalK(
      output("node " + dir.path() + "/signalk.js " + BAROMON_NPM_DIR + " " + dir.path() + "/served.nmea"));
  std::vector<double> pascals, kelvins;
  std::string path;
  double value = 0;
  while (signalK >> path >> value) {
    if (path == "environment.outside.pressure") {
      pascals.push_back(value);
    } else if (path == "environment.outside.temperature") {
      kelvins.push_back(value);
    }
  }
  ASSERT_FALSE(pascals.empty()) << "Signal K took no pressure from:\n" << got;
  ASSERT_FALSE(kelvins.empty()) << "Signal K took no temperature from:\n" << got;
  EXPECT_DOUBLE_EQ(pascals.back(), static_cast<double>(pressure)) << "the bar field, exactly";
  for (const double pa : pascals) {
    EXPECT_NEAR(pa, static_cast<double>(pressure), 0.5) << "the inches field, to its four places";
  }
  for (const double k : kelvins) {
    EXPECT_NEAR(k, static_cast<double>(temperature) / 10.0 + 273.15, 1e-9);
  }

  dir.write("parse_served.py", kPynmea2);
  const auto parsed = baromon::clitest::runCommand("/usr/bin/python3 " + dir.path() + "/parse_served.py " +
                                                   dir.path() + "/served.nmea 2>&1");
  EXPECT_EQ(parsed.status, 0) << parsed.out;
  EXPECT_EQ(parsed.out, "WIMDA WIXDR\nMDA 0.99860 29.4886 21.5\n");
}

// A weather station's MDA, a multifunction display's XDR and a masthead's MMB, each
// among the boat's other traffic, until the monitor has recorded a boundary from it.
TEST(BoatNetworkRun, OtherTalkersBarometersAreRecorded) {
  TempDir dir;
  Source source;
  BaromonChild monitor(dir.path(), {"--headless", "--port", source.where()}, dir.path() + "/stderr.txt",
                       clockBeforeABoundary(60, 120));
  ASSERT_TRUE(source.accept());
  const std::string traffic = withChecksum("GPRMC,101010,A,5400.000,N,01000.000,E,0.0,0.0,071226,,,A") +
                              withChecksum("IIMWV,045.0,R,12.5,N,A");
  const std::string phases[] = {
      withChecksum("WIMDA,29.9213,I,1.0132,B,21.5,C,,C,,,,C,,T,,M,,N,,M"),
      withChecksum("IIXDR,C,4.1,C,AirTemp,P,101000,P,Barometer"),
      withChecksum("YXMMB,29.4886,I,0.99860,B") + withChecksum("YXMTA,3.9,C"),
  };
  const std::int32_t expected[] = {101320, 101000, 99860};
  for (std::size_t k = 0; k < std::size(phases); ++k) {
    const auto until = Steady::now() + std::chrono::seconds(15);
    while (records(dir) <= k && Steady::now() < until) {
      ASSERT_TRUE(source.send(traffic + phases[k]));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(records(dir), k + 1) << "no record from " << phases[k];
  }
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  for (std::size_t k = 0; k < std::size(phases); ++k) {
    SCOPED_TRACE(k);
    const baromon::HistorySample r = record(dir, k);
    EXPECT_EQ(r.pressure, expected[k]);
    EXPECT_EQ(r.minute % 5, 0);
    EXPECT_EQ(r.tendency1h, 0);
    EXPECT_EQ(r.tendency3h, 0);
    EXPECT_EQ(r.variation, 0) << "no converter";
  }
  EXPECT_NE(dir.read("stderr.txt").find("0 rejected"), std::string::npos) << dir.read("stderr.txt");
}

// One monitor reads the barograph and serves it by UDP; another reads that stream and
// writes the same records.
TEST(BoatNetworkRun, AMonitorFedByAnotherWritesTheSameRecords) {
  TempDir first, second;
  Source source;
  const int udpPort = freePort(SOCK_DGRAM);
  const auto clock = clockBeforeABoundary(120, 120);
  BaromonChild fed(second.path(), {"--headless", "--port", "2=udp://127.0.0.1:" + std::to_string(udpPort)},
                   second.path() + "/stderr.txt", clock);
  BaromonChild barograph(
      first.path(),
      {"--headless", "--port", source.where(), "--serve-nmea", "udp://127.0.0.1:" + std::to_string(udpPort)},
      first.path() + "/stderr.txt", clock);
  ASSERT_TRUE(source.accept());
  // Tendencies +00.0 and a steady converter: the first monitor's own values, which the
  // second can compute as well. The pressure changes half-way between boundaries only.
  const char* pressures[] = {"1003.10", "1001.45", "0998.60"};
  for (std::size_t k = 0; k < std::size(pressures); ++k) {
    const std::string frames =
        std::string("$PXDR,") + pressures[k] + ",52684,+00.0,+00.0\r\n$WIXDR,C,21.5,C\r\n";
    const auto until = Steady::now() + std::chrono::seconds(15);
    while ((records(first) <= k || records(second) <= k) && Steady::now() < until) {
      ASSERT_TRUE(source.send(frames));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(records(first), k + 1);
    ASSERT_EQ(records(second), k + 1);
    for (int i = 0; i < 10; ++i) { // 1 s of the 2.5 s of a five-minute slot
      ASSERT_TRUE(source.send(frames));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  EXPECT_EQ(barograph.stop(SIGTERM), 0);
  EXPECT_EQ(fed.stop(SIGTERM), 0);
  EXPECT_EQ(first.read("monitor.txt").substr(0, 240), second.read("monitor.txt").substr(0, 240));
  EXPECT_EQ(record(second, 2).pressure, 99860);
}
