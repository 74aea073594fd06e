#pragma once

#include <functional>
#include <string>

#include <sys/types.h>

namespace baromon::fakes {

// Another program holding a file exclusively (flock, as the monitor's own file
// layer does) until the object dies; given a directory, it holds the directory the
// way a running monitor does. A child process, because a lock taken in
// this process would not keep this process's own opens out.
class HeldByOtherProcess {
public:
  explicit HeldByOtherProcess(const std::string& path);
  ~HeldByOtherProcess();
  HeldByOtherProcess(const HeldByOtherProcess&) = delete;
  HeldByOtherProcess& operator=(const HeldByOtherProcess&) = delete;

  // The child has the file open and locked.
  bool held() const { return held_; }

private:
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool held_ = false;
};

// Runs `body` in a child process that is killed after `seconds`, for a test of
// something that might hang (an open of a FIFO, a lock wait). The child's exit
// status, or kHung when the time ran out.
inline constexpr int kHung = -1;
int inChildProcess(const std::function<int()>& body, unsigned seconds = 10);

} // namespace baromon::fakes
