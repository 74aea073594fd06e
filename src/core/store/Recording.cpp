#include <cstring>

#include "core/app/AppContext.h"
#include "core/config/EventLog.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

enum class Failure { None, Open, Write };

struct PendingOutcome {
  std::size_t written = 0;
  Failure failure = Failure::None;
};

// Writes the waiting records oldest first and stops at the first that fails, so that
// no record ever lands before an older one. Reports nothing: the caller decides.
PendingOutcome writePending(AppContext& app) {
  RecordingState& recording = app.recording;
  PendingOutcome outcome;
  if (recording.pending.empty()) {
    return outcome;
  }
  auto file = app.platform.files.openForAppend(kLogFileName);
  if (!file) {
    outcome.failure = Failure::Open;
    return outcome;
  }
  // A writer killed inside a record leaves its first bytes (the system may cut a write at
  // a page boundary). That record is gone either way; what follows must stay on the grid.
  if (const auto end = file->seek(0, platform::SeekFrom::Current); end && *end % kLogRecordSize != 0) {
    const std::int64_t whole = *end - *end % static_cast<std::int64_t>(kLogRecordSize);
    if (!file->resize(whole) || file->seek(whole, platform::SeekFrom::Begin) != whole) {
      outcome.failure = Failure::Write;
      return outcome;
    }
  }
  while (!recording.pending.empty()) {
    const LogRecord& record = recording.pending.front();
    // The log is read in 80-byte steps from both ends; a fragment left by a
    // failed write would misalign every record after it, so cut it off again.
    const auto end = file->seek(0, platform::SeekFrom::Current);
    const auto written = file->write(record.data(), record.size());
    if (!written || *written != record.size()) {
      if (end) {
        file->resize(*end);
      }
      outcome.failure = Failure::Write;
      return outcome;
    }
    recording.pending.pop_front();
    ++outcome.written;
  }
  recording.dropReported = false;
  return outcome;
}

} // namespace

std::size_t appendPendingRecords(AppContext& app) { return writePending(app).written; }

std::size_t writeWaitingRecordsAtStop(AppContext& app) {
  RecordingState& recording = app.recording;
  int waited = 0;
  while (!recording.pending.empty()) {
    writePending(app);
    if (recording.pending.empty() || waited >= kStopWaitMs) {
      break;
    }
    if (waited == 0 && recording.onStopWait) {
      recording.onStopWait(recording.pending.size(), kStopWaitMs);
    }
    app.platform.clock.pause(kStopRetryMs);
    waited += kStopRetryMs;
  }
  // One line per record, so the protocol counts what was lost.
  for (std::size_t i = 0; i < recording.pending.size(); ++i) {
    reportEvent(app, Event::RecordLostAtStop);
  }
  return recording.pending.size();
}

void appendRecord(AppContext& app) {
  if (app.settings.DATA != 1) {
    return;
  }
  const auto& when = app.reading.utcTime;
  RecordTime time;
  time.day = static_cast<unsigned>(when.day);
  time.month = static_cast<unsigned>(when.month);
  time.year = static_cast<unsigned>(when.year);
  time.hour = when.hour;
  time.minute = when.minute;
  // Encoded now: a record written late still carries its boundary's counter, time and values.
  const LogRecord record =
      encodeLogRecord(app.acquisition.recordCounter, time, app.reading.pressure, app.reading.tendency1h,
                      app.reading.tendency3h, static_cast<std::int32_t>(app.converter.variation), 0);

  RecordingState& recording = app.recording;
  if (recording.pending.size() >= kPendingRecordLimit) {
    recording.pending.pop_front();
    if (!recording.dropReported) {
      recording.dropReported = true;
      reportEvent(app, Event::FileOpenFailed);
    }
  }
  recording.pending.push_back(record);

  switch (writePending(app).failure) {
  case Failure::None:
    break;
  case Failure::Open:
    reportEvent(app, Event::FileOpenFailed);
    break;
  case Failure::Write:
    reportEvent(app, Event::ReadWriteFailed);
    break;
  }
}

void appendNmeaSentence(AppContext& app) {
  if (app.settings.DATA != 0) {
    return;
  }
  const auto& row = app.nmea[0];
  if (row[0] != '$') {
    return; // only sentences are recorded; an empty row is nothing to write
  }
  const void* end = std::memchr(row.data(), 0, 127);
  const std::size_t length =
      end ? static_cast<std::size_t>(static_cast<const char*>(end) - row.data()) : std::size_t{127};

  auto file = app.platform.files.openForAppend(kNmeaFileName);
  if (!file) {
    reportEvent(app, Event::FileOpenFailed);
    return;
  }
  // A sentence arrives every second: a failing disk would flood the event log, so stay silent.
  (void)file->write(row.data(), length);
}

} // namespace baromon
