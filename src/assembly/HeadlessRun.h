#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "assembly/StartLine.h"

namespace baromon {
struct AppContext;
}

namespace baromon::platform {

class HeadlessWindows;

// Waits `length` in poll(2) with no descriptors: 0, or the error number.
int pollFor(const timespec& length);

// How the headless loop waits for its next tick. Each returns 0 or the error number
// of the failed call (EINTR: a signal came). Tests replace them to make them fail.
struct TickSleeps {
  // Until `deadline` on CLOCK_MONOTONIC.
  std::function<int(const timespec& deadline)> untilDeadline;
  // For `length`; used when the sleep until a deadline fails for any other reason
  // than a signal, so that the loop never spins.
  std::function<int(const timespec& length)> forLength;
  // For `length` when both sleeps were refused (a sandbox that filters them, a
  // preload): nothing refuses a poll timeout.
  std::function<int(const timespec& length)> lastResort = pollFor;
};
// clock_nanosleep (absolute), nanosleep and poll.
TickSleeps systemTickSleeps();

// Runs the monitor without a screen: start-up, one timer tick every 200 ms until a
// quit request or SIGINT / SIGTERM / SIGHUP, then the normal shutdown (which says on
// standard error when it waits for a held log, and how many records it lost), after
// which it prints the count of lines received and of valid sentences to standard
// error. Returns the exit code. `announcement` is said after a successful start;
// `afterTick`, when given, is called after every tick (the web server takes its copy of
// the values there).
using TickObserver = std::function<void(const AppContext&)>;
int runHeadless(AppContext& app, HeadlessWindows& windows, const TickSleeps& sleeps = systemTickSleeps(),
                const StartAnnouncement& announcement = {}, const TickObserver& afterTick = {});

} // namespace baromon::platform
