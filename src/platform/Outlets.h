#pragma once

#include <cstdint>
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

// The live values handed to a publisher once a tick, in the core's units (hundredths
// of a hPa; tenths of a hPa, a degree C, a volt) and the monitor's UTC second.
struct TelemetryReading {
  std::int64_t utcSeconds = 0;
  std::int32_t pressure = 0;
  std::int32_t tendency1h = 0;
  std::int32_t tendency3h = 0;
  std::int32_t tendency6h = 0;
  std::int32_t variation = 0;
  std::int32_t temperature = 0;
  std::int32_t voltage = 0;
  bool hasTemperature = false;
  bool hasVoltage = false;
  bool alarm = false; // the fast-fall rule holds now
};

// One five-minute record as it went to monitor.txt; `timeUtc` ("2026-12-07T10:05:00Z")
// names it, so a copy sent twice is known as the same record.
struct TelemetryRecord {
  std::string timeUtc;
  std::uint32_t counter = 0;
  std::int32_t pressure = 0;
  std::int32_t tendency1h = 0;
  std::int32_t tendency3h = 0;
  std::int32_t variation = 0;
};

// What happened to the link to the receiver since the last poll.
enum class LinkChange { None, Lost, Back };

// Publishes the values to a message broker beside the monitor's own work. No call may
// wait for the network: values are handed over and sent by the publisher's own thread.
class TelemetryOutlet {
public:
  virtual ~TelemetryOutlet() = default;
  // The newest values; older ones not yet sent are replaced.
  virtual void reading(const TelemetryReading& values) = 0;
  // A record to deliver, in order, also after the receiver was away for a while.
  virtual void record(const TelemetryRecord& values) = 0;
  // Once a tick: a loss or a return of the link, each told once.
  virtual LinkChange poll() = 0;
};

} // namespace baromon::platform
