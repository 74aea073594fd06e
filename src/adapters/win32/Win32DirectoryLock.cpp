#include "adapters/win32/Win32DirectoryLock.h"

#include <windows.h>

#include <utility>

namespace baromon::platform {

Win32DirectoryLock::Win32DirectoryLock(std::string directory) : directory_(std::move(directory)) {}

Win32DirectoryLock::~Win32DirectoryLock() {
  if (handle_ != nullptr) {
    ::CloseHandle(static_cast<HANDLE>(handle_));
  }
}

LockResult Win32DirectoryLock::tryLock() {
  if (handle_ != nullptr) {
    return LockResult::Taken;
  }
  const std::string path = directory_ + "\\" + kLockFileName;
  // Not inherited by programs we start: a dft.exe outliving the monitor would
  // otherwise keep the next monitor out.
  HANDLE handle =
      ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? LockResult::HeldByAnother
                                                                            : LockResult::Unavailable;
  }
  handle_ = handle;
  return LockResult::Taken;
}

} // namespace baromon::platform
