#pragma once

#include <string>

namespace baromon::platform {

// Where the monitor passes on what it reads (the barometer for a chart plotter).
// Neither call may wait for a reader.
class SentenceOutlet {
public:
  virtual ~SentenceOutlet() = default;
  // Once a tick: take new readers, drop gone ones, pass on what waits.
  virtual void poll() = 0;
  // One complete line, its line end included, to every reader.
  virtual void send(const std::string& line) = 0;
};

// The values of one fast-fall alarm as texts: hPa with two decimals, tendencies in
// hPa with one, the time as ISO 8601 UTC ("2026-12-07T10:05:00Z").
struct AlarmReport {
  std::string pressureHpa;
  std::string tendency1hHpa;
  std::string tendency3hHpa;
  std::string timeUtc;
};

// Tells the world of a fast-fall alarm (runs the user's command). Never waits for
// what it starts.
class AlarmHook {
public:
  virtual ~AlarmHook() = default;
  virtual void alarm(const AlarmReport& report) = 0;
  // Once a tick: collect what has ended, end what has run too long.
  virtual void poll() = 0;
};

} // namespace baromon::platform
