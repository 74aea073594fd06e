#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace baromon {

// Seconds since 1970-01-01 00:00:00 for a proleptic Gregorian date and time,
// and back. Used where the core measures intervals on the clock interface,
// which only gives calendar fields.
std::int64_t toEpochSeconds(const platform::DateTime& t);
platform::DateTime fromEpochSeconds(std::int64_t seconds);

} // namespace baromon
