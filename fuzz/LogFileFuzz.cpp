// Arbitrary bytes as monitor.txt, read by the history load and then checked and repaired.
// The first byte picks the barogram step and how far back the view is scrolled.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/TestApp.h"

using namespace baromon;

namespace {

void checkSample(const HistorySample& s) {
  if (s.day == 0) {
    return; // an empty slot
  }
  FUZZ_CHECK(s.year <= 2100);
  FUZZ_CHECK(s.month >= 1 && s.month <= 12);
  FUZZ_CHECK(s.day <= 31);
  FUZZ_CHECK(s.hour <= 23 && s.minute <= 59);
  FUZZ_CHECK(s.pressure >= 0 && s.pressure <= 150000);
}

// Every record of a repaired log is whole, on the grid and valid.
void checkWholeLog(const std::string& log) {
  FUZZ_CHECK(log.size() % kLogRecordSize == 0);
  for (std::size_t at = 0; at < log.size(); at += kLogRecordSize) {
    FUZZ_CHECK(log[at + kLogRecordSize - 2] == '\r' && log[at + kLogRecordSize - 1] == '\n');
    LastDecodedRecord d;
    FUZZ_CHECK(parseLogRecord(d, LogRecordMode::Decode, log.data() + at) == 1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fakes::TestApp t; // one directory for the whole run; each input replaces the files
  if (size == 0) {
    return 0;
  }
  static const unsigned kShows[] = {300, 600, 900, 1800};
  const std::uint8_t knobs = data[0];
  const std::string log(reinterpret_cast<const char*>(data + 1), size - 1);

  AppContext& app = t.app;
  app.settings.displayStep = kShows[knobs & 3];
  app.view.scrollOffset = 1 + (knobs >> 2); // 1..64: past the start of a short log too
  app.lastDecodedRecord = LastDecodedRecord{};
  app.acquisition.acquisitionPaused = false;
  t.windows.boxes.clear();
  t.windows.calls.clear();
  for (const char* name : {kCheckBackupFileName, kCheckWorkFileName, kRecordingListFileName}) {
    app.platform.files.remove(name);
  }
  t.dir.write(kLogFileName, log);

  FUZZ_CHECK(loadHistory(app) == 1);
  FUZZ_CHECK(app.view.recordCount == static_cast<std::int32_t>(log.size() / kLogRecordSize));
  for (std::size_t i = 0; i < app.history.size(); ++i) {
    checkSample(app.history[i]);
    FUZZ_CHECK(i < static_cast<std::size_t>(kHistoryShown) || app.history[i].day == 0);
  }
  FUZZ_CHECK(t.windows.boxes.empty());

  const LogCheckOutcome outcome = runLogCheck(app);
  FUZZ_CHECK(!app.acquisition.acquisitionPaused);
  FUZZ_CHECK(t.windows.boxes.size() <= 1);
  const std::string after = t.dir.read(kLogFileName);
  switch (outcome.status) {
  case LogCheckOutcome::Status::Repaired:
    checkWholeLog(after);
    FUZZ_CHECK(after.size() == outcome.recordsWritten * kLogRecordSize);
    FUZZ_CHECK(t.dir.read(kCheckBackupFileName) == log); // the old log is kept whole
    break;
  case LogCheckOutcome::Status::NoRecords:
    FUZZ_CHECK(after == log);
    break;
  case LogCheckOutcome::Status::Failed:
    FUZZ_CHECK(false); // nothing here makes a file step fail
  }

  // The repaired log loads again.
  FUZZ_CHECK(loadHistory(app) == 1);
  for (const HistorySample& s : app.history) {
    checkSample(s);
  }
  return 0;
}
