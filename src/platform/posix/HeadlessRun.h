#pragma once

namespace baromon {
struct AppContext;
}

namespace baromon::platform {

class HeadlessWindows;

// Runs the monitor without a screen: start-up, one timer tick every 200 ms until a
// quit request or SIGINT / SIGTERM, then the normal shutdown, after which it prints
// the count of lines received and of valid sentences to standard error. Returns the
// exit code.
int runHeadless(AppContext& app, HeadlessWindows& windows);

} // namespace baromon::platform
