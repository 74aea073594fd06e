#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <climits>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "MqttBroker.h"
#include "ProgramRun.h"
#include "WebClient.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

// The monitor with its windows (offscreen), the simulator as its barograph: it serves what
// the headless logger serves, the web API, the broker's topics and the NMEA stream, beside
// the Qt loop.

namespace {

using baromon::clitest::askServer;
using baromon::clitest::BaromonChild;
using baromon::clitest::Broker;
using baromon::clitest::freeLoopbackPort;
using baromon::clitest::haveBroker;
using baromon::clitest::Program;
using baromon::fakes::TempDir;
using baromon::fakes::waitFor;
using namespace std::chrono_literals;

// KX mode on COM2, English: no box at the start.
const std::string kSettings = "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\n"
                              "ERR=1\nU=0\nSIG=0\nDKS=0\nLANG=EN\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

// The first line the NMEA server sends that contains `part`, or "" after ten seconds.
std::string servedLine(int port, const std::string& part) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  std::string text;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      char buffer[512];
      const ssize_t got = ::poll(&p, 1, 500) == 1 ? ::read(fd, buffer, sizeof buffer) : 0;
      if (got < 0 || (got == 0 && p.revents != 0)) {
        break;
      }
      text.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n')) {
        const std::string line = text.substr(0, end + 1);
        text.erase(0, end + 1);
        if (line.find(part) != std::string::npos) {
          ::close(fd);
          return line;
        }
      }
    }
  }
  ::close(fd);
  return {};
}

// The value of `name` in the client's "metrics" listing ("name type sample{} value").
double metric(const std::string& listing, const std::string& sample) {
  const auto at = listing.find(" " + sample + "{} ");
  return at == std::string::npos ? -1 : std::stod(listing.substr(at + sample.size() + 4));
}

std::string programOf(pid_t pid) {
  char path[PATH_MAX] = {};
  const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

TEST(WindowedServices, WebApiBrokerAndNmeaStreamBesideTheWindows) {
  if (!haveBroker()) {
    GTEST_SKIP() << "mosquitto or mosquitto-clients not installed";
  }
  TempDir dir;
  Broker broker(dir, "allow_anonymous true\n");
  ASSERT_TRUE(broker.ready()) << dir.read("broker.log");
  Program sub(
      dir.path(),
      {"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(broker.port()), "-v", "-t", "baromon/deck/#"},
      dir.file("sub.txt"));
  ASSERT_TRUE(
      waitFor([&] { return dir.read("broker.log").find("New client connected") != std::string::npos; }));
  Program simulator(dir.path(), {BAROMON_SIM_EXE, "--pty", "--interval", "0.2"}, dir.file("sim.txt"));
  ASSERT_TRUE(waitFor([&] { return dir.read("sim.txt").find('\n') != std::string::npos; }));
  const std::string device = dir.read("sim.txt").substr(0, dir.read("sim.txt").find('\n'));

  dir.write("monitor.ini", kSettings);
  const int http = freeLoopbackPort();
  const int nmea = freeLoopbackPort();
  BaromonChild monitor(dir.path(),
                       {"--port", "2=" + device, "--serve-http", "127.0.0.1:" + std::to_string(http),
                        "--mqtt", broker.url(), "--station", "deck", "--serve-nmea",
                        "127.0.0.1:" + std::to_string(nmea)},
                       dir.file("out.txt"), {"QT_QPA_PLATFORM=offscreen"});
  ASSERT_TRUE(baromon::clitest::serverAnswers(dir, http)) << dir.read("out.txt");
  EXPECT_NE(programOf(monitor.pid()).find("baromon-gui"), std::string::npos) << programOf(monitor.pid());

  // The values follow the ticks: valid once the simulator was heard, and the lines count on.
  ASSERT_TRUE(waitFor(
      [&] {
        return askServer(dir, http, "json /api/v1/current").out.find("valid=true\n") != std::string::npos;
      },
      20s))
      << askServer(dir, http, "json /api/v1/current").out << dir.read("out.txt");
  const double before = metric(askServer(dir, http, "metrics").out, "baromon_lines_received_total");
  ASSERT_GT(before, 0) << askServer(dir, http, "metrics").out;
  EXPECT_TRUE(waitFor([&] {
    return metric(askServer(dir, http, "metrics").out, "baromon_lines_received_total") >= before + 3;
  }));

  EXPECT_TRUE(waitFor([&] {
    return dir.read("sub.txt").find("baromon/deck/pressure 10") != std::string::npos ||
           dir.read("sub.txt").find("baromon/deck/pressure 9") != std::string::npos;
  })) << dir.read("sub.txt")
      << dir.read("out.txt");
  EXPECT_NE(servedLine(nmea, "XDR,P,"), "") << dir.read("out.txt");

  EXPECT_EQ(monitor.stop(SIGTERM), 0) << dir.read("out.txt");
  EXPECT_TRUE(waitFor([&] {
    return dir.read("sub.txt").find("baromon/deck/status offline\n") != std::string::npos;
  })) << dir.read("sub.txt");
}

} // namespace
