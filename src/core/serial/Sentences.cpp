#include "core/serial/Sentences.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/domain/Units.h"
#include "core/serial/Decoders.h"
#include "core/serial/Epoch.h"
#include "core/state/AppContext.h"

namespace baromon {

unsigned nmeaChecksum(std::string_view body) {
  unsigned sum = 0;
  for (std::size_t i = !body.empty() && body[0] == '$' ? 1 : 0; i < body.size(); ++i) {
    sum ^= static_cast<unsigned char>(body[i]);
  }
  return sum & 0xFF;
}

std::string withNmeaChecksum(std::string_view body) {
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", nmeaChecksum(body));
  std::string line;
  line.reserve(body.size() + 6);
  if (body.empty() || body[0] != '$') {
    line += '$';
  }
  line += body;
  line += tail;
  return line;
}

namespace {

constexpr std::size_t kMaxFields = 24;

// The fields of a sentence between "$" and "*" (or the line end); field 0 is the address.
struct Fields {
  std::array<std::string_view, kMaxFields> at{};
  std::size_t count = 0;
  std::string_view operator[](std::size_t i) const { return i < count ? at[i] : std::string_view(); }
};

Fields splitFields(std::string_view line) {
  std::string_view body = line.substr(1);
  body = body.substr(0, std::min(body.find_first_of("*\r\n"), body.size()));
  Fields f;
  while (f.count < kMaxFields) {
    const std::size_t comma = body.find(',');
    f.at[f.count++] = body.substr(0, comma);
    if (comma == std::string_view::npos) {
      break;
    }
    body.remove_prefix(comma + 1);
  }
  return f;
}

// A decimal number as an integer with `decimals` places, further places dropped:
// an optional sign ("-" only where `signedValue`), digits with at most one point, at
// least one digit. Magnitudes are capped far above any clamp. Nothing when damaged.
std::optional<std::int64_t> scaledNumber(std::string_view text, int decimals, bool signedValue) {
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || (signedValue && text[0] == '-'))) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  int digits = 0;
  int after = -1; // digits after the point, -1 before it
  for (const char c : text) {
    if (c == '.' && after < 0) {
      after = 0;
      continue;
    }
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    ++digits;
    if (after >= decimals) {
      continue;
    }
    value = std::min(value * 10 + (c - '0'), kCap);
    if (after >= 0) {
      ++after;
    }
  }
  if (digits == 0) {
    return std::nullopt;
  }
  for (int k = std::max(after, 0); k < decimals; ++k) {
    value *= 10;
  }
  return negative ? -value : value;
}

bool isLetter(std::string_view unit, char letter) {
  return unit.size() == 1 && (unit[0] == letter || unit[0] == letter + ('a' - 'A'));
}

// A pressure in bar ("B") or pascal ("P") as hundredths of a hPa; an empty value is
// none, anything else damaged (the optional holds nothing and `bad` is set).
std::optional<std::int32_t> pressureField(std::string_view value, std::string_view unit, bool& bad) {
  if (value.empty()) {
    return std::nullopt;
  }
  std::optional<std::int64_t> v;
  if (isLetter(unit, 'B')) {
    v = scaledNumber(value, 5, false);
  } else if (isLetter(unit, 'P')) {
    v = scaledNumber(value, 0, false);
  }
  if (!v) {
    bad = true;
    return std::nullopt;
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(*v, kMaxPressureHundredths));
}

// An air temperature in degrees C as tenths, clamped to +-99.9.
std::optional<std::int32_t> temperatureField(std::string_view value, std::string_view unit, bool& bad) {
  if (value.empty()) {
    return std::nullopt;
  }
  const std::optional<std::int64_t> v = isLetter(unit, 'C') ? scaledNumber(value, 1, true) : std::nullopt;
  if (!v) {
    bad = true;
    return std::nullopt;
  }
  return clampTenths(static_cast<std::int32_t>(std::clamp<std::int64_t>(*v, kMinTenths, kMaxTenths)));
}

bool nameHas(std::string_view name, std::string_view part) {
  if (name.size() < part.size()) {
    return false;
  }
  for (std::size_t i = 0; i + part.size() <= name.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < part.size() && same; ++k) {
      const char c = name[i + k];
      same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == part[k];
    }
    if (same) {
      return true;
    }
  }
  return false;
}

// Transducers name what they measure; an engine's pressures and temperatures are not the
// air's. A nameless one is taken for the barometer.
bool airPressureName(std::string_view name) {
  return name.empty() || nameHas(name, "BARO") || nameHas(name, "ATMOS") || nameHas(name, "AIR");
}
bool airTemperatureName(std::string_view name) {
  return name.empty() || nameHas(name, "AIR") || nameHas(name, "OUTSIDE");
}

void readXdr(const Fields& f, OtherBarometer& o, bool& bad) {
  for (std::size_t i = 1; i < f.count; i += 4) {
    const std::string_view type = f[i], value = f[i + 1], unit = f[i + 2], name = f[i + 3];
    if (type == "P" && airPressureName(name) && !o.pressure) {
      o.pressure = pressureField(value, unit, bad);
    } else if (type == "C" && airTemperatureName(name) && !o.temperature) {
      o.temperature = temperatureField(value, unit, bad);
    }
  }
}

} // namespace

// The sentences of other barometers, by field (the talker, bytes 1-2, is any):
//
//   $--XDR,P,1.0132,B,Barometer,C,21.5,C,AirTemp   type, value, unit, name; repeated
//   $--MDA,29.92,I,1.0132,B,21.5,C,...             inches, "I", bar, "B", air temperature, "C"
//   $--MMB,29.92,I,1.0132,B                        inches, "I", bar, "B"
//   $--MTA,21.5,C                                  air temperature, "C"
//
// Only the bar field of MDA and MMB is read: inches carry fewer digits. A field read
// that is not a number in its unit refuses the whole sentence, as for the barograph.
OtherBarometer readOtherBarometer(std::string_view line) {
  OtherBarometer o;
  if (line.size() < 7 || line[0] != '$' || line[6] != ',') {
    return o;
  }
  const std::string_view kind = line.substr(3, 3);
  const bool xdr = kind == "XDR", mda = kind == "MDA", mmb = kind == "MMB", mta = kind == "MTA";
  if (!xdr && !mda && !mmb && !mta) {
    return o;
  }
  o.recognised = true;
  const Fields f = splitFields(line);
  bool bad = false;
  if (xdr) {
    readXdr(f, o, bad);
  } else if (mda || mmb) {
    o.pressure = pressureField(f[3], f[4], bad);
    if (!f[3].empty() && !isLetter(f[4], 'B')) {
      bad = true;
    }
    if (mda) {
      o.temperature = temperatureField(f[5], f[6], bad);
    }
  } else {
    o.temperature = temperatureField(f[1], f[2], bad);
  }
  if (bad) {
    return OtherBarometer{true, true, std::nullopt, std::nullopt};
  }
  return o;
}

bool adoptOtherBarometer(AppContext& app, const SentenceEffect& effect) {
  CurrentReading& r = app.reading;
  AcquisitionState& acq = app.acquisition;
  const std::int64_t now = toEpochSeconds(app.platform.clock.utcNow());
  if (r.valid) {
    acq.lastDeviceSecond = now;
    return false;
  }
  // A clock set back counts as silence, not as a barograph heard in the future. The
  // difference is taken only once the barograph has been heard: its "never" is the
  // lowest second there is, which no subtraction survives.
  if (acq.lastDeviceSecond != kNoDeviceSecond) {
    const std::int64_t since = now - acq.lastDeviceSecond;
    if (since >= 0 && since < kDeviceHoldSeconds) {
      return false; // the barograph's $WIXDR frames were taken by the decoder as ever
    }
  }
  if (effect.other.temperature) {
    r.temperature = *effect.other.temperature;
  }
  if (effect.other.pressure) {
    r.pressure = *effect.other.pressure + app.settings.heightCorrection;
  } else if (!effect.pressure) {
    return false; // the barograph's lone $WIXDR pressure counts too: another monitor serves it
  }
  // No device tendencies: updateTendencies takes the monitor's own for a 0. No converter.
  r.tendency1h = 0;
  r.tendency3h = 0;
  r.adValue = 0;
  if (app.converter.history[0] != 0 || app.converter.variation != 0) {
    app.converter = ConverterStats{};
  }
  return true;
}

} // namespace baromon
