#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/store/LogRecord.h"

using namespace baromon;

namespace {

const std::string kExample =
    "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\r\n";

std::string text(const LogRecord& r) { return std::string(r.data(), r.size()); }

std::string encode(std::uint32_t counter, std::int32_t pressure, std::int32_t t1, std::int32_t t3,
                   std::int32_t variation, RecordTime time = {28, 12, 2003, 21, 0}, int alarm = 0) {
  return text(encodeLogRecord(counter, time, pressure, t1, t3, variation, alarm));
}

// The float formatting the record layout is defined by, with its "." -> ","
// step from byte 15 on; the integer encoder must agree wherever a value fits.
std::string floatReference(long counter, RecordTime t, std::int32_t p, std::int32_t t1, std::int32_t t3,
                           std::int32_t v) {
  char buffer[128] = {};
  std::snprintf(
      buffer, sizeof buffer,
      "%06ld %02u.%02u.%04u %02d:%02d %07.2f hPa %+05.1f hPa/hr %+05.1f hPa/3h %04.1f hPa/h var %d%c%c",
      counter, t.day, t.month, t.year, t.hour, t.minute, p * 0.01, t1 * 0.1, t3 * 0.1, v * 0.1, 0, 13, 10);
  for (int i = 15; i < 128; ++i) {
    if (buffer[i] == '.') {
      buffer[i] = ',';
    }
  }
  return std::string(buffer, 80);
}

int parse(LastDecodedRecord& last, const std::string& record, LogRecordMode mode = LogRecordMode::Decode) {
  return parseLogRecord(last, mode, record.data());
}

TEST(EncodeLogRecord, ExampleRecordByteForByte) {
  const std::string r = encode(20, 98810, 18, 52, 0);
  EXPECT_EQ(r, kExample);
  EXPECT_EQ(r.size(), 80u);
  EXPECT_EQ(r[78], '\r');
  EXPECT_EQ(r[79], '\n');
}

TEST(EncodeLogRecord, FieldTexts) {
  struct Case {
    const char* legend;
    std::int32_t pressure, t1, t3, variation;
    const char* pressureText; // bytes 24-30
    const char* t1Text;       // bytes 36-40
    const char* t3Text;       // bytes 49-53
    const char* varText;      // bytes 62-65
  };
  const Case cases[] = {
      {"small negative tendency keeps its sign and zeros", 100000, -3, 0, 5, "1000,00", "-00,3", "+00,0",
       "00,5"},
      {"largest values that fit", 999999, 999, -999, 999, "9999,99", "+99,9", "-99,9", "99,9"},
      {"zero everywhere", 0, 0, 0, 0, "0000,00", "+00,0", "+00,0", "00,0"},
      {"hundredths below ten", 95005, -10, 10, 10, "0950,05", "-01,0", "+01,0", "01,0"},
      {"negative pressure as the float format prints it", -5, 0, 0, 0, "-000,05", "+00,0", "+00,0", "00,0"},
      {"pressure of 10000 hPa or more clamps to the largest the field holds", 1000000, 0, 0, 0, "9999,99",
       "+00,0", "+00,0", "00,0"},
      {"pressure far out of range clamps", INT32_MAX, 0, 0, 0, "9999,99", "+00,0", "+00,0", "00,0"},
      {"very negative pressure clamps to -999,99", INT32_MIN, 0, 0, 0, "-999,99", "+00,0", "+00,0", "00,0"},
      {"tendencies beyond +-999 clamp", 0, 1000, -1000, 0, "0000,00", "+99,9", "-99,9", "00,0"},
      {"tendencies at the int limits clamp", 0, INT32_MAX, INT32_MIN, 0, "0000,00", "+99,9", "-99,9", "00,0"},
      {"variation above 999 clamps", 0, 0, 0, 5000, "0000,00", "+00,0", "+00,0", "99,9"},
      {"negative variation as printed, then clamped", 0, 0, 0, -5, "0000,00", "+00,0", "+00,0", "-0,5"},
      {"very negative variation clamps to -9,9", 0, 0, 0, -500, "0000,00", "+00,0", "+00,0", "-9,9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    const std::string r = encode(1, c.pressure, c.t1, c.t3, c.variation);
    ASSERT_EQ(r.size(), 80u);
    EXPECT_EQ(r.substr(24, 7), c.pressureText);
    EXPECT_EQ(r.substr(31, 5), " hPa ");
    EXPECT_EQ(r.substr(36, 5), c.t1Text);
    EXPECT_EQ(r.substr(41, 8), " hPa/hr ");
    EXPECT_EQ(r.substr(49, 5), c.t3Text);
    EXPECT_EQ(r.substr(54, 8), " hPa/3h ");
    EXPECT_EQ(r.substr(62, 4), c.varText);
    EXPECT_EQ(r.substr(66, 11), " hPa/h var ");
    EXPECT_EQ(r.substr(78, 2), "\r\n");
  }
}

TEST(EncodeLogRecord, CounterDateAndAlarmKeepTheirWidths) {
  struct Case {
    const char* legend;
    std::uint32_t counter;
    RecordTime time;
    int alarm;
    const char* head; // bytes 0-22
    char alarmChar;   // byte 77
  };
  const Case cases[] = {
      {"first record", 1, {1, 1, 2024, 0, 0}, 0, "000001 01.01.2024 00:00", '0'},
      {"largest counter", 999999, {31, 12, 2099, 23, 55}, 1, "999999 31.12.2099 23:55", '1'},
      {"counter above 999999 clamps", 1000000, {31, 12, 2099, 23, 55}, 0, "999999 31.12.2099 23:55", '0'},
      {"counter at the type limit clamps", UINT32_MAX, {1, 1, 2000, 0, 5}, 0, "999999 01.01.2000 00:05", '0'},
      {"oversized date and time fields clamp",
       7,
       {100, 250, 12345, 100, -50},
       12,
       "000007 99.99.9999 99:-9",
       '9'},
      {"negative alarm digit clamps to 0", 7, {1, 2, 2003, 4, 5}, -1, "000007 01.02.2003 04:05", '0'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    const std::string r = text(encodeLogRecord(c.counter, c.time, 98810, 18, 52, 0, c.alarm));
    ASSERT_EQ(r.size(), 80u);
    EXPECT_EQ(r.substr(0, 23), c.head);
    EXPECT_EQ(r.substr(23, 54), " 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var ");
    EXPECT_EQ(r[77], c.alarmChar);
    EXPECT_EQ(r.substr(78, 2), "\r\n");
  }
}

TEST(EncodeLogRecord, AgreesWithTheFloatFormatsForEveryValueThatFits) {
  const RecordTime t{28, 12, 2003, 21, 0};
  for (std::int32_t p = 0; p <= 999999; p += 7) {
    ASSERT_EQ(encode(20, p, 0, 0, 0, t), floatReference(20, t, p, 0, 0, 0)) << "pressure " << p;
  }
  for (std::int32_t p : {-99999, -12345, -1, 999999, 150000, 100000}) {
    ASSERT_EQ(encode(20, p, 0, 0, 0, t), floatReference(20, t, p, 0, 0, 0)) << "pressure " << p;
  }
  for (std::int32_t v = -999; v <= 999; ++v) {
    ASSERT_EQ(encode(20, 98810, v, -v, 0, t), floatReference(20, t, 98810, v, -v, 0)) << "tendency " << v;
  }
  for (std::int32_t v = -99; v <= 999; ++v) {
    ASSERT_EQ(encode(20, 98810, 0, 0, v, t), floatReference(20, t, 98810, 0, 0, v)) << "variation " << v;
  }
}

TEST(ParseLogRecord, ExampleDecodesBack) {
  LastDecodedRecord last;
  EXPECT_EQ(parse(last, kExample), 1);
  const HistorySample expected{2003, 12, 28, 21, 0, 98810, 18, 52, 0};
  EXPECT_EQ(last.sample, expected);
  EXPECT_EQ(last.counter, 20u);
}

TEST(ParseLogRecord, EncodedRecordsRoundTrip) {
  struct Case {
    const char* legend;
    std::uint32_t counter;
    RecordTime time;
    std::int32_t pressure, t1, t3, variation;
  };
  const Case cases[] = {
      {"lowest values", 1, {1, 1, 0, 0, 0}, 0, -499, -998, 0},
      {"highest values the reader accepts", 999999, {31, 12, 2100, 23, 59}, 150000, 499, 998, 499},
      {"negative small tendencies", 123456, {15, 6, 2026, 12, 30}, 101325, -3, -1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    const LogRecord r = encodeLogRecord(c.counter, c.time, c.pressure, c.t1, c.t3, c.variation, 0);
    LastDecodedRecord last;
    EXPECT_EQ(parseLogRecord(last, LogRecordMode::Decode, r.data()), 1);
    const HistorySample expected{static_cast<std::int32_t>(c.time.year),
                                 static_cast<std::uint8_t>(c.time.month),
                                 static_cast<std::uint8_t>(c.time.day),
                                 static_cast<std::uint8_t>(c.time.hour),
                                 static_cast<std::uint8_t>(c.time.minute),
                                 c.pressure,
                                 c.t1,
                                 c.t3,
                                 c.variation};
    EXPECT_EQ(last.sample, expected);
    EXPECT_EQ(last.counter, c.counter);
  }
}

// Legend, bytes to overwrite in the example (position, text), then what the
// decoder must leave and return.
TEST(ParseLogRecord, DecodeEdgeCases) {
  struct Case {
    const char* legend;
    int at;
    const char* patch;
    int valid;
    HistorySample expected;
    std::uint32_t counter;
  };
  const HistorySample ex{2003, 12, 28, 21, 0, 98810, 18, 52, 0};
  auto with = [](HistorySample s, auto change) {
    change(s);
    return s;
  };
  const Case cases[] = {
      {"blank sign makes the one-hour tendency negative", 36, " ", 1,
       with(ex, [](HistorySample& s) { s.tendency1h = -18; }), 20},
      {"blank sign makes the three-hour tendency negative", 49, " ", 1,
       with(ex, [](HistorySample& s) { s.tendency3h = -52; }), 20},
      {"variation 55,0 decodes as 0 and stays valid", 62, "55,0", 1, ex, 20},
      {"variation 49,9 is the largest kept", 62, "49,9", 1,
       with(ex, [](HistorySample& s) { s.variation = 499; }), 20},
      {"variation with a non-digit decodes as 0", 62, "-0,1", 1, ex, 20},
      {"day 00 becomes 1 and invalid", 7, "00", 0, with(ex, [](HistorySample& s) { s.day = 1; }), 20},
      {"day 32 becomes 31 and invalid", 7, "32", 0, with(ex, [](HistorySample& s) { s.day = 31; }), 20},
      {"month 00 becomes 1 and invalid", 10, "00", 0, with(ex, [](HistorySample& s) { s.month = 1; }), 20},
      {"month 13 becomes 12 and invalid", 10, "13", 0, with(ex, [](HistorySample& s) { s.month = 12; }), 20},
      {"year 2101 becomes 2100 and invalid", 13, "2101", 0, with(ex, [](HistorySample& s) { s.year = 2100; }),
       20},
      {"year 2100 is valid", 13, "2100", 1, with(ex, [](HistorySample& s) { s.year = 2100; }), 20},
      {"year has no lower bound", 13, "0000", 1, with(ex, [](HistorySample& s) { s.year = 0; }), 20},
      {"hour 24 becomes 23 and invalid", 18, "24", 0, with(ex, [](HistorySample& s) { s.hour = 23; }), 20},
      {"hour with a non-digit below 0 becomes 0 and invalid", 18, "-1", 0,
       with(ex, [](HistorySample& s) { s.hour = 0; }), 20},
      {"minute 60 becomes 59 and invalid", 21, "60", 0, with(ex, [](HistorySample& s) { s.minute = 59; }),
       20},
      {"minute below 0 becomes 0 and invalid", 21, " 0", 0, with(ex, [](HistorySample& s) { s.minute = 0; }),
       20},
      {"comma instead of the first date dot is invalid", 9, ",", 0, ex, 20},
      {"comma instead of the second date dot is invalid", 12, ",", 0, ex, 20},
      {"pressure byte 28 is never looked at", 28, "X", 1, ex, 20},
      {"pressure 1500,00 is the largest kept", 24, "1500,00", 1,
       with(ex, [](HistorySample& s) { s.pressure = 150000; }), 20},
      {"pressure 1500,01 becomes 150000 and invalid", 24, "1500,01", 0,
       with(ex, [](HistorySample& s) { s.pressure = 150000; }), 20},
      {"negative pressure from a non-digit becomes 150000 and invalid", 24, "-988,10", 0,
       with(ex, [](HistorySample& s) { s.pressure = 150000; }), 20},
      {"one-hour tendency +49,9 is valid", 36, "+49,9", 1,
       with(ex, [](HistorySample& s) { s.tendency1h = 499; }), 20},
      {"one-hour tendency +50,0 becomes 499 and invalid", 36, "+50,0", 0,
       with(ex, [](HistorySample& s) { s.tendency1h = 499; }), 20},
      {"one-hour tendency -49,9 is valid", 36, "-49,9", 1,
       with(ex, [](HistorySample& s) { s.tendency1h = -499; }), 20},
      {"one-hour tendency -50,0 becomes -499 and invalid", 36, "-50,0", 0,
       with(ex, [](HistorySample& s) { s.tendency1h = -499; }), 20},
      {"three-hour tendency +99,8 is valid", 49, "+99,8", 1,
       with(ex, [](HistorySample& s) { s.tendency3h = 998; }), 20},
      {"three-hour tendency +99,9 counts as an error", 49, "+99,9", 0,
       with(ex, [](HistorySample& s) { s.tendency3h = 999; }), 20},
      {"three-hour tendency -99,9 counts as an error", 49, "-99,9", 0,
       with(ex, [](HistorySample& s) { s.tendency3h = -999; }), 20},
      {"counter with non-digits clamps to 999999 without an error", 0, "-00001", 1, ex, 999999},
      {"counter 000000 is kept", 0, "000000", 1, ex, 0},
      {"byte 0x80 and up counts as a negative digit", 7,
       "\x90"
       "1",
       0, with(ex, [](HistorySample& s) { s.day = 1; }), 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    std::string r = kExample;
    r.replace(static_cast<std::size_t>(c.at), std::char_traits<char>::length(c.patch), c.patch);
    ASSERT_EQ(r.size(), 80u);
    LastDecodedRecord last;
    EXPECT_EQ(parse(last, r), c.valid);
    EXPECT_EQ(last.sample, c.expected);
    EXPECT_EQ(last.counter, c.counter);
  }
}

TEST(ParseLogRecord, OtherModesDecodeNothing) {
  LastDecodedRecord last;
  ASSERT_EQ(parse(last, kExample), 1);
  const LastDecodedRecord before = last;
  const std::string blanks(80, ' ');
  for (int mode : {0, 2, -1}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(parse(last, blanks, static_cast<LogRecordMode>(mode)), 1);
    EXPECT_EQ(last.sample, before.sample);
    EXPECT_EQ(last.counter, before.counter);
  }
}

TEST(ParseLogRecord, InvalidRecordStillLeavesItsClampedValues) {
  LastDecodedRecord last;
  ASSERT_EQ(parse(last, kExample), 1);
  EXPECT_EQ(parse(last, std::string(80, ' ')), 0);
  // Blanks are digit value -16 each: every field lands on a bound.
  EXPECT_EQ(last.sample.day, 1);
  EXPECT_EQ(last.sample.month, 1);
  EXPECT_EQ(last.sample.hour, 0);
  EXPECT_EQ(last.sample.minute, 0);
  EXPECT_EQ(last.sample.year, -16 * 1111);
  EXPECT_EQ(last.sample.pressure, 150000);
  EXPECT_EQ(last.sample.tendency1h, 499); // -(-16*111) = 1776, clamped high
  EXPECT_EQ(last.sample.tendency3h, 999);
  EXPECT_EQ(last.sample.variation, 0);
  EXPECT_EQ(last.counter, 999999u);
}

} // namespace
