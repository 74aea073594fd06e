#pragma once

#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace baromon::faults {

// Another program holding a file exclusively (as the monitor's own file layer
// does) until the object dies.
class HeldByOtherProcess {
public:
  explicit HeldByOtherProcess(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(release_) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release_[1]);
      ::alarm(60); // never outlive a test that went wrong
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
      char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
      (void)!::write(ready[1], &ok, 1);
      char c;
      (void)!::read(release_[0], &c, 1); // end of file once the parent lets go
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
  ~HeldByOtherProcess() {
    ::close(release_[1]);
    if (pid_ > 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  HeldByOtherProcess(const HeldByOtherProcess&) = delete;
  HeldByOtherProcess& operator=(const HeldByOtherProcess&) = delete;
  bool held() const { return held_; }

private:
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool held_ = false;
};

} // namespace baromon::faults
