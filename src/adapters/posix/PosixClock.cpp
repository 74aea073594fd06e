#include "adapters/posix/PosixClock.h"

#include <ctime>

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

} // namespace baromon::platform
