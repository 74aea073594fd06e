#include "adapters/posix/PosixClock.h"

#include <cerrno>
#include <ctime>

#include <poll.h>

namespace baromon::platform {

namespace {
DateTime fromTm(const std::tm& tm) {
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}
} // namespace

DateTime PosixClock::utcNow() const {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  return fromTm(tm);
}

DateTime PosixClock::localNow() const {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return fromTm(tm);
}

void PosixClock::pause(int milliseconds) {
  const timespec length{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  if (nanosleep(&length, nullptr) != 0 && errno != EINTR) {
    // Refused (a sandbox, a preload): returning at once would make the caller's wait
    // no wait at all.
    ::poll(nullptr, 0, milliseconds);
  }
}

} // namespace baromon::platform
