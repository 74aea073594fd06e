#pragma once

#include <cstddef>
#include <cstdint>

#include "core/serial/AcquisitionState.h"
#include "core/serial/Sentences.h"

namespace baromon {

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
  bool notSentence = false; // the line does not begin with "$"
  bool pressure = false;    // the barograph's sentence carried a pressure
  bool rejected = false;    // a sentence refused as damaged: the reading is unchanged
  // Another barometer's values, left for the acquisition to take or not
  // (adoptOtherBarometer): the barograph's own sentences come first.
  OtherBarometer other;
};

// Decodes one line: the barograph's $PXDR and $WIXDR into `reading` (the pressure
// gets the height correction `hk` added), another barometer's sentence into the
// result only.
SentenceEffect decodeSentence(CurrentReading& reading, const char* line, std::size_t length, int hk);

// Shifts `adValue` into the last-100 window and recomputes mean, extremes and variation.
void updateConverterStats(ConverterStats& stats, std::uint32_t adValue);

} // namespace baromon
