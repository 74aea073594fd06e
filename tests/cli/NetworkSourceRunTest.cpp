#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/Loopback.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::fakes::TcpSource;
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
  TcpSource source;
  ASSERT_GE(source.listener, 0);

  BaromonChild monitor(dir.path(), {"--headless", "--port", source.where()}, dir.path() + "/stderr.txt");
  ASSERT_TRUE(source.accept()) << "the monitor connects";

  // 3000 lines in one go: what a multiplexer forwards in about 40 s at 38400 Bd.
  std::string burst;
  for (int i = 0; i < 3000; ++i) {
    burst += "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  }
  ASSERT_TRUE(source.send(burst));
  source.hangUp();

  ASSERT_TRUE(waitForText(dir, "monitor.err", "event # 71 ", 20)) << "the lost server is reported";
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  const std::string err = dir.read("monitor.err");
  EXPECT_EQ(err.find("event # 71 "), err.rfind("event # 71 "));
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

namespace {

// The built monitor reading a TCP source that sends as fast as the loopback takes it,
// sentences and stretches of one line without end by turns, for 20 s: what the
// monitor holds for its source stays bounded, so its resident memory does.
TEST(NetworkSourceRun, AFloodingSourceLeavesTheResidentMemoryBounded) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own allocator holds freed memory back";
#endif
  constexpr long kGrowthBoundKb = 1024;    // after the flood has begun
  constexpr long kResidentBoundKb = 16384; // at any time
  TempDir dir;
  TcpSource source;
  ASSERT_GE(source.listener, 0);
  BaromonChild monitor(dir.path(), {"--headless", "--port", source.where()}, dir.path() + "/stderr.txt");
  ASSERT_TRUE(source.accept()) << "the monitor connects";
  const int peer = source.device;

  std::atomic<std::uint64_t> sent{0};
  std::thread flooder([peer, &sent] {
    std::string lines;
    while (lines.size() < 65536) {
      lines += "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
    }
    const std::string endless(65536, 'x');
    for (unsigned block = 0;; ++block) {
      const std::string& text = (block / 16) % 2 == 0 ? lines : endless;
      const ssize_t n = ::send(peer, text.data(), text.size(), MSG_NOSIGNAL);
      if (n <= 0) {
        return;
      }
      sent += static_cast<std::uint64_t>(n);
    }
  });
  const pid_t pid = monitor.pid();
  ASSERT_TRUE(baromon::fakes::waitFor([&] { return sent.load() > std::uint64_t{4} << 20; }))
      << "the flood got going";
  const long early = baromon::clitest::statusKilobytes(pid, "VmRSS");
  long most = early;
  const bool grew = baromon::fakes::waitFor(
      [&] {
        most = std::max(most, baromon::clitest::statusKilobytes(pid, "VmRSS"));
        return most > early + kGrowthBoundKb;
      },
      std::chrono::seconds(20));
  const long peak = baromon::clitest::statusKilobytes(pid, "VmHWM");
  ::shutdown(peer, SHUT_RDWR);
  flooder.join();
  source.hangUp();
  EXPECT_FALSE(grew) << early << " kB once flooded, then " << most << " kB";
  EXPECT_LT(peak, kResidentBoundKb);
  EXPECT_GT(sent.load(), std::uint64_t{8} << 20) << "a flood, not a trickle";
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
  EXPECT_NE(dir.read("stderr.txt").find(" lines received, "), std::string::npos);
}

} // namespace
