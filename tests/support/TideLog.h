#pragma once

#include <cmath>
#include <string>

#include "support/LogBuilder.h"

// A log with tides of known amplitude on top of a slow weather change, for the spectrum.
namespace baromon::testlog {

struct Tides {
  double semidiurnal = 1.2; // hPa, period 12 h
  double diurnal = 0.5;     // hPa, period 24 h
  double drift = 4.0;       // hPa over the whole log, a straight rise
};

// The pressure (hundredths of a hPa) at `minutes` of a log of `totalMinutes`.
inline int tidePressure(const Tides& tides, long minutes, long totalMinutes) {
  const double pi = 3.141592653589793;
  const double hours = static_cast<double>(minutes) / 60.0;
  const double hPa = 1010.0 + tides.drift * static_cast<double>(minutes) / static_cast<double>(totalMinutes) +
                     tides.semidiurnal * std::cos(2 * pi * hours / 12.0 + 0.7) +
                     tides.diurnal * std::cos(2 * pi * hours / 24.0 - 1.1);
  return static_cast<int>(std::lround(hPa * 100));
}

// `count` five-minute records from 1 January 2026 00:00 (plus `startMinutes`).
inline std::string tideLog(int count, const Tides& tides = {}, long startMinutes = 0) {
  std::string log;
  const long total = 5L * count;
  for (int i = 0; i < count; ++i) {
    log += recordAt(static_cast<unsigned>(i + 1), startMinutes + 5L * i, tidePressure(tides, 5L * i, total));
  }
  return log;
}

} // namespace baromon::testlog
