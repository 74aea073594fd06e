#include "core/serial/Decoders.h"

#include <array>
#include <cstring>

#include "core/app/AppContext.h"
#include "core/domain/Units.h"

namespace baromon {

namespace {

// A received line, read by fixed offset. No decoder reads past offset 30, so
// the line's first 32 bytes are copied into a zero-filled window: a byte past
// the line's end reads as 0 without a length test on every read.
class Line {
public:
  Line(const char* bytes, std::size_t length) {
    if (length >= kWindow) {
      std::memcpy(window_.data(), bytes, kWindow);
    } else {
      window_.fill(0);
      if (length > 0) {
        std::memcpy(window_.data(), bytes, length);
      }
    }
  }
  unsigned char at(std::size_t i) const { return i < kWindow ? window_[i] : 0; }
  // The device's digits are taken as they come: any byte minus "0".
  int d(std::size_t i) const { return static_cast<int>(at(i)) - '0'; }
  bool isDigit(std::size_t i) const { return at(i) >= '0' && at(i) <= '9'; }
  // First index of `c` in [from, to), or `to` when absent.
  std::size_t find(char c, std::size_t from, std::size_t to) const {
    for (std::size_t i = from; i < to; ++i) {
      if (at(i) == static_cast<unsigned char>(c)) {
        return i;
      }
    }
    return to;
  }

private:
  static constexpr std::size_t kWindow = 32;
  std::array<unsigned char, kWindow> window_;
};

constexpr std::int32_t kMaxRawPressure = 150000;

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
// The digits are not checked (a byte counts as itself minus "0"); the fixed
// bytes are. The results are clamped instead: pressure to 1500 hPa,
// tendencies to +-99.9 hPa.
namespace {

std::int32_t decodePxdrLine(CurrentReading& reading, const Line& b) {
  if (b.at(1) != 'P' || b.at(2) != 'X' || b.at(3) != 'D' || b.at(4) != 'R' || b.at(5) != ',' ||
      b.at(13) != ',' || b.at(19) != ',' || b.at(25) != ',') {
    return 0;
  }
  std::int32_t raw = b.d(6) * 100000 + b.d(7) * 10000 + b.d(8) * 1000 + b.d(9) * 100 + b.d(11) * 10 + b.d(12);
  if (raw > kMaxRawPressure) {
    raw = kMaxRawPressure;
  }
  const std::int32_t ad = b.d(14) * 10000 + b.d(15) * 1000 + b.d(16) * 100 + b.d(17) * 10 + b.d(18);
  reading.adValue = static_cast<std::uint32_t>(ad);
  reading.tendency1h = pxdrTendency(b, 20);
  reading.tendency3h = pxdrTendency(b, 26);
  reading.valid = 1;
  return raw;
}

} // namespace

std::int32_t decodePxdr(CurrentReading& reading, const char* line, std::size_t length) {
  return decodePxdrLine(reading, Line(line, length));
}

// The device's transducer frames, beside $PXDR:
//
//   $WIXDR,P,0.9986,B    pressure in bar
//   $WIXDR,C,21.5,C      temperature in degrees C (also "-3.2", or "21" meaning 2.1)
//   $WIXDR,U,12.6,V      supply voltage in V (also "126" meaning 12.6)
//   0     6 8
//
//   3-5    "XDR"; 6 and 8 ","; 7 the kind letter (either case); the value from 9
//   value  ends at the next "," (looked for up to byte 15 for P, 14 otherwise)
//
// Only digits count here. Pressure: 1 bar is 100000 hundredths of a hPa, so
// the digit before the point and five after it give the value. Temperature and
// voltage take one digit after the point as tenths and two (voltage: up to
// three) before it; without a point the last digit is the tenths.
namespace {

std::int32_t decodeWixdrLine(CurrentReading& reading, const Line& b) {
  if (b.at(3) != 'X' || b.at(4) != 'D' || b.at(5) != 'R' || b.at(6) != ',' || b.at(8) != ',') {
    return 0;
  }
  const unsigned char kind = b.at(7);
  if (kind == 'P' || kind == 'p') {
    const std::size_t e = b.find(',', 9, 16);
    const std::size_t p = b.find('.', 9, e);
    std::int32_t raw = 0;
    if (b.isDigit(p - 1)) {
      raw = b.d(p - 1) * 100000;
    }
    static constexpr std::int32_t kWeights[] = {10000, 1000, 100, 10, 1};
    for (std::size_t k = 0; k < 5; ++k) {
      if (b.isDigit(p + 1 + k)) {
        raw += b.d(p + 1 + k) * kWeights[k];
      }
    }
    return raw > kMaxRawPressure ? kMaxRawPressure : raw;
  }
  if (kind == 'C' || kind == 'c') {
    const std::size_t e = b.find(',', 9, 15);
    const std::size_t p = b.find('.', 9, e);
    std::int32_t t = reading.temperature;
    if (p < e) {
      if (b.isDigit(p + 1))
        t = b.d(p + 1);
      if (b.isDigit(p - 1))
        t += b.d(p - 1) * 10;
      if (b.isDigit(p - 2))
        t += b.d(p - 2) * 100;
    } else {
      if (b.isDigit(e - 1))
        t = b.d(e - 1);
      if (b.isDigit(e - 2))
        t += b.d(e - 2) * 10;
    }
    if (b.at(9) == '-') {
      t = -t;
    }
    reading.temperature = clampTenths(t);
    return 0;
  }
  if (kind == 'U' || kind == 'u') {
    const std::size_t e = b.find(',', 9, 15);
    const std::size_t p = b.find('.', 9, e);
    std::uint32_t v = reading.voltage;
    if (p < e) {
      if (b.isDigit(p + 1))
        v = static_cast<std::uint32_t>(b.d(p + 1));
      if (b.isDigit(p - 1))
        v += static_cast<std::uint32_t>(b.d(p - 1)) * 10;
      if (b.isDigit(p - 2))
        v += static_cast<std::uint32_t>(b.d(p - 2)) * 100;
    } else {
      if (b.isDigit(e - 1))
        v = static_cast<std::uint32_t>(b.d(e - 1));
      if (b.isDigit(e - 2))
        v += static_cast<std::uint32_t>(b.d(e - 2)) * 10;
      if (b.isDigit(e - 3))
        v += static_cast<std::uint32_t>(b.d(e - 3)) * 100;
    }
    reading.voltage = v > 999 ? 999 : v;
    return 0;
  }
  return 0;
}

} // namespace

std::int32_t decodeWixdr(CurrentReading& reading, const char* line, std::size_t length) {
  return decodeWixdrLine(reading, Line(line, length));
}

namespace {

using Decoder = std::int32_t (*)(CurrentReading&, const Line&);

// Which decoder a line goes to, by the bytes after "$" (0 = any byte). A
// lower-case "p" reaches the $PXDR decoder, which then refuses it.
struct SentenceKind {
  char first;
  char firstAlternative;
  char second;
  Decoder decode;
};
constexpr SentenceKind kSentenceKinds[] = {
    {'P', 'p', 0, &decodePxdrLine},
    {'W', 'W', 'I', &decodeWixdrLine},
};

} // namespace

int decodeSentence(CurrentReading& reading, const char* line, std::size_t length, int hk,
                   bool* decodedPressure) {
  reading.valid = 0;
  if (decodedPressure != nullptr) {
    *decodedPressure = false;
  }
  const Line b(line, length);
  if (b.at(0) != '$') {
    return 1;
  }
  const SentenceKind* kind = nullptr;
  for (const SentenceKind& k : kSentenceKinds) {
    if ((b.at(1) == static_cast<unsigned char>(k.first) ||
         b.at(1) == static_cast<unsigned char>(k.firstAlternative)) &&
        (k.second == 0 || b.at(2) == static_cast<unsigned char>(k.second))) {
      kind = &k;
      break;
    }
  }
  if (kind == nullptr) {
    return 0; // any other sentence is ignored
  }
  const std::int32_t raw = kind->decode(reading, b);
  if (raw != 0) {
    reading.pressure = raw + hk;
    if (decodedPressure != nullptr) {
      *decodedPressure = true;
    }
  }
  return 0;
}

void updateConverterStats(ConverterStats& stats, std::uint32_t adValue) {
  for (int i = 99; i >= 0; --i) {
    stats.history[static_cast<std::size_t>(i) + 1] = stats.history[static_cast<std::size_t>(i)];
  }
  stats.history[0] = adValue;

  std::uint32_t sum = 0, count = 0, minimum = 65535, maximum = 0;
  for (int i = 0; i < 100; ++i) {
    const std::uint32_t v = stats.history[static_cast<std::size_t>(i)];
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

int decodeSentence(AppContext& app, bool* decodedPressure) {
  return decodeSentence(app.reading, app.acquisition.receiveBuffer.data(), app.acquisition.fillCount,
                        app.settings.HK, decodedPressure);
}

} // namespace baromon
