#pragma once

namespace baromon::platform {

enum class LockResult {
  Taken,         // this process holds the lock now
  HeldByAnother, // another process holds it
  Unavailable,   // the lock cannot be had here at all (no such mechanism, no access)
};

// Keeps a second monitor out of a directory where one already works: two monitors
// would append the same boundary twice and fight over monitor.ini. The monitor takes
// it as the very first step of start-up and keeps it for the life of the process;
// the commands that read or check the log never take it. Taking it must create and
// change nothing a user would see in the directory where that can be had (POSIX locks
// the directory itself); a platform without such a lock may use a lock file.
class DirectoryLock {
public:
  virtual ~DirectoryLock() = default;
  // One attempt, without waiting. Once taken, the lock stays until this object dies.
  virtual LockResult tryLock() = 0;
};

} // namespace baromon::platform
