// Arbitrary bytes as a monitor.txt record, and as the numbers handed to the encoder.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "core/store/LogRecord.h"

using namespace baromon;

namespace {

void checkRanges(const LastDecodedRecord& d) {
  const HistorySample& s = d.sample;
  FUZZ_CHECK(s.year <= 2100);
  FUZZ_CHECK(s.month >= 1 && s.month <= 12);
  FUZZ_CHECK(s.day >= 1 && s.day <= 31);
  FUZZ_CHECK(s.hour <= 23);
  FUZZ_CHECK(s.minute <= 59);
  FUZZ_CHECK(s.pressure >= 0 && s.pressure <= 150000);
  FUZZ_CHECK(s.tendency1h >= -499 && s.tendency1h <= 499);
  FUZZ_CHECK(s.tendency3h >= -999 && s.tendency3h <= 999);
  FUZZ_CHECK(s.variation >= 0 && s.variation <= 499);
  FUZZ_CHECK(d.counter <= 999999);
}

LogRecord encodeDecoded(const LastDecodedRecord& d) {
  const HistorySample& s = d.sample;
  return encodeLogRecord(d.counter,
                         RecordTime{s.day, s.month, static_cast<unsigned>(s.year), s.hour, s.minute},
                         s.pressure, s.tendency1h, s.tendency3h, s.variation, 0);
}

void checkLayout(const LogRecord& r) {
  FUZZ_CHECK(r[9] == '.' && r[12] == '.');
  FUZZ_CHECK(r[78] == '\r' && r[79] == '\n');
  FUZZ_CHECK(std::memcmp(&r[31], " hPa ", 5) == 0);
  FUZZ_CHECK(std::memcmp(&r[66], " hPa/h var ", 11) == 0);
  for (char c : r) {
    FUZZ_CHECK(c != '\0');
  }
}

template <typename T> T take(const std::uint8_t*& data, std::size_t& size) {
  T value{};
  const std::size_t n = size < sizeof value ? size : sizeof value;
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Decoding: any 80 bytes (a short input is padded with blanks).
  char record[kLogRecordSize];
  std::memset(record, ' ', sizeof record);
  std::memcpy(record, data, size < sizeof record ? size : sizeof record);

  LastDecodedRecord last;
  const int valid = parseLogRecord(last, LogRecordMode::Decode, record);
  FUZZ_CHECK(valid == 0 || valid == 1);
  checkRanges(last);

  // Whatever was decoded re-encodes into a well-formed record that reads back the same,
  // except where the reader's bounds themselves count as errors (year below 0, +-99,9).
  if (valid == 1 && last.sample.year >= 0) {
    const LogRecord again = encodeDecoded(last);
    checkLayout(again);
    LastDecodedRecord back;
    FUZZ_CHECK(parseLogRecord(back, LogRecordMode::Decode, again.data()) == 1);
    FUZZ_CHECK(back.sample == last.sample && back.counter == last.counter);
  }

  // Another mode decodes nothing.
  const LastDecodedRecord before = last;
  FUZZ_CHECK(parseLogRecord(last, LogRecordMode::Skip, record) == 1);
  FUZZ_CHECK(last.sample == before.sample && last.counter == before.counter);

  // Encoding: any numbers give an 80-byte record with its fixed bytes in place.
  const std::uint8_t* rest = data;
  std::size_t left = size;
  const auto counter = take<std::uint32_t>(rest, left);
  RecordTime time;
  time.day = take<unsigned>(rest, left);
  time.month = take<unsigned>(rest, left);
  time.year = take<unsigned>(rest, left);
  time.hour = take<int>(rest, left);
  time.minute = take<int>(rest, left);
  const auto pressure = take<std::int32_t>(rest, left);
  const auto t1 = take<std::int32_t>(rest, left);
  const auto t3 = take<std::int32_t>(rest, left);
  const auto variation = take<std::int32_t>(rest, left);
  const auto alarm = take<int>(rest, left);
  const LogRecord encoded = encodeLogRecord(counter, time, pressure, t1, t3, variation, alarm);
  checkLayout(encoded);
  LastDecodedRecord decoded;
  parseLogRecord(decoded, LogRecordMode::Decode, encoded.data());
  checkRanges(decoded);
  return 0;
}
