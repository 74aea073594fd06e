#pragma once

#include <string>

#include "core/store/LogRecord.h"

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

} // namespace baromon::testlog
