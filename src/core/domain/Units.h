#pragma once

#include <cstdint>

// The value kinds every subsystem shares. Readings travel as whole numbers in fixed units;
// they become hPa, °C or volts only where they are shown or drawn.
//
//   pressure, variation        hundredths of a hPa   101325 = 1013.25 hPa
//   tendencies                 tenths of a hPa        -15   =   -1.5 hPa
//   temperature                tenths of a °C         215   =   21.5 °C
//   supply voltage             tenths of a volt       124   =   12.4 V
//
// Dividing by 100.0 or 10.0 prints and narrows to float exactly as multiplying by 0.01 or 0.1
// did before, for every value a record or a sentence can hold.

namespace baromon {

inline constexpr std::int32_t kHundredthsPerHpa = 100;
inline constexpr std::int32_t kTenthsPerUnit = 10;
// Hundredths of a hPa per tenth of a hPa.
inline constexpr std::int32_t kHundredthsPerTenth = kHundredthsPerHpa / kTenthsPerUnit;

// The tenths a tendency or a temperature may hold: -99.9 .. +99.9.
inline constexpr std::int32_t kMinTenths = -999;
inline constexpr std::int32_t kMaxTenths = 999;

// A temperature no sentence has brought yet: the lowest tenths a reading can hold, so a
// reading of -99.9 °C or below shows as none.
inline constexpr std::int32_t kNoTemperature = kMinTenths;

// The highest pressure a sentence or a record may carry: 1500.00 hPa. A device reports more
// only when damaged; live values and stored records are cut to it.
inline constexpr std::int32_t kMaxPressureHundredths = 150000;

// The converter's counts are 16-bit: 0..65535.
inline constexpr std::uint32_t kMaxConverterCounts = 65535;

constexpr std::int32_t clampTenths(std::int32_t v) {
  return v < kMinTenths ? kMinTenths : v > kMaxTenths ? kMaxTenths : v;
}

// A difference of two pressures in hundredths as tenths, truncated toward zero as C division does.
constexpr std::int32_t tenthsFromHundredths(std::int32_t hundredths) {
  return hundredths / kHundredthsPerTenth;
}

// A pressure in tenths of a hPa without rounding, as the plots scale it.
constexpr double exactTenthsFromHundredths(std::int32_t hundredths) { return hundredths / 10.0; }

constexpr double hpaFromHundredths(std::int32_t hundredths) { return hundredths / 100.0; }
constexpr double hpaFromTenths(std::int32_t tenths) { return tenths / 10.0; }
constexpr double celsiusFromTenths(std::int32_t tenths) { return tenths / 10.0; }
constexpr double voltsFromTenths(std::int32_t tenths) { return tenths / 10.0; }

} // namespace baromon
