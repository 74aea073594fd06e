#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::fakes::TempDir;

// Waits for `name` in `dir` to hold `text`, woken by the directory's changes; false
// when nothing more changes for `seconds`.
bool waitForText(const TempDir& dir, const std::string& name, const std::string& text, int seconds) {
  const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch < 0 ||
      ::inotify_add_watch(watch, dir.path().c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE) < 0) {
    return false;
  }
  bool found = false;
  for (;;) {
    if (dir.exists(name) && dir.read(name).find(text) != std::string::npos) {
      found = true;
      break;
    }
    pollfd p{watch, POLLIN, 0};
    if (::poll(&p, 1, seconds * 1000) != 1) {
      break;
    }
    char events[4096];
    while (::read(watch, events, sizeof events) > 0) {
    }
  }
  ::close(watch);
  return found;
}

// The built monitor, headless, reading COM2 from a TCP server on the loopback: a fast
// burst is taken whole, line by line, and the server going away is one event.
TEST(NetworkSourceRun, HeadlessMonitorTakesEveryLineOfAFastTcpStream) {
  TempDir dir;
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  ASSERT_EQ(::listen(listener, 1), 0);
  const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));

  BaromonChild monitor(dir.path(), {"--headless", "--port", "2=" + url}, dir.path() + "/stderr.txt");
  pollfd p{listener, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 20000), 1) << "the monitor connects";
  const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  ASSERT_GE(peer, 0);

  // 3000 lines in one go: what a multiplexer forwards in about 40 s at 38400 Bd.
  std::string burst;
  for (int i = 0; i < 3000; ++i) {
    burst += "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  }
  std::size_t sent = 0;
  while (sent < burst.size()) {
    const ssize_t n = ::send(peer, burst.data() + sent, burst.size() - sent, MSG_NOSIGNAL);
    ASSERT_GT(n, 0);
    sent += static_cast<std::size_t>(n);
  }
  ::close(peer);
  ::close(listener);

  ASSERT_TRUE(waitForText(dir, "monitor.err", "event # 63 ", 20)) << "the lost server is reported";
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  const std::string err = dir.read("monitor.err");
  EXPECT_EQ(err.find("event # 63 "), err.rfind("event # 63 "));
  EXPECT_EQ(err.find("event # 18 "), std::string::npos) << "no warning grows with the rate";
  EXPECT_NE(dir.read("stderr.txt").find("3000 lines received, 3000 valid sentences"), std::string::npos)
      << dir.read("stderr.txt");
}

} // namespace

namespace {

TEST(NetworkSourceRun, AMalformedNetworkSourceIsRefusedBeforeAnythingStarts) {
  TempDir dir;
  const auto outcome = baromon::clitest::runBaromonIn(dir, "--headless --port 2=tcp://nowhere", true);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.out.find("tcp://HOST:PORT"), std::string::npos) << outcome.out;
  EXPECT_FALSE(dir.exists("monitor.ini"));
}

} // namespace
