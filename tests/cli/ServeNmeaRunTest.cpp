#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ProgramRun.h"
#include "support/Loopback.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::clitest::count;
using baromon::fakes::connectLoopback;
using baromon::fakes::freePort;
using baromon::fakes::TcpSource;
using baromon::fakes::TempDir;

// Debian's NMEA 0183 parser: reads one sentence from the monitor, checks its checksum
// and prints what it understood.
const char* const kPlotter = R"(
import socket, sys, pynmea2
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=60)
print("connected", flush=True)
line = s.makefile("r", newline="").readline()
msg = pynmea2.parse(line.rstrip("\r\n"), check=True)
print(type(msg).__name__, msg.talker, msg.data, repr(line[-2:]), flush=True)
)";

// Clients of the served port that send without pause until stopped, each from a thread.
struct Blasters {
  std::atomic<std::uint64_t> sent{0};
  std::vector<int> sockets;
  std::vector<std::thread> threads;
  bool add(int port) {
    const int fd = connectLoopback(port);
    if (fd < 0) {
      return false;
    }
    sockets.push_back(fd);
    threads.emplace_back([this, fd] {
      const std::string junk(65536, 'x');
      ssize_t n;
      while ((n = ::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL)) > 0) {
        sent += static_cast<std::uint64_t>(n);
      }
    });
    return true;
  }
  void stop() {
    for (const int fd : sockets) {
      ::shutdown(fd, SHUT_RDWR); // ends a send that waits
    }
    for (auto& t : threads) {
      t.join();
    }
    threads.clear();
  }
  ~Blasters() {
    stop();
    for (const int fd : sockets) {
      ::close(fd);
    }
  }
};

TEST(ServeNmeaRun, AChartPlotterParserReadsTheServedPressureWithItsChecksum) {
  if (std::system("/usr/bin/python3 -c 'import pynmea2' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3-nmea2 is not installed";
  }
  TempDir dir;
  TcpSource source;
  ASSERT_GE(source.listener, 0);
  const int servePort = freePort(); // for the monitor to take

  BaromonChild monitor(
      dir.path(),
      {"--headless", "--port", source.where(), "--serve-nmea", "127.0.0.1:" + std::to_string(servePort)},
      dir.path() + "/stderr.txt");
  ASSERT_TRUE(source.accept()) << "the monitor connects to its source";

  dir.write("plotter.py", kPlotter);
  const std::string command = "/usr/bin/python3 " + dir.path() + "/plotter.py " + std::to_string(servePort);
  std::FILE* plotter = ::popen(command.c_str(), "r");
  ASSERT_NE(plotter, nullptr);
  char text[512] = {};
  ASSERT_NE(std::fgets(text, sizeof text, plotter), nullptr);
  EXPECT_STREQ(text, "connected\n");

  // The barograph goes on sending until the plotter has its sentence.
  const std::string pxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  pollfd answer{::fileno(plotter), POLLIN, 0};
  bool answered = false;
  for (int i = 0; i < 200 && !answered; ++i) {
    ASSERT_TRUE(source.send(pxdr));
    answered = ::poll(&answer, 1, 250) == 1;
  }
  ASSERT_TRUE(answered);
  ASSERT_NE(std::fgets(text, sizeof text, plotter), nullptr);
  EXPECT_STREQ(text, "XDR WI ['P', '0.99860', 'B', 'Barometer'] '\\r\\n'\n");
  EXPECT_EQ(::pclose(plotter), 0);
  source.hangUp();
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
}

// Clients that send to the served port without pause (anyone on the network may) while
// the monitor, its clock a few seconds before a five-minute boundary, reads a barograph:
// the boundary's record is written and the served pressure goes on, second by second.
TEST(ServeNmeaRun, ClientsBlastingTheServedPortStopNeitherTheServedPressureNorTheBoundaryRecord) {
  TempDir dir;
  TcpSource source;
  ASSERT_GE(source.listener, 0);
  const int servePort = freePort();

  const std::time_t now = std::time(nullptr);
  const std::time_t boundary = (now / 300 + 1) * 300;
  const long shift = static_cast<long>(boundary - 6 - now);
  std::tm tm{};
  ::gmtime_r(&boundary, &tm);
  char key[32];
  std::strftime(key, sizeof key, "%d.%m.%Y %H:%M", &tm);
  BaromonChild monitor(
      dir.path(),
      {"--headless", "--port", source.where(), "--serve-nmea", "127.0.0.1:" + std::to_string(servePort)},
      dir.path() + "/stderr.txt", baromon::clitest::testClockEnvironment(std::to_string(now + shift) + " 1"));
  ASSERT_TRUE(source.accept()) << "the monitor connects to its source";
  const int reader = connectLoopback(servePort);
  ASSERT_GE(reader, 0);

  Blasters blasters;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(blasters.add(servePort));
  }

  // The barograph five times a second; the plotter reads what is served meanwhile.
  const std::string pxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  const std::string served = "$WIXDR,P,0.99860,B,Barometer*";
  std::string got;
  bool recorded = false;
  using Steady = std::chrono::steady_clock;
  auto lastServed = Steady::now();
  Steady::duration longestPause{};
  const auto until = Steady::now() + std::chrono::seconds(25);
  while (Steady::now() < until && !(recorded && count(got, served) >= 10)) {
    ASSERT_TRUE(source.send(pxdr));
    pollfd r{reader, POLLIN, 0};
    if (::poll(&r, 1, 200) == 1) {
      char chunk[4096];
      const ssize_t n = ::recv(reader, chunk, sizeof chunk, MSG_DONTWAIT);
      ASSERT_GT(n, 0) << "the server dropped the plotter";
      got.append(chunk, static_cast<std::size_t>(n));
      longestPause = std::max(longestPause, Steady::now() - lastServed);
      lastServed = Steady::now();
    }
    recorded = dir.exists("monitor.txt") && dir.read("monitor.txt").find(key) != std::string::npos;
  }
  blasters.stop();
  EXPECT_GT(blasters.sent.load(), std::uint64_t{256} * 1024) << "the clients did blast";
  EXPECT_TRUE(recorded) << "no record for the boundary " << key;
  EXPECT_GE(count(got, served), 10u) << "the served pressure stopped";
  // One pressure a second; a loaded machine may hold one back a little.
  EXPECT_LT(longestPause, std::chrono::seconds(4)) << "the served pressure paused";
  ::close(reader);
  source.hangUp();
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
}

TEST(ServeNmeaRun, AnUnusableAddressEndsTheStartWithAMessage) {
  TempDir dir;
  const auto outcome = baromon::clitest::runBaromonIn(dir, "--headless --serve-nmea 70000", true);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.out.find("--serve-nmea takes [ADDR:]PORT"), std::string::npos) << outcome.out;
  EXPECT_FALSE(dir.exists("monitor.ini")) << "nothing started";
}

} // namespace
