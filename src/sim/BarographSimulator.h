#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace baromon::sim {

// A made-up but plausible barograph: a slow weather pattern, the semidiurnal
// pressure wave, an optional storm fall and a little converter noise. Every
// value is a pure function of the time (seconds since 1970, UTC) and the seed,
// so tests can ask what was sent at any moment.
struct SimulatorOptions {
  double basePressure = 1008.0; // hPa
  double fallPerHour = 0.0;     // hPa per hour, counted from `start`
  std::int64_t start = 0;       // seconds since 1970 when the fall begins
  std::uint32_t seed = 1;
};

class BarographSimulator {
public:
  explicit BarographSimulator(SimulatorOptions options);

  // Station pressure in hPa at time t, without converter noise.
  double pressureAt(std::int64_t t) const;
  // The device's one- and three-hour tendencies at t in tenths of a hPa.
  int tendencyTenths(std::int64_t t, int hours) const;
  double temperatureAt(std::int64_t t) const; // degrees C
  double voltageAt(std::int64_t t) const;     // V
  std::uint32_t converterAt(std::int64_t t) const;

  // The device's lines, each ending in CR LF.
  std::string pxdr(std::int64_t t) const;
  std::string wixdrPressure(std::int64_t t) const;
  std::string wixdrTemperature(std::int64_t t) const;
  std::string wixdrVoltage(std::int64_t t) const;
  // What the barograph sends in one interval starting at t, in order.
  std::vector<std::string> barographFrames(std::int64_t t) const;
  // Ordinary GPS sentences ($GPRMC, $GPGGA) with checksums, for NMEA mode.
  std::vector<std::string> gpsSentences(std::int64_t t) const;

  // One 80-byte monitor.txt record for the five-minute boundary at t.
  std::string logRecord(std::uint32_t counter, std::int64_t t) const;

private:
  double noise(std::int64_t t, std::uint32_t stream) const; // -1..1
  SimulatorOptions options_;
  double phase_[3];
};

// The sentence with its NMEA checksum and line end (the core's, as the monitor checks it).
std::string withNmeaChecksum(const std::string& body);

} // namespace baromon::sim
