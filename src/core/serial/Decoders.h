#pragma once

#include <cstddef>
#include <cstdint>

#include "core/serial/AcquisitionState.h"

namespace baromon {

struct AppContext;

// The decoders work on one received line of `length` bytes. Bytes at or past
// `length` read as 0, so a short line never picks up what an earlier, longer
// line left in the receive buffer.

// Decodes a $PXDR line into `reading` (converter value and the device's
// tendencies) and returns the raw pressure in hundredths of a hPa; 0 and
// nothing changed when a fixed byte of the sentence is wrong. Sets `valid`.
std::int32_t decodePxdr(CurrentReading& reading, const char* line, std::size_t length);
// Decodes a $WIXDR frame (pressure in bar, temperature, supply voltage);
// returns the raw pressure, 0 when the frame carries none.
std::int32_t decodeWixdr(CurrentReading& reading, const char* line, std::size_t length);
// What one line did besides changing the reading.
struct SentenceEffect {
  bool pressure = false; // it carried a pressure
  bool rejected = false; // a device sentence refused as damaged: the reading is unchanged
};

// Decodes one line as a device sentence; the pressure gets the height
// correction `hk` added. Returns 1 when the line does not begin with "$", else 0.
// `effect`, when given, says whether the line carried a pressure or was refused.
int decodeSentence(CurrentReading& reading, const char* line, std::size_t length, int hk,
                   SentenceEffect* effect = nullptr);

// Shifts `adValue` into the last-100 window and recomputes mean, extremes and variation.
void updateConverterStats(ConverterStats& stats, std::uint32_t adValue);

// The same on the monitor's state: the receive buffer, HK and CurrentReading.
int decodeSentence(AppContext& app, SentenceEffect* effect = nullptr);

} // namespace baromon
