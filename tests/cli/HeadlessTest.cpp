#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/testing/TempDir.h"

namespace {

using baromon::fakes::TempDir;

// A `baromon --headless` child in a directory of its own, its standard error in a file.
struct HeadlessRun {
  TempDir dir;
  pid_t pid = -1;

  void start() {
    pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(dir.path().c_str()) != 0) {
        ::_exit(120);
      }
      const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      ::execl(BAROMON_EXE, BAROMON_EXE, "--headless", "--port", "2=/nonexistent/tty", nullptr);
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
    EXPECT_NE(err.find("serielle Schnittstelle: Fehler: Schnittstelle COM2 steht nicht zur Verf\xC3\xBCgung !"),
              std::string::npos)
        << err;
    const std::string log = run.dir.read("monitor.err");
    EXPECT_NE(log.find("event # 2 "), std::string::npos);
    EXPECT_NE(log.find("event # 11 "), std::string::npos);
  }
}

} // namespace
