#pragma once

#include <string>

#include "platform/DirectoryLock.h"

namespace baromon::platform {

// flock on the directory itself, opened read-only: no file is made, the lock ends with
// the process however it ends, and the descriptor is not inherited by programs we start
// (a dft.exe outliving the monitor would otherwise keep the next monitor out).
class PosixDirectoryLock final : public DirectoryLock {
public:
  explicit PosixDirectoryLock(std::string directory = ".");
  ~PosixDirectoryLock() override;
  PosixDirectoryLock(const PosixDirectoryLock&) = delete;
  PosixDirectoryLock& operator=(const PosixDirectoryLock&) = delete;

  LockResult tryLock() override;

private:
  std::string directory_;
  int fd_ = -1;
};

} // namespace baromon::platform
