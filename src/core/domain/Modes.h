#pragma once

#include <cstdint>

// The two choices that change what the monitor does with what it receives and how it shows
// a pressure. Named once here: the settings, the acquisition, the store and the windows all
// ask them.

namespace baromon {

// What the monitor makes of the lines it receives. KX decodes the barograph's sentences
// and records monitor.txt; NMEA records every sentence raw to nmea.txt and decodes nothing.
enum class DataMode : std::uint8_t { Nmea = 0, Kx = 1 };

// Only NMEA mode is NMEA. A value that is neither (a cast, a damaged record) decodes and
// records the barograph, as the settings file writes it ("  KX"): a monitor whose file says
// KX then never runs as something else, and never records nothing at all.
constexpr bool isKxMode(DataMode mode) { return mode != DataMode::Nmea; }

// The unit the menu offers for pressures; kept in memory only, never in monitor.ini.
enum class PressureUnit : std::uint8_t { Hpa = 0, InchHg = 1 };

} // namespace baromon
