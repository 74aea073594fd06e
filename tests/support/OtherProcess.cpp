#include "support/OtherProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace baromon::fakes {

HeldByOtherProcess::HeldByOtherProcess(const std::string& path) {
  // Not inherited by programs the test starts meanwhile: one holding the write end would
  // keep the file held after the release.
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) {
    return;
  }
  if (::pipe2(release_, O_CLOEXEC) != 0) {
    ::close(ready[0]);
    ::close(ready[1]);
    release_[0] = release_[1] = -1;
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    // Only the parent's ends may stay open, or the release never reads end-of-file.
    ::close(ready[0]);
    ::close(release_[1]);
    ::alarm(60); // never outlive a test that went wrong
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0 && errno == EISDIR) {
      fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY); // a monitor's hold on its directory
    }
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

HeldByOtherProcess::~HeldByOtherProcess() {
  if (release_[1] >= 0) {
    ::close(release_[1]);
  }
  if (pid_ > 0) {
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

int inChildProcess(const std::function<int()>& body, unsigned seconds) {
  const pid_t pid = ::fork();
  if (pid < 0) {
    return kHung;
  }
  if (pid == 0) {
    ::alarm(seconds); // SIGALRM ends a child that hangs
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) {
    return kHung;
  }
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    return kHung;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace baromon::fakes
