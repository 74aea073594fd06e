#pragma once

#include <cstdint>

// Rules of the domain that more than one subsystem applies: written once here so the alarm,
// the screen and the paper cannot disagree.

namespace baromon {

// A pressure falls fast when it lost more than 1.4 hPa in one hour or more than 4.0 hPa in
// three hours (tendencies in tenths of a hPa). Exactly -1.4 or -4.0 is not fast yet.
inline constexpr std::int32_t kFastFallOneHourTenths = -14;
inline constexpr std::int32_t kFastFallThreeHoursTenths = -40;
// The values panel also marks a six-hour loss of more than 9.0 hPa.
inline constexpr std::int32_t kMarkedFallSixHoursTenths = -90;

constexpr bool fallsFastInOneHour(std::int32_t tendency1h) { return tendency1h < kFastFallOneHourTenths; }
constexpr bool fallsFastInThreeHours(std::int32_t tendency3h) {
  return tendency3h < kFastFallThreeHoursTenths;
}
constexpr bool fallsMarkedlyInSixHours(std::int32_t tendency6h) {
  return tendency6h < kMarkedFallSixHoursTenths;
}

// The fast-fall rule: the alarm beeps and the barogram draws red while it holds.
constexpr bool isFastFall(std::int32_t tendency1h, std::int32_t tendency3h) {
  return fallsFastInOneHour(tendency1h) || fallsFastInThreeHours(tendency3h);
}

// The record counter and the sentence count wrap after 999999 (six digits in a record).
inline constexpr std::uint32_t kCounterLimit = 999999;

} // namespace baromon
