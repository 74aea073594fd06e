#pragma once

#include <array>
#include <cstdint>

namespace baromon {

constexpr int kLogRecordSize = 80;
// The barogram's samples: no picture shows more, so no slot is kept beyond them.
constexpr int kHistoryShown = 1000;

// One 80-byte line of monitor.txt, CR LF included.
using LogRecord = std::array<char, kLogRecordSize>;

// A decoded record. day == 0 marks an empty slot, which nothing draws.
struct HistorySample {
  std::int32_t year = 0;       // four-digit year, at most 2100
  std::uint8_t month = 0;      // 1..12
  std::uint8_t day = 0;        // 1..31; 0 = empty slot
  std::uint8_t hour = 0;       // 0..23
  std::uint8_t minute = 0;     // 0..59
  std::int32_t pressure = 0;   // hundredths of a hPa, 0..kMaxPressureHundredths
  std::int32_t tendency1h = 0; // tenths of a hPa, -499..499
  std::int32_t tendency3h = 0; // tenths of a hPa, -999..999
  std::int32_t variation = 0;  // tenths of a hPa, 0..499
  friend bool operator==(const HistorySample&, const HistorySample&) = default;
};

// The barogram's samples: slot 0 the newest shown, slot i one display step before slot i-1.
using History = std::array<HistorySample, kHistoryShown>;

// The decoder's result, kept between calls (zero at start).
struct LastDecodedRecord {
  HistorySample sample;
  std::uint32_t counter = 0; // 0..999999
};

// UTC date and time stamped into a record.
struct RecordTime {
  unsigned day = 0, month = 0, year = 0;
  int hour = 0, minute = 0;
};

LogRecord encodeLogRecord(std::uint32_t counter, const RecordTime& time, std::int32_t pressure,
                          std::int32_t tendency1h, std::int32_t tendency3h, std::int32_t variation,
                          int alarmDigit);

// Whether a parse decodes. Skip leaves `last` alone, as does any other value a cast makes.
enum class LogRecordMode : std::uint8_t { Skip = 0, Decode = 1 };

// Returns 1 for a valid record, 0 for an invalid one; unless asked to decode, decodes
// nothing and returns 1. Clamped values stay in `last` either way.
int parseLogRecord(LastDecodedRecord& last, LogRecordMode mode, const char* record);

} // namespace baromon
