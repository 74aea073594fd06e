#include "assembly/HeadlessRun.h"

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <ctime>

#include <poll.h>
#include <unistd.h>

#include "core/state/AppContext.h"
#include "core/program/Startup.h"
#include "core/program/WindowProcedure.h"
#include "adapters/posix/HeadlessWindows.h"

namespace baromon::platform {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) { stopRequested = 1; }

// SIGINT, SIGTERM and SIGHUP (the terminal or the session went away) end the run
// through the normal shutdown, which writes what waits; restored afterwards.
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
    sigaction(SIGHUP, &action, &oldHup_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGHUP, &oldHup_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  struct sigaction oldHup_ {};
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

// Sleeps one period when the sleep until the deadline failed; 0 or EINTR.
int sleepThePeriod(const TickSleeps& sleeps, int period) {
  const timespec length{period / 1000, (period % 1000) * 1000000L};
  const int slept = sleeps.forLength(length);
  if (slept == 0 || slept == EINTR) {
    return slept;
  }
  return sleeps.lastResort(length) == EINTR ? EINTR : 0;
}

} // namespace

int pollFor(const timespec& length) {
  const long millis = length.tv_sec * 1000L + (length.tv_nsec + 999999L) / 1000000L;
  return ::poll(nullptr, 0, static_cast<int>(millis)) == 0 ? 0 : errno;
}

TickSleeps systemTickSleeps() {
  return TickSleeps{
      [](const timespec& deadline) {
        return clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
      },
      [](const timespec& length) { return nanosleep(&length, nullptr) == 0 ? 0 : errno; },
      pollFor,
  };
}

int runHeadless(AppContext& app, HeadlessWindows& windows, const TickSleeps& sleeps,
                const StartAnnouncement& announcement, const TickObserver& afterTick) {
  StopSignals signals;
  // The journal of a service shows why a stop takes seconds.
  app.recording.onStopWait = [](std::size_t waiting, int millis) {
    std::fprintf(stderr,
                 "baromon: monitor.txt cannot be written now (held by another program?); waiting up to %d s "
                 "to write %zu %s\n",
                 millis / 1000, waiting, waiting == 1 ? "record" : "records");
  };
  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  char directory[4096] = ".";
  if (::getcwd(directory, sizeof directory) == nullptr) {
    directory[0] = '.';
    directory[1] = '\0';
  }
  std::fprintf(stderr, "%s\n", startLine(app, announcement, directory).c_str());
  std::fflush(stderr);
  if (afterTick) {
    afterTick(app); // the values of the start, before the first tick
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
    // Some environments refuse the absolute sleep (a preload that shifts the clock,
    // a sandbox); going on at once would spin the loop. One period is near enough.
    if (slept != 0 && sleepThePeriod(sleeps, period) == EINTR) {
      continue;
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
      if (afterTick) {
        afterTick(app);
      }
    }
  }
  const int code = shutDown(app, windows.quitCode());
  if (const std::size_t lost = app.recording.pending.size(); lost > 0) {
    std::fprintf(stderr, "baromon: %zu %s could not be written to monitor.txt and %s lost\n", lost,
                 lost == 1 ? "record" : "records", lost == 1 ? "is" : "are");
  }
  // One line a script can read back after a long unattended run (scripts/soak does).
  std::fprintf(
      stderr, "baromon: %" PRIu64 " lines received, %" PRIu64 " valid sentences, %" PRIu64 " rejected\n",
      app.acquisition.linesReceived, app.acquisition.sentencesAccepted, app.acquisition.sentencesRejected);
  return code;
}

} // namespace baromon::platform
