#include <gtest/gtest.h>

#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/config/EventLog.h"
#include "core/config/Settings.h"
#include "platform/testing/TestApp.h"

using namespace baromon;
using baromon::fakes::TestApp;

namespace {

// Another program holding a file exclusively until the object dies.
class Holder {
public:
  explicit Holder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(release_) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only the parent's ends may stay open, or the release never reads end-of-file.
      ::close(ready[0]);
      ::close(release_[1]);
      ::alarm(60); // never outlive a test that went wrong
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
      char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
      (void)!::write(ready[1], &ok, 1);
      char c;
      (void)!::read(release_[0], &c, 1); // returns when the parent closes its end
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release_[0]);
    if (pid_ < 0) {
      ::close(ready[0]);
      return;
    }
    char ok = '0';
    held_ = ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
  }
  ~Holder() {
    ::close(release_[1]);
    if (pid_ > 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  bool held() const { return held_; }

private:
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool held_ = false;
};

TEST(HeldByAnotherProcess, ProtocolLinesAreLostWithoutWaiting) {
  TestApp t;
  t.dir.write("monitor.err", "kept\r\n");
  {
    Holder other(t.dir.file("monitor.err"));
    ASSERT_TRUE(other.held());
    EXPECT_EQ(reportEvent(t.app, 13), 0);
    reportFatal(t.app, 61);
    EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
  }
  EXPECT_EQ(t.dir.read("monitor.err"), "kept\r\n");
}

TEST(HeldByAnotherProcess, SettingsFileCannotBeReadOrWritten) {
  TestApp t;
  t.dir.write("monitor.ini", "held");
  {
    Holder other(t.dir.file("monitor.ini"));
    ASSERT_TRUE(other.held());
    EXPECT_EQ(loadSettings(t.app), 0);
    applyDefaultSettings(t.app.settings);
    saveSettings(t.app);
  }
  EXPECT_EQ(t.dir.read("monitor.ini"), "held");
  EXPECT_EQ(t.dir.read("monitor.err"),
            "07.12.2026 07:05  event # 2 error: no file MONITOR.INI !\r\n"
            "07.12.2026 07:05  event # 3 error writing in file MONITOR.INI !\r\n"
            "07.12.2026 07:05 fatal error # 001\n");
  EXPECT_EQ(t.windows.quits.size(), 1u);
}

} // namespace
