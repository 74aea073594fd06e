#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace baromon {

struct AppContext;

// What one acquisition cycle changed that a window shows. The cycle itself touches
// no window: the timer handler decides what to retitle, redraw and reload, and the
// headless logger formats no titles for windows that do nothing.
struct AcquisitionChanges {
  bool barographLine = false; // a KX line was processed: live titles, values and converter panels
  bool sentenceList = false;  // NMEA mode: a sentence joined the list in the main window
  bool logGrew = false;       // records reached the log (or a boundary passed): the barogram reloads
  bool any() const { return barographLine || sentenceList || logGrew; }
};

struct TickOutcome {
  bool portReadable = true; // false: the port is not open or reported a line error
  AcquisitionChanges changes;
};

// One acquisition cycle, run on every timer tick while the acquisition is not
// paused: writes held-up records, reads what the port holds and processes each
// line as its line feed arrives.
TickOutcome acquisitionTick(AppContext& app);
// 1 when at least 100000 bytes are free for the log; else the language's box,
// a beep and event 24 (0 without a message when the free space is unknown).
int checkFreeDiskSpace(AppContext& app);

// The five-minute slot of a UTC time: its date, its hour and minute / 5. The same
// minute of another hour or day is another slot, so a boundary is never taken for
// the last recorded one however long the sentences stayed away.
std::int64_t fiveMinuteSlot(const platform::DateTime& utc);

// Seconds between attempts to reopen a device that went away.
constexpr int kReopenIntervalSeconds = 5;

// The port is wanted but not open (missing at start-up, or gone): from the next ticks
// on, every kReopenIntervalSeconds, the acquisition opens it again without a box or an
// event, until it succeeds. A port command (changePort) ends the attempts.
void retryPortLater(AppContext& app);

} // namespace baromon
