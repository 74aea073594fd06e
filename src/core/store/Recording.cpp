#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "core/state/AppContext.h"
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

enum class Grid { On, Off };

// Reads up to `count` bytes at `offset`; nullopt on a failed seek or read.
std::optional<std::size_t> readAt(platform::File& file, std::int64_t offset, char* buffer,
                                  std::size_t count) {
  if (file.seek(offset, platform::SeekFrom::Begin) != offset) {
    return std::nullopt;
  }
  return platform::readFully(file, buffer, count);
}

// A writer killed inside a record leaves its first bytes (the system may cut a write
// at a page boundary), and never its line feed: the bytes after the last line feed,
// when fewer than a record, are such a piece. That record is gone either way; it is
// cut so that what follows stays on the grid. Anything else is kept as it is, also a
// log off the grid for another reason (converted line ends, a byte-order mark in
// front), where cutting to a multiple of 80 bytes would take its newest record. Leaves
// the file positioned at its end; nullopt when it could not be read or cut.
std::optional<Grid> cutFragment(platform::File& file) {
  const auto end = file.seek(0, platform::SeekFrom::End);
  if (!end) {
    return std::nullopt;
  }
  const std::int64_t look = std::min<std::int64_t>(*end, kLogRecordSize);
  std::array<char, kLogRecordSize> tail{};
  if (readAt(file, *end - look, tail.data(), static_cast<std::size_t>(look)) !=
      static_cast<std::size_t>(look)) {
    return std::nullopt;
  }
  std::int64_t piece = look; // no line feed in the last bytes
  for (std::int64_t i = look; i > 0; --i) {
    if (tail[static_cast<std::size_t>(i - 1)] == '\n') {
      piece = look - i;
      break;
    }
  }
  const bool cut = piece > 0 && piece < static_cast<std::int64_t>(kLogRecordSize);
  const std::int64_t length = cut ? *end - piece : *end;
  if ((cut && !file.resize(length)) || file.seek(length, platform::SeekFrom::Begin) != length) {
    return std::nullopt;
  }
  const bool onGrid = length % static_cast<std::int64_t>(kLogRecordSize) == 0 && (cut || piece == 0);
  return onGrid ? Grid::On : Grid::Off;
}

// Writes the waiting records oldest first and stops at the first that fails, so that
// no record ever lands before an older one. Reports only a log off the grid (once);
// failures are for the caller to decide.
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
  const auto grid = cutFragment(*file);
  if (!grid) {
    outcome.failure = Failure::Write;
    return outcome;
  }
  if (*grid == Grid::Off && !recording.offGridReported) {
    recording.offGridReported = true;
    reportEvent(app, Event::LogOffGrid);
  } else if (*grid == Grid::On) {
    recording.offGridReported = false;
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
    ++recording.written;
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
  if (!isKxMode(app.settings.dataMode)) {
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

void appendNmeaSentence(AppContext& app, const char* line, std::size_t length) {
  if (isKxMode(app.settings.dataMode)) {
    return;
  }
  if (length == 0 || line[0] != '$') {
    return; // only sentences are recorded
  }
  // The file is read back a line at a time: the whole line goes in, not the table's
  // 126-character row, which would cut a long sentence from its line end and stop at a
  // zero byte, gluing what is left to the next sentence. A line cut short at the receive
  // buffer's size gets the line end it lost.
  std::array<char, kReceiveBufferSize + 2> bytes{};
  const std::size_t kept = std::min(length, static_cast<std::size_t>(kReceiveBufferSize));
  std::memcpy(bytes.data(), line, kept);
  std::size_t size = kept;
  if (bytes[size - 1] != '\n') {
    bytes[size++] = '\r';
    bytes[size++] = '\n';
  }

  auto file = app.platform.files.openForAppend(kNmeaFileName);
  if (!file) {
    reportEvent(app, Event::FileOpenFailed);
    return;
  }
  // A sentence arrives every second: a failing disk would flood the event log, so stay silent.
  (void)file->write(bytes.data(), size);
}

} // namespace baromon
