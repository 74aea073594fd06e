#pragma once

#include <cstddef>
#include <deque>

#include "core/store/LogRecord.h"

namespace baromon {

// How many records may wait for the log: a day of five-minute boundaries.
inline constexpr std::size_t kPendingRecordLimit = 288;

// Records whose append failed (log held by another program, disk full, any write
// error), oldest first. Each keeps the bytes encoded at its own boundary; every
// append and every acquisition tick writes them before anything newer.
struct RecordingState {
  std::deque<LogRecord> pending;
  // A record was dropped for the bound since the queue was last empty; reported once.
  bool dropReported = false;
  // The log was found off the 80-byte grid since it was last on it; reported once.
  bool offGridReported = false;
};

} // namespace baromon
