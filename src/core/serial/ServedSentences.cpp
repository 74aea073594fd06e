#include "core/serial/ServedSentences.h"

#include <cstdio>

#include "core/serial/Epoch.h"
#include "core/serial/Sentences.h"
#include "core/state/AppContext.h"

namespace baromon {

namespace {

// A whole number of hundredths (or tenths) as text with `decimals` places, sign kept.
std::string fixedPoint(std::int32_t value, unsigned long scale, int decimals) {
  const std::uint32_t magnitude =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  char text[32];
  std::snprintf(text, sizeof text, "%s%lu.%0*lu", value < 0 ? "-" : "",
                static_cast<unsigned long>(magnitude / scale), decimals,
                static_cast<unsigned long>(magnitude % scale));
  return text;
}

} // namespace

std::string servedPressureSentence(std::int32_t pressure) {
  // Hundredths of a hPa are hundred-thousandths of a bar: five decimals, exactly.
  return withNmeaChecksum("WIXDR,P," + fixedPoint(pressure, 100000, 5) + ",B,Barometer");
}

std::vector<std::string> servedSentences(const CurrentReading& reading) {
  std::vector<std::string> lines;
  lines.reserve(4);
  lines.push_back(servedPressureSentence(reading.pressure));
  // Inches of mercury to four places (1 inHg = 3386.38864 Pa; a hundredth of a hPa is a
  // pascal), rounded; the bar field is exact.
  const std::int64_t pascals = reading.pressure < 0 ? 0 : reading.pressure;
  const auto inches = static_cast<std::int32_t>((pascals * 1000000000 + 338638864 / 2) / 338638864);
  const bool warm = reading.temperature != kNoTemperature;
  const std::string air = warm ? fixedPoint(reading.temperature, 10, 1) : std::string();
  lines.push_back(withNmeaChecksum("WIMDA," + fixedPoint(inches, 10000, 4) + ",I," +
                                   fixedPoint(reading.pressure, 100000, 5) + ",B," + air +
                                   ",C,,C,,,,C,,T,,M,,N,,M"));
  if (warm) {
    lines.push_back(withNmeaChecksum("WIXDR,C," + air + ",C,AirTemp"));
  }
  if (reading.voltage != 0) {
    lines.push_back(withNmeaChecksum(
        "WIXDR,U," + fixedPoint(static_cast<std::int32_t>(reading.voltage), 10, 1) + ",V,Battery"));
  }
  return lines;
}

void serveReading(AppContext& app) {
  if (app.platform.nmeaOutlet == nullptr) {
    return;
  }
  // The barograph sends its pressure twice a second ($PXDR and $WIXDR); plotters want it once.
  const std::int64_t second = toEpochSeconds(app.platform.clock.utcNow());
  if (second == app.acquisition.lastServedSecond) {
    return;
  }
  app.acquisition.lastServedSecond = second;
  for (const std::string& line : servedSentences(app.reading)) {
    app.platform.nmeaOutlet->send(line);
  }
}

} // namespace baromon
