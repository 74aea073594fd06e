#pragma once

#include <cstdint>
#include <string>

#include "core/store/LogRecord.h"
#include "support/TempDir.h"

namespace baromon::testlog {

// Builds the text of a monitor.txt record by record.
struct LogBuilder {
  std::string text;
  std::uint32_t counter = 0;

  LogBuilder& add(unsigned day, unsigned hour, unsigned minute, std::int32_t pressure, std::int32_t t1 = 0,
                  std::int32_t t3 = 0, std::int32_t variation = 0, unsigned month = 3) {
    RecordTime time{day, month, 2024, static_cast<int>(hour), static_cast<int>(minute)};
    LogRecord r = encodeLogRecord(++counter, time, pressure, t1, t3, variation, 0);
    text.append(r.data(), r.size());
    return *this;
  }
  // One record per five-minute slot of the day, stamped at the slot's first minute.
  template <typename PressureOfSlot> LogBuilder& day(unsigned dayOfMonth, PressureOfSlot pressureOfSlot) {
    for (int slot = 0; slot < 288; ++slot) {
      add(dayOfMonth, slot / 12, (slot % 12) * 5, pressureOfSlot(slot));
    }
    return *this;
  }
  // 80 bytes that no decoder accepts (the date dots are missing).
  LogBuilder& garbage() {
    std::string bad(78, 'x');
    text += bad + "\r\n";
    ++counter;
    return *this;
  }
  void writeTo(const fakes::TempDir& dir) const { dir.write("monitor.txt", text); }
};

} // namespace baromon::testlog
