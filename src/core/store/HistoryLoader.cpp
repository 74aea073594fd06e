#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

// Records per barogram step: the log holds one record every 300 s.
std::int64_t strideFor(unsigned show) {
  switch (show) {
  case 600:
    return 2;
  case 900:
    return 3;
  case 1800:
    return 6;
  default:
    return 1; // 300, and any value the settings did not correct
  }
}

} // namespace

int loadHistory(AppContext& app) {
  app.history.fill(HistorySample{});

  auto file =
      app.platform.files.open(kLogFileName, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    return 0;
  }
  const auto size = file->size();
  if (!size) {
    return 0;
  }
  const std::int64_t count = *size / kLogRecordSize;
  app.view.recordCount = static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX));

  const std::int64_t stride = strideFor(app.settings.displayStep);
  const std::int64_t slots = std::min<std::int64_t>(count / stride, kHistoryShown);
  const std::int64_t offset = std::max<std::int32_t>(app.view.scrollOffset, 1);

  // Slot i holds the record that starts 80 * (S + k * i) bytes before the end.
  // The positions align to the end of the file, so a file that is not a whole
  // number of records gives straddling reads that fail to decode, as they
  // should. Slots whose record would lie before the start of the file stay empty.
  const std::int64_t newest = *size - kLogRecordSize * offset;
  std::int64_t filled = 0;
  if (newest >= 0 && slots > 0) {
    filled = std::min<std::int64_t>(slots, newest / (kLogRecordSize * stride) + 1);
  }
  if (filled > 0) {
    // One read of the whole window instead of a seek and a read per slot.
    const std::int64_t oldest = newest - kLogRecordSize * stride * (filled - 1);
    const std::size_t span = static_cast<std::size_t>(newest + kLogRecordSize - oldest);
    std::vector<char> window(span);
    std::size_t got = 0;
    int failures = 0;
    while (got < span) {
      const auto position = file->seek(oldest + static_cast<std::int64_t>(got), platform::SeekFrom::Begin);
      const auto n = position ? file->read(window.data() + got, span - got) : std::nullopt;
      if (!n) {
        if (++failures >= kMaxFailedHistoryReads) {
          break;
        }
        continue;
      }
      if (*n == 0) {
        break; // the file ended early: the rest of the window stays empty
      }
      got += *n;
    }
    // Everything needed is in memory: let go of the log before decoding or
    // reporting anything, so a monitor's append never finds it held by a reader.
    file.reset();
    if (failures >= kMaxFailedHistoryReads) {
      reportEvent(app, Event::ReadWriteFailed);
    }
    for (std::int64_t i = 0; i < filled; ++i) {
      const std::size_t at = static_cast<std::size_t>(newest - kLogRecordSize * stride * i - oldest);
      if (at + kLogRecordSize > got) {
        continue;
      }
      // Decoded in either data mode: the log holds KX records whatever mode runs now.
      if (parseLogRecord(app.lastDecodedRecord, LogRecordMode::Decode, window.data() + at) == 1) {
        app.history[static_cast<std::size_t>(i)] = app.lastDecodedRecord.sample;
      }
    }
  }

  file.reset();
  app.platform.windows.invalidate(platform::WindowId::Main);
  return 1;
}

} // namespace baromon
