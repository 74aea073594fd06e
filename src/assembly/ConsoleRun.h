#pragma once

#include "assembly/StartLine.h"

namespace baromon {
struct AppContext;
}

namespace baromon::platform {

class HeadlessWindows;

// The Windows console counterpart of runHeadless: start-up, one timer tick every
// 200 ms until a quit request, Ctrl-C, Ctrl-Break, closing the console window, log-off
// or shutdown, then the normal shutdown (monitor.ini written), after which it prints
// the count of lines received and of valid sentences to standard error. Returns the
// exit code. After a successful start it says `announcement` in one line on standard
// error, as the Linux logger does.
int runConsole(AppContext& app, HeadlessWindows& windows, const StartAnnouncement& announcement = {});

} // namespace baromon::platform
