#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "core/store/LogRecord.h"

namespace baromon {

// How many records may wait for the log: a day of five-minute boundaries.
inline constexpr std::size_t kPendingRecordLimit = 288;

// How long the stop tries to write records that wait for a log another program holds,
// and how often. Well inside a service manager's stop timeout (90 s for systemd) and
// the 4.5 s a Windows console gets at log-off; a backup or viewer holds the log for
// far less.
inline constexpr int kStopWaitMs = 4000;
inline constexpr int kStopRetryMs = 150;

// Records whose append failed (log held by another program, disk full, any write
// error), oldest first. Each keeps the bytes encoded at its own boundary; every
// append and every acquisition tick writes them before anything newer.
struct RecordingState {
  std::deque<LogRecord> pending;
  // Records appended to the log in this run.
  std::uint64_t written = 0;
  // A record was dropped for the bound since the queue was last empty; reported once.
  bool dropReported = false;
  // The log was found off the 80-byte grid since it was last on it; reported once.
  bool offGridReported = false;
  // Told once (records waiting, milliseconds it will wait at most) when the stop starts
  // to wait for the log; the headless run says so on standard error.
  std::function<void(std::size_t, int)> onStopWait;
};

} // namespace baromon
