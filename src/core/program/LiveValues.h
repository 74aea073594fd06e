#pragma once

#include <cstddef>
#include <cstdint>

#include "core/config/Settings.h"
#include "core/state/EventCounts.h"
#include "platform/Clock.h"

namespace baromon {

struct AppContext;

// What a reader outside the monitor's loop may know of it: the values window's values
// and the run's counters, copied at the end of a tick. A plain value: it can be handed to
// another thread.
struct LiveValues {
  bool published = false;       // false until the first tick copied anything
  bool hasPressure = false;     // a pressure was received since the start
  platform::DateTime utcTime;   // when the last barograph line was processed
  std::int32_t pressure = 0;    // hundredths of a hPa, height correction included
  std::int32_t tendency1h = 0;  // tenths of a hPa
  std::int32_t tendency3h = 0;  // tenths of a hPa
  std::int32_t tendency6h = 0;  // tenths of a hPa
  bool sixHourKnown = false;    // a pressure six hours back exists (else the window hides it)
  std::uint32_t variation = 0;  // hundredths of a hPa over five minutes
  std::int32_t temperature = 0; // tenths of a degree C
  bool hasTemperature = false;
  std::uint32_t voltage = 0; // tenths of a volt, 0: none received
  bool valid = false;        // the last line was a well-formed barograph sentence
  bool fallsFast1h = false;  // the values window shows these in red
  bool fallsFast3h = false;
  bool fallsMarkedly6h = false;
  bool fastFall = false; // the alarm rule (one or three hours)
  std::uint64_t linesReceived = 0;
  std::uint64_t sentencesValid = 0;
  std::uint64_t sentencesRejected = 0;
  std::uint64_t recordsWritten = 0;
  std::size_t recordsWaiting = 0;
  std::uint64_t historyLoads = 0; // changes whenever the barogram may have changed
  EventCounts events;
  Settings settings; // the view's options as the monitor has them now
};

// The copy at the end of a tick. `historyLoads` is kept by the caller.
LiveValues liveValues(const AppContext& app);

} // namespace baromon
