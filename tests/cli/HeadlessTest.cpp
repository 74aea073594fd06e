#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::fakes::TempDir;

// A `baromon --headless` child in a directory of its own, its standard error in a file.
struct HeadlessRun {
  TempDir dir;
  pid_t pid = -1;

  void start(const std::string& port = "/nonexistent/tty") {
    const std::string portArg = "2=" + port;
    pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(dir.path().c_str()) != 0) {
        ::_exit(120);
      }
      const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      ::execl(BAROMON_EXE, BAROMON_EXE, "--headless", "--port", portArg.c_str(), nullptr);
      ::_exit(121);
    }
  }
  // Waits until `name` exists in the directory (at most 10 s).
  bool waitFor(const std::string& name) {
    for (int i = 0; i < 1000; ++i) {
      if (dir.exists(name)) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  int stop(int signal) {
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  ~HeadlessRun() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
};

TEST(Headless, StartsReportsTheMissingPortAndEndsCleanlyOnSignals) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    HeadlessRun run;
    run.start();
    // Event 15 (COM2 missing) comes after the defaults were written at start-up.
    ASSERT_TRUE(run.waitFor("monitor.err"));
    for (int i = 0; i < 500 && run.dir.read("monitor.err").find("# 15") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The settings are written again at the end: remove the ones of the start.
    ::unlink(run.dir.file("monitor.ini").c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(run.stop(signal), 0);
    EXPECT_EQ(run.dir.read("monitor.ini").size(), 125u) << "saved at shutdown";
    const std::string err = run.dir.read("stderr.txt");
    EXPECT_NE(
        err.find("serielle Schnittstelle: Fehler: Schnittstelle COM2 steht nicht zur Verf\xC3\xBCgung !"),
        std::string::npos)
        << err;
    EXPECT_NE(err.find("baromon: 0 lines received, 0 valid sentences\n"), std::string::npos) << err;
    const std::string log = run.dir.read("monitor.err");
    EXPECT_NE(log.find("event # 2 "), std::string::npos);
    EXPECT_NE(log.find("event # 11 "), std::string::npos);
  }
}

TEST(Headless, ReportsTheLinesItReceivedAndTheValidOnesWhenStopped) {
  baromon::clitest::RawTerminal device;
  ASSERT_TRUE(device.ok());
  HeadlessRun run;
  run.start(device.name());
  // The monitor sets the port to 4800 Bd once it has started up (signals handled by then).
  bool configured = false;
  for (int i = 0; i < 1000 && !configured; ++i) {
    termios now{};
    configured = ::tcgetattr(device.slave(), &now) == 0 && ::cfgetispeed(&now) == B4800;
    if (!configured) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ASSERT_TRUE(configured);
  // One line at a time, each sent once the monitor has read the one before, so that
  // every line ends a tick of its own and none are merged.
  const char* lines[] = {
      "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", "$WIXDR,P,0.9986,B\r\n", "noise\r\n",
      "$PXDR,0998.70,52690,+01.2,+03.5,-0300,0995.40\r\n",
      "$PXDR,0998.80;52690,+01.2,+03.5,-0300,0995.40\r\n", // a field separator missing: not valid
      "$PXDR,0998.80,52695,+01.2,+03.5,-0300,0995.40\r\n",
  };
  for (const char* line : lines) {
    const std::string text(line);
    ASSERT_TRUE(device.send(text));
    // The bytes reach the terminal's input queue a moment after the write (long on a
    // loaded machine); then the monitor empties it on its next tick. Waiting up to half a
    // second for them also covers a monitor that took them before they were seen.
    int waiting = 0;
    for (int i = 0; i < 100 && waiting == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ASSERT_EQ(::ioctl(device.slave(), FIONREAD, &waiting), 0);
    }
    for (int i = 0; i < 1000 && waiting > 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_EQ(::ioctl(device.slave(), FIONREAD, &waiting), 0);
    }
    ASSERT_EQ(waiting, 0) << "the monitor did not read " << text;
  }
  EXPECT_EQ(run.stop(SIGTERM), 0);
  const std::string err = run.dir.read("stderr.txt");
  EXPECT_NE(err.find("baromon: 6 lines received, 3 valid sentences\n"), std::string::npos) << err;
}

} // namespace
