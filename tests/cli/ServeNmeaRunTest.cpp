#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
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

int loopbackListener(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) {
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

TEST(ServeNmeaRun, AChartPlotterParserReadsTheServedPressureWithItsChecksum) {
  if (std::system("/usr/bin/python3 -c 'import pynmea2' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3-nmea2 is not installed";
  }
  TempDir dir;
  int sourcePort = 0;
  const int source = loopbackListener(sourcePort);
  ASSERT_GE(source, 0);
  int servePort = 0;
  ::close(loopbackListener(servePort)); // a free port for the monitor to take

  BaromonChild monitor(dir.path(),
                       {"--headless", "--port", "2=tcp://127.0.0.1:" + std::to_string(sourcePort),
                        "--serve-nmea", "127.0.0.1:" + std::to_string(servePort)},
                       dir.path() + "/stderr.txt");
  pollfd p{source, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 20000), 1) << "the monitor connects to its source";
  const int device = ::accept4(source, nullptr, nullptr, SOCK_CLOEXEC);
  ASSERT_GE(device, 0);

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
    ASSERT_EQ(::send(device, pxdr.data(), pxdr.size(), MSG_NOSIGNAL), static_cast<ssize_t>(pxdr.size()));
    answered = ::poll(&answer, 1, 250) == 1;
  }
  ASSERT_TRUE(answered);
  ASSERT_NE(std::fgets(text, sizeof text, plotter), nullptr);
  EXPECT_STREQ(text, "XDR WI ['P', '0.99860', 'B', 'Barometer'] '\\r\\n'\n");
  EXPECT_EQ(::pclose(plotter), 0);
  ::close(device);
  ::close(source);
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
