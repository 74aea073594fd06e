#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace baromon {

struct AppContext;
struct SentenceEffect;

// The exclusive or of every byte of `body` (a leading "$" is left out): the two hex
// digits a sentence carries after "*".
unsigned nmeaChecksum(std::string_view body);
// `body` as a whole sentence: "$", the body, "*hh" and CR LF. A leading "$" is kept once.
std::string withNmeaChecksum(std::string_view body);

// What a barometer other than the barograph says in one sentence: $--XDR (pressure
// "P" in bar or pascal, air temperature "C"), $--MDA (bar field, air temperature),
// $--MMB (bar field) and $--MTA, from any talker.
struct OtherBarometer {
  bool recognised = false;                 // one of those sentence kinds
  bool rejected = false;                   // a field read is damaged: nothing counts
  std::optional<std::int32_t> pressure;    // hundredths of a hPa, before the height correction
  std::optional<std::int32_t> temperature; // tenths of a degree C
};

// Reads a line whose checksum, if any, was already checked. The talker is not looked at.
OtherBarometer readOtherBarometer(std::string_view line);

// How long after the barograph's last valid $PXDR the other barometers stay unheard.
constexpr std::int64_t kDeviceHoldSeconds = 30;

// Lets a line that was no $PXDR be the monitor's barometer when the barograph has been
// silent for kDeviceHoldSeconds: its pressure (height correction added) and temperature
// go into the reading, the device tendencies become 0 so that the monitor's own history
// gives them, and the converter values are cleared. Returns true when the line is such
// a reading, which then counts for the five-minute boundary like a valid $PXDR.
bool adoptOtherBarometer(AppContext& app, const SentenceEffect& effect);

} // namespace baromon
