#pragma once

#include <string>

#include "platform/DirectoryLock.h"

namespace baromon::platform {

// A lock file "monitor.lck" in the directory, held without any sharing and deleted by
// the system when its handle closes, however the process ends. Windows has no lock on
// a directory itself that keeps a second opener out without also getting in the way
// of the files in it.
class Win32DirectoryLock final : public DirectoryLock {
public:
  explicit Win32DirectoryLock(std::string directory = ".");
  ~Win32DirectoryLock() override;
  Win32DirectoryLock(const Win32DirectoryLock&) = delete;
  Win32DirectoryLock& operator=(const Win32DirectoryLock&) = delete;

  LockResult tryLock() override;

  static constexpr const char* kLockFileName = "monitor.lck";

private:
  std::string directory_;
  void* handle_ = nullptr;
};

} // namespace baromon::platform
