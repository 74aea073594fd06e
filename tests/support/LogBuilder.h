#pragma once

#include <cstdint>
#include <string>

#include "core/store/LogRecord.h"
#include "support/TempDir.h"

// The one place tests make the contents of a monitor.txt: every record through the
// writer's own encoder, so a test log is laid out exactly as the monitor lays it out.
namespace baromon::testlog {

// One record as the writer lays it out.
inline std::string record(unsigned counter, int day, int month, int year, int hour, int minute, int pressure,
                          int tendency1h = 0, int tendency3h = 0, int variation = 0) {
  RecordTime t;
  t.day = static_cast<unsigned>(day);
  t.month = static_cast<unsigned>(month);
  t.year = static_cast<unsigned>(year);
  t.hour = hour;
  t.minute = minute;
  const LogRecord r = encodeLogRecord(counter, t, pressure, tendency1h, tendency3h, variation, 0);
  return std::string(r.begin(), r.end());
}

// Minutes since 1 January 2026 00:00 as a record on the five-minute grid.
// `pressure` identifies the record in the tests.
inline std::string recordAt(unsigned counter, long minutes, int pressure) {
  static const int daysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  long day = minutes / 1440;
  const int minuteOfDay = static_cast<int>(minutes % 1440);
  int month = 0;
  int year = 2026;
  for (;;) {
    const int length = daysIn[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
    if (day < length) {
      break;
    }
    day -= length;
    if (++month == 12) {
      month = 0;
      ++year;
    }
  }
  return record(counter, static_cast<int>(day) + 1, month + 1, year, minuteOfDay / 60, minuteOfDay % 60,
                pressure);
}

// `count` records five minutes apart from `startMinutes`, counters from `firstCounter`,
// record i carrying the pressure basePressure + i.
inline std::string gridLog(int count, long startMinutes = 0, int basePressure = 90000,
                           unsigned firstCounter = 1) {
  std::string log;
  log.reserve(static_cast<std::size_t>(count) * kLogRecordSize);
  for (int i = 0; i < count; ++i) {
    log += recordAt(firstCounter + static_cast<unsigned>(i), startMinutes + 5L * i, basePressure + i);
  }
  return log;
}

inline int recordsIn(const std::string& log) { return static_cast<int>(log.size() / kLogRecordSize); }

inline std::string recordOf(const std::string& log, int index) {
  return log.substr(static_cast<std::size_t>(index) * kLogRecordSize, kLogRecordSize);
}

// `n` records five minutes apart from 1 December 2026 00:00, all at 1013.25 hPa, the
// newest last.
inline std::string logRecords(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    const int minutes = i * 5;
    text += record(static_cast<unsigned>(i + 1), 1 + minutes / 1440, 12, 2026, (minutes / 60) % 24,
                   minutes % 60, 101325, 5, -10, 2);
  }
  return text;
}

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
