#include <algorithm>
#include <cmath>

#include "core/serial/Epoch.h"
#include "core/store/LogRecord.h"
#include "sim/BarographSimulator.h"

namespace baromon::sim {

std::string BarographSimulator::logRecord(std::uint32_t counter, std::int64_t t) const {
  const platform::DateTime d = fromEpochSeconds(t);
  RecordTime when;
  when.day = static_cast<unsigned>(d.day);
  when.month = static_cast<unsigned>(d.month);
  when.year = static_cast<unsigned>(d.year);
  when.hour = d.hour;
  when.minute = d.minute;
  const auto pressure = static_cast<std::int32_t>(std::lround(pressureAt(t) * 100.0));
  // The converter range over the last 100 s: a few counts, more while the pressure falls.
  const int fall = std::max(0, -tendencyTenths(t, 1));
  const auto variation =
      static_cast<std::int32_t>(std::min(499.0, 3.0 + 2.5 * (noise(t, 7) + 1.0) + fall / 4.0));
  const LogRecord record =
      encodeLogRecord(counter, when, pressure, tendencyTenths(t, 1), tendencyTenths(t, 3), variation, 0);
  return std::string(record.data(), record.size());
}

} // namespace baromon::sim
