#include "sim/BarographSimulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/domain/Units.h"
#include "core/serial/Epoch.h"
#include "core/serial/Sentences.h"

namespace baromon::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDay = 86400.0;

std::uint32_t mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ULL;
  x ^= x >> 33;
  return static_cast<std::uint32_t>(x);
}

double clampTo(double v, double lo, double hi) { return std::max(lo, std::min(hi, v)); }

} // namespace

BarographSimulator::BarographSimulator(SimulatorOptions options) : options_(options) {
  for (std::uint32_t i = 0; i < 3; ++i) {
    phase_[i] = 2 * kPi * (mix(options_.seed * 7919ULL + i) % 10000) / 10000.0;
  }
}

double BarographSimulator::noise(std::int64_t t, std::uint32_t stream) const {
  const std::uint32_t h = mix(static_cast<std::uint64_t>(t) * 1000003ULL + options_.seed * 31ULL + stream);
  return (h % 20001) / 10000.0 - 1.0;
}

double BarographSimulator::pressureAt(std::int64_t t) const {
  const double s = static_cast<double>(t);
  const double hours = std::fmod(s / 3600.0, 24.0);
  const double weather = 6.0 * std::sin(2 * kPi * s / (4.3 * kDay) + phase_[0]) +
                         3.0 * std::sin(2 * kPi * s / (1.7 * kDay) + phase_[1]) +
                         1.5 * std::sin(2 * kPi * s / (9.1 * kDay) + phase_[2]);
  // The atmospheric tide: maxima near 10 and 22 h, a weaker daily term.
  const double tide =
      0.8 * std::cos(2 * kPi * (hours - 10.0) / 12.0) + 0.3 * std::cos(2 * kPi * (hours - 4.0) / 24.0);
  double storm = 0.0;
  if (options_.fallPerHour != 0.0 && t > options_.start) {
    storm = -options_.fallPerHour * static_cast<double>(t - options_.start) / 3600.0;
  }
  return clampTo(options_.basePressure + weather + tide + storm, 870.0, 1084.0);
}

int BarographSimulator::tendencyTenths(std::int64_t t, int hours) const {
  const double change = pressureAt(t) - pressureAt(t - static_cast<std::int64_t>(hours) * 3600);
  return static_cast<int>(std::lround(clampTo(change, -99.9, 99.9) * 10.0));
}

double BarographSimulator::temperatureAt(std::int64_t t) const {
  const double hours = std::fmod(static_cast<double>(t) / 3600.0, 24.0);
  return 14.0 + 6.0 * std::sin(2 * kPi * (hours - 9.0) / 24.0) + 0.2 * noise(t / 60, 3);
}

double BarographSimulator::voltageAt(std::int64_t t) const { return 12.6 + 0.15 * noise(t / 600, 4); }

std::uint32_t BarographSimulator::converterAt(std::int64_t t) const {
  const double counts = 52684.0 + (pressureAt(t) - 998.60) * 256.0 + 4.0 * noise(t, 5);
  return static_cast<std::uint32_t>(
      clampTo(std::round(counts), 1.0, static_cast<double>(kMaxConverterCounts)));
}

std::string BarographSimulator::pxdr(std::int64_t t) const {
  const double p = pressureAt(t) + 0.01 * std::round(2.0 * noise(t, 6));
  const double old = pressureAt(t - std::int64_t{180} * 60);
  char line[96];
  std::snprintf(line, sizeof line, "$PXDR,%07.2f,%05u,%+05.1f,%+05.1f,-0180,%07.2f\r\n", p, converterAt(t),
                tendencyTenths(t, 1) / 10.0, tendencyTenths(t, 3) / 10.0, old);
  return line;
}

std::string BarographSimulator::wixdrPressure(std::int64_t t) const {
  char line[64];
  std::snprintf(line, sizeof line, "$WIXDR,P,%.4f,B\r\n", pressureAt(t) / 1000.0);
  return line;
}

std::string BarographSimulator::wixdrTemperature(std::int64_t t) const {
  char line[64];
  std::snprintf(line, sizeof line, "$WIXDR,C,%.1f,C\r\n", clampTo(temperatureAt(t), -99.9, 99.9));
  return line;
}

std::string BarographSimulator::wixdrVoltage(std::int64_t t) const {
  char line[64];
  std::snprintf(line, sizeof line, "$WIXDR,U,%.1f,V\r\n", voltageAt(t));
  return line;
}

std::vector<std::string> BarographSimulator::barographFrames(std::int64_t t) const {
  return {pxdr(t), wixdrPressure(t), wixdrTemperature(t), wixdrVoltage(t)};
}

std::string withNmeaChecksum(const std::string& body) { return baromon::withNmeaChecksum(body); }

std::vector<std::string> BarographSimulator::gpsSentences(std::int64_t t) const {
  const platform::DateTime d = fromEpochSeconds(t);
  // A boat drifting slowly north-east of a harbour.
  const double minutesNorth = 7.038 + static_cast<double>(t % 86400) * 0.00002;
  const double minutesEast = 31.000 + static_cast<double>(t % 86400) * 0.00003;
  char body[128];
  std::vector<std::string> out;
  std::snprintf(body, sizeof body,
                "$GPRMC,%02d%02d%02d.00,A,48%06.3f,N,011%06.3f,E,002.1,045.0,%02d%02d%02d,,,A", d.hour,
                d.minute, d.second, minutesNorth, minutesEast, d.day, d.month, d.year % 100);
  out.push_back(withNmeaChecksum(body));
  std::snprintf(body, sizeof body, "$GPGGA,%02d%02d%02d.00,48%06.3f,N,011%06.3f,E,1,08,0.9,545.4,M,46.9,M,,",
                d.hour, d.minute, d.second, minutesNorth, minutesEast);
  out.push_back(withNmeaChecksum(body));
  return out;
}

} // namespace baromon::sim
