#include "core/serial/Decoders.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "core/domain/Units.h"

namespace baromon {

namespace {

// A received line, read by fixed offset. The decoders need no more than its first
// 32 bytes, so these are copied into a zero-filled window: a byte past the line's
// end reads as 0 without a length test on every read. The few bytes behind the
// window are always 0 as well, so a read just past a field at its end needs no test.
class Line {
public:
  static constexpr std::size_t kWindow = 32;

  Line(const char* bytes, std::size_t length) {
    if (length >= kWindow) {
      std::memcpy(window_.data(), bytes, kWindow);
      std::memset(window_.data() + kWindow, 0, kSlack);
    } else {
      window_.fill(0);
      if (length > 0) {
        std::memcpy(window_.data(), bytes, length);
      }
    }
  }
  // `i` is below kWindow + kSlack.
  unsigned char at(std::size_t i) const { return window_[i]; }
  // The value of a byte already known to be a digit.
  int d(std::size_t i) const { return static_cast<int>(at(i)) - '0'; }

private:
  static constexpr std::size_t kSlack = 8;
  std::array<unsigned char, kWindow + kSlack> window_;
};

constexpr std::int32_t kMaxRawPressure = kMaxPressureHundredths;

// What a decoder makes of a line: the raw pressure in hundredths of a hPa (0 when the
// line carries none), or nothing when the line is damaged and changed nothing.
using Decoded = std::optional<std::int32_t>;

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// A sentence may close with "*hh": the exclusive or of every byte between "$" and "*"
// as two hex digits, either case. The barograph's own $PXDR carries none and passes.
bool checksumHolds(const char* line, std::size_t length) {
  const auto* star = static_cast<const char*>(std::memchr(line, '*', length));
  if (star == nullptr) {
    return true;
  }
  const auto at = static_cast<std::size_t>(star - line);
  if (at + 2 >= length) {
    return false;
  }
  // Eight bytes at a time: `baromon decode` checks every line of a day's capture.
  std::uint64_t sum = 0;
  const char* p = line + 1;
  std::size_t n = at - 1;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, 8);
    sum ^= word;
  }
  for (; n > 0; ++p, --n) {
    sum ^= static_cast<unsigned char>(*p);
  }
  sum ^= sum >> 32;
  sum ^= sum >> 16;
  sum ^= sum >> 8;
  const int high = hexValue(line[at + 1]);
  const int low = hexValue(line[at + 2]);
  return high >= 0 && low >= 0 && high * 16 + low == static_cast<int>(sum & 0xFF);
}

std::int32_t pxdrTendency(const Line& b, std::size_t sign) {
  std::int32_t v = b.d(sign + 1) * 100 + b.d(sign + 2) * 10 + b.d(sign + 4);
  if (b.at(sign) == '-') {
    v = -v;
  }
  return clampTenths(v);
}

} // namespace

// The barograph's own sentence, once a second:
//
//   $PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40<CR><LF>
//   0     6   10 13    19    25    31
//
//   0      "$"
//   1-4    "PXDR" (upper-case P only)
//   5      ","
//   6-9    pressure, thousands to units of hPa
//   10     decimal point, not read
//   11-12  tenths and hundredths of hPa
//   13     ","
//   14-18  converter value, upper 16 bits of the converter, five digits
//   19     ","
//   20     sign of the 1-hour tendency: "-" negative, anything else positive
//   21-22  tens and units of hPa; 23 decimal point, not read; 24 tenths
//   25     ","
//   26-30  3-hour tendency, laid out as 20-24
//   31-    "," minute counter "," pressure that many minutes ago: not read
//
// The fixed bytes and every digit position are checked: one bit flipped on the
// line would otherwise be recorded as a pressure of up to 1500 hPa for good.
// The results are clamped as well: pressure to 1500 hPa, tendencies to +-99.9 hPa.
namespace {

constexpr std::size_t kPxdrDigits[] = {6, 7, 8, 9, 11, 12, 14, 15, 16, 17, 18, 21, 22, 24, 27, 28, 30};

// A digit's value is 0..9 and that plus 6 stays below 16; any other byte sets a
// higher bit in one of the two. Spelt out for every position, without a branch:
// this runs on every $PXDR, and `baromon decode` reads a day of them at once.
template <std::size_t... I> bool pxdrDigitsPresent(const Line& b, std::index_sequence<I...>) {
  const unsigned any =
      ((static_cast<unsigned>(b.d(kPxdrDigits[I])) | (static_cast<unsigned>(b.d(kPxdrDigits[I])) + 6)) | ...);
  return any <= 15;
}

Decoded decodePxdrLine(CurrentReading& reading, const Line& b) {
  if (b.at(1) != 'P' || b.at(2) != 'X' || b.at(3) != 'D' || b.at(4) != 'R' || b.at(5) != ',' ||
      b.at(13) != ',' || b.at(19) != ',' || b.at(25) != ',') {
    return std::nullopt;
  }
  if (!pxdrDigitsPresent(b, std::make_index_sequence<std::size(kPxdrDigits)>{})) {
    return std::nullopt;
  }
  std::int32_t raw = b.d(6) * 100000 + b.d(7) * 10000 + b.d(8) * 1000 + b.d(9) * 100 + b.d(11) * 10 + b.d(12);
  if (raw > kMaxRawPressure) {
    raw = kMaxRawPressure;
  }
  const std::int32_t ad = b.d(14) * 10000 + b.d(15) * 1000 + b.d(16) * 100 + b.d(17) * 10 + b.d(18);
  reading.adValue = static_cast<std::uint32_t>(ad);
  reading.tendency1h = pxdrTendency(b, 20);
  reading.tendency3h = pxdrTendency(b, 26);
  reading.valid = true;
  return raw;
}

} // namespace

std::int32_t decodePxdr(CurrentReading& reading, const char* line, std::size_t length) {
  return decodePxdrLine(reading, Line(line, length)).value_or(0);
}

// The device's transducer frames, beside $PXDR:
//
//   $WIXDR,P,0.9986,B    pressure in bar ("B"), or in pascals ("P": $WIXDR,P,101325,P)
//   $WIXDR,C,21.5,C      temperature in degrees C (also "-3.2", or "21" meaning 2.1)
//   $WIXDR,U,12.6,V      supply voltage in V (also "126" meaning 12.6)
//   0     6 8
//
//   3-5    "XDR"; 6 and 8 ","; 7 the kind letter (either case); the value from 9
//   value  digits with at most one point, a temperature also a sign; it ends at
//          the next "," ("*" or the line end where no unit follows)
//
// A value with any other byte is damaged and changes nothing, and so is a pressure
// in a unit other than bar or pascal. Pressure: 1 bar is 100000 hundredths of a hPa
// (five decimals count), 1 Pa is one hundredth. Temperature and voltage take one
// digit after the point as tenths and two (voltage: up to three) before it; without
// a point the last digit is the tenths.
namespace {

// What a byte is to a value field.
enum ByteKind : unsigned char { kOtherByte, kDigitByte, kPointByte, kEndByte };
constexpr std::array<unsigned char, 256> kByteKinds = [] {
  std::array<unsigned char, 256> kinds{};
  for (int c = '0'; c <= '9'; ++c) {
    kinds[static_cast<std::size_t>(c)] = kDigitByte;
  }
  kinds['.'] = kPointByte;
  for (const unsigned char c : {',', '*', '\r', '\n', '\0'}) {
    kinds[c] = kEndByte;
  }
  return kinds;
}();

// The value field from byte 9, read once.
struct ValueField {
  std::size_t first = 0; // its first digit or point, behind a sign
  std::size_t point = 0; // where its point is; `end` without one
  std::size_t end = 0;   // the byte that ends it; 0 when the field is damaged
};

ValueField valueField(const Line& b, bool signed_) {
  std::size_t i = 9;
  if (b.at(i) == '+' || (signed_ && b.at(i) == '-')) {
    ++i;
  }
  const std::size_t first = i;
  std::size_t point = 0;
  for (; i < Line::kWindow; ++i) {
    const unsigned char kind = kByteKinds[b.at(i)];
    if (kind == kDigitByte) {
      continue;
    }
    if (kind == kPointByte && point == 0) {
      point = i;
      continue;
    }
    const std::size_t digits = i - first - (point != 0 ? 1 : 0);
    if (kind != kEndByte || digits == 0) {
      return {};
    }
    return {first, point != 0 ? point : i, i};
  }
  return {}; // a field that runs out of the window is no value of this device either
}

// A pressure field's digits with `decimals` of them after the point counted, scaled
// to hundredths of a hPa and clamped.
std::int32_t scaledPressure(const Line& b, const ValueField& v, int decimals) {
  constexpr std::int64_t kCap = std::int64_t{kMaxRawPressure} * 100000; // beyond any clamp
  std::int64_t value = 0;
  for (std::size_t i = v.first; i < v.point; ++i) {
    value = std::min(value * 10 + b.d(i), kCap);
  }
  for (int k = 0; k < decimals; ++k) {
    const std::size_t i = v.point + 1 + static_cast<std::size_t>(k);
    value = value * 10 + (i < v.end ? b.d(i) : 0);
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kMaxRawPressure));
}

Decoded wixdrPressure(const Line& b) {
  const ValueField v = valueField(b, false);
  if (v.end == 0 || b.at(v.end) != ',' || kByteKinds[b.at(v.end + 2)] != kEndByte) {
    return std::nullopt;
  }
  const unsigned char unit = b.at(v.end + 1);
  if (unit == 'B' || unit == 'b') {
    return scaledPressure(b, v, 5);
  }
  if (unit == 'P' || unit == 'p') {
    return scaledPressure(b, v, 0);
  }
  return std::nullopt;
}

// Tenths from the digits around the point (or before the end): the tenths digit
// and up to `before` digits in front of it.
std::int32_t tenthsValue(const Line& b, const ValueField& v, int before) {
  const bool point = v.point < v.end;
  const std::size_t first = point ? v.point - 1 : v.end - 2;
  std::int32_t value = b.d(point ? v.point + 1 : v.end - 1);
  std::int32_t weight = 10;
  for (int k = 0; k < before; ++k, weight *= 10) {
    const std::size_t i = first - static_cast<std::size_t>(k);
    if (i < v.first) {
      break;
    }
    value += b.d(i) * weight;
  }
  return value;
}

Decoded decodeWixdrLine(CurrentReading& reading, const Line& b) {
  if (b.at(3) != 'X' || b.at(4) != 'D' || b.at(5) != 'R' || b.at(6) != ',' || b.at(8) != ',') {
    return std::nullopt;
  }
  const unsigned char kind = b.at(7);
  if (kind == 'P' || kind == 'p') {
    return wixdrPressure(b);
  }
  const bool temperature = kind == 'C' || kind == 'c';
  if (!temperature && kind != 'U' && kind != 'u') {
    return 0; // a transducer this monitor does not read
  }
  const ValueField v = valueField(b, temperature);
  if (v.end == 0 || (v.point < v.end && v.point + 1 == v.end)) {
    return std::nullopt; // damaged, or a point with no tenths digit after it
  }
  if (temperature) {
    const std::int32_t t = tenthsValue(b, v, v.point < v.end ? 2 : 1);
    reading.temperature = clampTenths(b.at(9) == '-' ? -t : t);
  } else {
    const std::int32_t u = tenthsValue(b, v, 2);
    reading.voltage = static_cast<std::uint32_t>(u > 999 ? 999 : u);
  }
  return 0;
}

} // namespace

std::int32_t decodeWixdr(CurrentReading& reading, const char* line, std::size_t length) {
  return decodeWixdrLine(reading, Line(line, length)).value_or(0);
}

namespace {

using Decoder = Decoded (*)(CurrentReading&, const Line&);

// Which decoder a line goes to, by the bytes after "$" (0 = any byte). A
// lower-case "p" reaches the $PXDR decoder, which then refuses it.
struct SentenceKind {
  char first;
  char firstAlternative;
  char second;
  char third;
  Decoder decode;
};
constexpr SentenceKind kSentenceKinds[] = {
    {'P', 'p', 0, 0, &decodePxdrLine},
    {'W', 'W', 'I', 'X', &decodeWixdrLine},
};

} // namespace

SentenceEffect decodeSentence(CurrentReading& reading, const char* line, std::size_t length, int hk) {
  reading.valid = false;
  SentenceEffect out;
  const Line b(line, length);
  if (b.at(0) != '$') {
    out.notSentence = true;
    return out;
  }
  const SentenceKind* kind = nullptr;
  for (const SentenceKind& k : kSentenceKinds) {
    if ((b.at(1) == static_cast<unsigned char>(k.first) ||
         b.at(1) == static_cast<unsigned char>(k.firstAlternative)) &&
        (k.second == 0 || b.at(2) == static_cast<unsigned char>(k.second)) &&
        (k.third == 0 || b.at(3) == static_cast<unsigned char>(k.third))) {
      kind = &k;
      break;
    }
  }
  if (kind == nullptr) {
    // Not the barograph's: another barometer's sentence, or one this monitor ignores.
    out.other = readOtherBarometer(std::string_view(line, length));
    if (out.other.recognised && !checksumHolds(line, length)) {
      out.other = OtherBarometer{true, true, std::nullopt, std::nullopt};
    }
    out.rejected = out.other.rejected;
    return out;
  }
  const Decoded raw = checksumHolds(line, length) ? kind->decode(reading, b) : std::nullopt;
  if (!raw) {
    out.rejected = true;
  } else if (*raw != 0) {
    reading.pressure = *raw + hk;
    out.pressure = true;
  }
  return out;
}

void updateConverterStats(ConverterStats& stats, std::uint32_t adValue) {
  std::copy_backward(stats.history.begin(), stats.history.end() - 1, stats.history.end());
  stats.history[0] = adValue;

  std::uint32_t sum = 0, count = 0, minimum = kMaxConverterCounts, maximum = 0;
  for (const std::uint32_t v : stats.history) {
    if (v == 0) {
      continue;
    }
    sum += v;
    ++count;
    if (v < minimum)
      minimum = v;
    if (v > maximum)
      maximum = v;
  }
  stats.minimum = minimum;
  stats.maximum = maximum;
  if (count > 0) {
    stats.mean = sum / count;
    stats.range = maximum - minimum;
    stats.variation = stats.range > 999 ? 999 : stats.range;
  } else {
    stats.mean = adValue;
    stats.range = 0;
    stats.variation = 0;
  }
}

} // namespace baromon
