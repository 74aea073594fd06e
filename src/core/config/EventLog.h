#pragma once

#include <string>

namespace baromon {

struct AppContext;

// Signed event number; events select a text, fatal codes are only printed.
using ErrorCode = int;

// Appends an event line to monitor.err while ERR is on; 1 when ERR is off, else 0.
int reportEvent(AppContext& app, ErrorCode code);
// Appends a fatal line whatever ERR says, shows the box, beeps, asks the loop to end, and returns.
void reportFatal(AppContext& app, ErrorCode code);
// The text appended after the line head (empty for codes without a text).
std::string eventText(ErrorCode code);

} // namespace baromon
