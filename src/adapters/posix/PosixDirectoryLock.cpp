#include "adapters/posix/PosixDirectoryLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace baromon::platform {

PosixDirectoryLock::PosixDirectoryLock(std::string directory) : directory_(std::move(directory)) {}

PosixDirectoryLock::~PosixDirectoryLock() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

LockResult PosixDirectoryLock::tryLock() {
  if (fd_ >= 0) {
    return LockResult::Taken;
  }
  const int fd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return LockResult::Unavailable;
  }
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    fd_ = fd;
    return LockResult::Taken;
  }
  const int error = errno;
  ::close(fd);
  return error == EWOULDBLOCK ? LockResult::HeldByAnother : LockResult::Unavailable;
}

} // namespace baromon::platform
