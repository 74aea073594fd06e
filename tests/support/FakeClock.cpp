#include "support/FakeClock.h"

#include <ctime>

#include "core/serial/Epoch.h"

namespace baromon::fakes {

using namespace baromon::platform;

namespace {
DateTime shifted(const DateTime& t, long seconds) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
#ifdef _WIN32
  // The C library here knows no time before 1970; the core's calendar arithmetic does.
  (void)tm;
  return fromEpochSeconds(toEpochSeconds(t) + seconds);
#else
  std::time_t when = timegm(&tm) + seconds;
  std::tm out{};
  gmtime_r(&when, &out);
  return DateTime{out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour,
                  out.tm_min,         out.tm_sec,     out.tm_wday};
#endif
}
} // namespace

DateTime FakeClock::localNow() const { return shifted(utc, localOffsetHours * 3600L); }

void FakeClock::advanceSeconds(long seconds) { utc = shifted(utc, seconds); }

void FakeClock::pause(int milliseconds) {
  pauses.push_back(milliseconds);
  pausedMillis_ += milliseconds;
  advanceSeconds(pausedMillis_ / 1000);
  pausedMillis_ %= 1000;
  if (onPause) {
    onPause(pauses.size());
  }
}

} // namespace baromon::fakes
