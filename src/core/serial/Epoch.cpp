#include "core/serial/Epoch.h"

namespace baromon {

namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace

std::int64_t toEpochSeconds(const platform::DateTime& t) {
  const unsigned month = t.month >= 1 && t.month <= 12 ? static_cast<unsigned>(t.month) : 1u;
  const unsigned day = t.day >= 1 && t.day <= 31 ? static_cast<unsigned>(t.day) : 1u;
  return daysFromCivil(t.year, month, day) * 86400 + std::int64_t{t.hour} * 3600 +
         std::int64_t{t.minute} * 60 + t.second;
}

platform::DateTime fromEpochSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);

  platform::DateTime out;
  out.year = static_cast<int>(y);
  out.month = static_cast<int>(m);
  out.day = static_cast<int>(d);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest % 3600 / 60);
  out.second = static_cast<int>(rest % 60);
  // 1970-01-01 was a Thursday.
  std::int64_t wd = (days + 4) % 7;
  out.dayOfWeek = static_cast<int>(wd < 0 ? wd + 7 : wd);
  return out;
}

} // namespace baromon
