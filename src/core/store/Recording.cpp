#include <cstring>

#include "core/app/AppContext.h"
#include "core/config/EventLog.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

constexpr ErrorCode kEventCannotOpen = 13;
constexpr ErrorCode kEventWriteFailed = 21;

} // namespace

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
  const LogRecord record =
      encodeLogRecord(app.acquisition.recordCounter, time, app.reading.pressure, app.reading.tendency1h,
                      app.reading.tendency3h, static_cast<std::int32_t>(app.converter.variation), 0);

  auto file = app.platform.files.openForAppend(kLogFileName);
  if (!file) {
    reportEvent(app, kEventCannotOpen);
    return;
  }
  // The log is read in 80-byte steps from both ends; a fragment left by a
  // failed write would misalign every record after it, so cut it off again.
  const auto end = file->seek(0, platform::SeekFrom::Current);
  const auto written = file->write(record.data(), record.size());
  if (!written || *written != record.size()) {
    reportEvent(app, kEventWriteFailed);
    if (end) {
      file->resize(*end);
    }
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
    reportEvent(app, kEventCannotOpen);
    return;
  }
  // A sentence arrives every second: a failing disk would flood the event log, so stay silent.
  (void)file->write(row.data(), length);
}

} // namespace baromon
