#pragma once

namespace baromon::platform {

// A calendar date and time to the second. Records in monitor.txt carry UTC,
// lines in monitor.err carry local time, so the clock offers both.
struct DateTime {
  int year = 0;
  int month = 0;     // 1..12
  int day = 0;       // 1..31
  int hour = 0;      // 0..23
  int minute = 0;    // 0..59
  int second = 0;    // 0..59
  int dayOfWeek = 0; // 0 = Sunday

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// The only way the core learns the time: read at the edge (timer tick, event
// log) and never from the system clock directly, so tests can drive time.
class Clock {
public:
  virtual ~Clock() = default;
  virtual DateTime utcNow() const = 0;
  virtual DateTime localNow() const = 0;
  // Waits about `milliseconds` and returns; a signal may end the wait sooner. For the
  // few places that must give another program a moment (the stop waiting for a held
  // log); tests move their clock on instead of waiting.
  virtual void pause(int milliseconds) = 0;
};

} // namespace baromon::platform
