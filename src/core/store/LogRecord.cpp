#include "core/store/LogRecord.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "core/domain/Rules.h"
#include "core/domain/Units.h"

namespace baromon {

namespace {

// Writes fields left to right into the fixed record.
class RecordWriter {
public:
  explicit RecordWriter(LogRecord& record) : record_(record) {}

  void text(const char* s) {
    while (*s != '\0') {
      put(*s++);
    }
  }

  void put(char c) { record_[static_cast<std::size_t>(pos_++)] = c; }

  // Fixed-point text of an integer `value` with `decimals` places after a
  // comma, `width` characters in all, zero-padded after the sign, "+" in front
  // of values >= 0 when `plusSign`. This is what printf's "%0W.Df" (or
  // "%+0W.Df") prints for value / 10^decimals followed by the record's
  // "." -> "," step, without any float rounding. A value that would need more
  // than `width` characters is clamped to the nearest value that fits, so a
  // record never grows or shrinks.
  void fixed(std::int64_t value, int width, int decimals, bool plusSign) {
    const int separator = decimals > 0 ? 1 : 0;
    const int positiveDigits = width - (plusSign ? 1 : 0) - separator;
    const int negativeDigits = width - 1 - separator;
    value = std::clamp(value, -(power10(negativeDigits) - 1), power10(positiveDigits) - 1);

    int digits = positiveDigits;
    if (value < 0) {
      put('-');
      digits = negativeDigits;
    } else if (plusSign) {
      put('+');
    }
    std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
    char reversed[24];
    int n = 0;
    for (int i = 0; i < digits; ++i) {
      if (separator != 0 && i == decimals) {
        reversed[n++] = ',';
      }
      reversed[n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    }
    while (n > 0) {
      put(reversed[--n]);
    }
  }

  void unsignedField(std::uint64_t value, int width) {
    fixed(static_cast<std::int64_t>(std::min<std::uint64_t>(value, 1000000000u)), width, 0, false);
  }

private:
  static std::int64_t power10(int digits) {
    std::int64_t p = 1;
    for (int i = 0; i < digits; ++i) {
      p *= 10;
    }
    return p;
  }

  LogRecord& record_;
  int pos_ = 0;
};

// A digit's value as the reader takes it: the byte minus '0', untested. The
// byte counts as signed, so bytes from 0x80 up give large negative values.
int digit(const char* record, int index) {
  return static_cast<int>(static_cast<signed char>(record[index])) - '0';
}

int number(const char* record, std::initializer_list<int> positions) {
  int value = 0;
  for (int index : positions) {
    value = value * 10 + digit(record, index);
  }
  return value;
}

} // namespace

LogRecord encodeLogRecord(std::uint32_t counter, const RecordTime& time, std::int32_t pressure,
                          std::int32_t tendency1h, std::int32_t tendency3h, std::int32_t variation,
                          int alarmDigit) {
  LogRecord record{};
  RecordWriter w(record);
  w.unsignedField(counter, 6);
  w.put(' ');
  w.unsignedField(time.day, 2);
  w.put('.');
  w.unsignedField(time.month, 2);
  w.put('.');
  w.unsignedField(time.year, 4);
  w.put(' ');
  w.fixed(time.hour, 2, 0, false);
  w.put(':');
  w.fixed(time.minute, 2, 0, false);
  w.put(' ');
  w.fixed(pressure, 7, 2, false);
  w.text(" hPa ");
  w.fixed(tendency1h, 5, 1, true);
  w.text(" hPa/hr ");
  w.fixed(tendency3h, 5, 1, true);
  w.text(" hPa/3h ");
  w.fixed(variation, 4, 1, false);
  w.text(" hPa/h var ");
  w.fixed(std::clamp(alarmDigit, 0, 9), 1, 0, false);
  w.put('\r');
  w.put('\n');
  return record;
}

int parseLogRecord(LastDecodedRecord& last, LogRecordMode mode, const char* record) {
  if (mode != LogRecordMode::Decode) {
    return 1;
  }
  int errors = 0;
  HistorySample& s = last.sample;

  errors += record[9] != '.';
  errors += record[12] != '.';

  int year = number(record, {13, 14, 15, 16});
  if (year > 2100) {
    year = 2100;
    ++errors;
  }
  s.year = year;

  auto clamped = [&errors](int value, int low, int high) {
    if (value > high) {
      ++errors;
      return high;
    }
    if (value < low) {
      ++errors;
      return low;
    }
    return value;
  };
  s.month = static_cast<std::uint8_t>(clamped(number(record, {10, 11}), 1, 12));
  s.day = static_cast<std::uint8_t>(clamped(number(record, {7, 8}), 1, 31));
  s.hour = static_cast<std::uint8_t>(clamped(number(record, {18, 19}), 0, 23));
  s.minute = static_cast<std::uint8_t>(clamped(number(record, {21, 22}), 0, 59));

  // Counter and pressure are compared without sign, which also catches the
  // negative sums that non-digits produce.
  auto counter = static_cast<std::uint32_t>(number(record, {0, 1, 2, 3, 4, 5}));
  last.counter = counter > kCounterLimit ? kCounterLimit : counter;

  auto pressure = static_cast<std::uint32_t>(number(record, {24, 25, 26, 27, 29, 30}));
  if (pressure > static_cast<std::uint32_t>(kMaxPressureHundredths)) {
    pressure = static_cast<std::uint32_t>(kMaxPressureHundredths);
    ++errors;
  }
  s.pressure = static_cast<std::int32_t>(pressure);

  int t1 = number(record, {37, 38, 40});
  if (record[36] != '+') {
    t1 = -t1;
  }
  if (t1 >= 500) {
    t1 = 499;
    ++errors;
  } else if (t1 < -499) {
    t1 = -499;
    ++errors;
  }
  s.tendency1h = t1;

  int t3 = number(record, {50, 51, 53});
  if (record[49] != '+') {
    t3 = -t3;
  }
  if (t3 >= kMaxTenths) {
    t3 = kMaxTenths;
    ++errors;
  } else if (t3 <= kMinTenths) {
    t3 = kMinTenths;
    ++errors;
  }
  s.tendency3h = t3;

  auto variation = static_cast<std::uint32_t>(number(record, {62, 63, 65}));
  s.variation = variation > 499u ? 0 : static_cast<std::int32_t>(variation);

  return errors == 0 ? 1 : 0;
}

} // namespace baromon
