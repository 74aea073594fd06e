#include "app/HeadlessRun.h"

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "core/app/AppContext.h"
#include "core/app/Startup.h"
#include "core/app/WindowProcedure.h"
#include "adapters/posix/HeadlessWindows.h"

namespace baromon::platform {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) { stopRequested = 1; }

// SIGINT and SIGTERM end the run through the normal shutdown; restored afterwards.
class StopSignals {
public:
  StopSignals() {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a sleep ends at once
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

void addMillis(timespec& t, long ms) {
  t.tv_nsec += ms * 1000000L;
  while (t.tv_nsec >= 1000000000L) {
    t.tv_nsec -= 1000000000L;
    ++t.tv_sec;
  }
}

bool before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

TickSleeps systemTickSleeps() {
  return TickSleeps{
      [](const timespec& deadline) {
        return clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
      },
      [](const timespec& length) { return nanosleep(&length, nullptr) == 0 ? 0 : errno; },
  };
}

int runHeadless(AppContext& app, HeadlessWindows& windows, const TickSleeps& sleeps) {
  StopSignals signals;
  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  while (!windows.quitRequested()) {
    if (stopRequested != 0) {
      windows.postQuit(0);
      break;
    }
    const int period = windows.timerPeriod() > 0 ? windows.timerPeriod() : 200;
    addMillis(next, period);
    const int slept = sleeps.untilDeadline(next);
    if (slept == EINTR) {
      continue; // a signal: looked at first thing in the loop
    }
    if (slept != 0) {
      // Some environments refuse the absolute sleep (a preload that shifts the clock,
      // a sandbox); going on at once would spin the loop. One period is near enough.
      const timespec length{period / 1000, (period % 1000) * 1000000L};
      if (sleeps.forLength(length) == EINTR) {
        continue;
      }
    }
    // Ticks missed while the machine was busy are not made up.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec late = next;
    addMillis(late, 1000);
    if (before(late, now)) {
      next = now;
    }
    if (windows.timerPeriod() > 0) {
      onTimer(app);
    }
  }
  const int code = shutDown(app, windows.quitCode());
  // One line a script can read back after a long unattended run (scripts/soak does).
  std::fprintf(
      stderr, "baromon: %" PRIu64 " lines received, %" PRIu64 " valid sentences, %" PRIu64 " rejected\n",
      app.acquisition.linesReceived, app.acquisition.sentencesAccepted, app.acquisition.sentencesRejected);
  return code;
}

} // namespace baromon::platform
