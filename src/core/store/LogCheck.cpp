#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/domain/Rules.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordGrid.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

using platform::BoxIcon;
using platform::File;
using platform::FileAccess;
using platform::OpenMode;
using platform::readFully;
using platform::SeekFrom;

constexpr const char* kWriteCaption = "write data";
constexpr const char* kReadCaption = "read data";
constexpr const char* kSummaryCaption = "Data check";

constexpr int kRecordingSlots = 128;
constexpr int kGridMinutes = 5;

// Records are moved in blocks: one system call per record would make a long
// log take many times longer to check than to copy.
constexpr std::size_t kBlockSize = std::size_t{kLogRecordSize} * 1024;

struct Recording {
  std::uint64_t first = 0; // index in the new log of its first record
  std::uint64_t count = 0;
};

// A failed step: the box the user sees and the event behind it.
struct Failure {
  const char* text;
  const char* caption;
  Event event;
};

// The work of the check up to the rename. Its files are closed and the
// acquisition runs again by the time any box is shown: a box can stay open
// for hours while the timer goes on recording.
struct Pass {
  LogCheckOutcome outcome;
  const Failure* failure = nullptr;
};

const Failure kTmpOpen{"error writing monitor.tmp", kWriteCaption, Event::FileOpenFailed};
const Failure kTmpWrite{"error writing monitor.tmp", kWriteCaption, Event::ReadWriteFailed};
const Failure kLogOpen{"error reading monitor.txt", kReadCaption, Event::FileOpenFailed};
const Failure kLogRead{"error reading monitor.txt", kReadCaption, Event::ReadWriteFailed};
const Failure kListOpen{"error writing datalist.txt", kWriteCaption, Event::FileOpenFailed};
const Failure kListWrite{"error writing datalist.txt", kWriteCaption, Event::ReadWriteFailed};
const Failure kBackupOpen{"error writing monitor.bak", kWriteCaption, Event::FileOpenFailed};
const Failure kBackupWrite{"error writing monitor.bak", kWriteCaption, Event::ReadWriteFailed};
const Failure kReplace{"error writing monitor.txt", kWriteCaption, Event::FileOpenFailed};
const Failure kAccess{"cannot keep the owner and mode of monitor.txt", kWriteCaption, Event::FileOpenFailed};

// Collects output and writes it in blocks; remembers the first failure.
class BlockWriter {
public:
  explicit BlockWriter(File& file) : file_(file) { buffer_.reserve(kBlockSize); }

  bool add(const char* bytes, std::size_t count) {
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    return buffer_.size() < kBlockSize || flush();
  }
  bool flush() {
    if (buffer_.empty()) {
      return ok_;
    }
    const auto n = file_.write(buffer_.data(), buffer_.size());
    ok_ = ok_ && n && *n == buffer_.size();
    buffer_.clear();
    return ok_;
  }

private:
  File& file_;
  std::vector<char> buffer_;
  bool ok_ = true;
};

// `name` with its extension (or, without one, nothing) replaced by `extension`,
// in the same directory. Both separators count, so that the rule is the same on
// every platform.
std::string withExtension(const std::string& name, const char* extension) {
  const auto dot = name.find_last_of('.');
  const auto separator = name.find_last_of("/\\");
  const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return (hasExtension ? name.substr(0, dot) : name) + extension;
}

// Clears acquisitionPaused on every way out of the swap.
class AcquisitionPause {
public:
  explicit AcquisitionPause(AppContext& app) : app_(app) { app_.acquisition.acquisitionPaused = true; }
  ~AcquisitionPause() { app_.acquisition.acquisitionPaused = false; }
  AcquisitionPause(const AcquisitionPause&) = delete;
  AcquisitionPause& operator=(const AcquisitionPause&) = delete;

private:
  AppContext& app_;
};

// What the copy into the new log has found so far.
struct Tally {
  std::array<Recording, kRecordingSlots> table{};
  std::uint64_t written = 0;     // W
  std::uint64_t inRecording = 0; // K
  std::uint64_t breaks = 0;      // R
  std::uint64_t errors = 0;      // E
  std::size_t current = 0;       // table entry of the running recording
  bool havePrevious = false;     // an invalid first record leaves the start of the grid open
  int previous = 0;              // hour * 60 + minute of the last record kept
  long previousDate = 0;         // and its date, as one number
};

// The names the check works with. A log reached through a link (kept on
// another disk) is repaired where it lives: the new log and the backup are made
// beside it, and the rename replaces the file the link leads to, so the link
// keeps working. Beside a plain monitor.txt these names are monitor.tmp and
// monitor.bak.
struct WorkNames {
  std::string log;
  std::string work;
  std::string backup;
};

WorkNames workNamesFor(const std::string& logName) {
  return WorkNames{logName, withExtension(logName, ".tmp"), withExtension(logName, ".bak")};
}

// A valid record that continues the grid, numbered anew within its recording.
LogRecord renumbered(const HistorySample& s, std::uint64_t inRecording) {
  RecordTime time;
  time.day = s.day;
  time.month = s.month;
  time.year = static_cast<unsigned>(s.year);
  time.hour = s.hour;
  time.minute = s.minute;
  const auto counter = static_cast<std::uint32_t>(inRecording % kCounterLimit + 1);
  return encodeLogRecord(counter, time, s.pressure, s.tendency1h, s.tendency3h, s.variation, 0);
}

// A valid record is copied: it either continues the grid or, at a break, opens
// the next recording as its first record. Only a second record for the same date
// and minute is dropped: an error, and still a break, but the record before it
// stands for that minute. The same time of day on another date is a monitor that
// was off for whole days: a break whose record is kept. Null, or the failure
// that ends the pass.
const Failure* takeRecord(const HistorySample& s, Tally& tally, BlockWriter& out) {
  const int minutes = s.hour * 60 + s.minute;
  const long date = (static_cast<long>(s.year) * 16 + s.month) * 32 + s.day;
  // The first valid record, and any record at midnight, continue the grid.
  const int step = (!tally.havePrevious || minutes == 0) ? kGridMinutes : minutes - tally.previous;
  const bool duplicate = step == 0 && date == tally.previousDate;
  if (step != kGridMinutes) {
    ++tally.breaks;
    if (tally.current < kRecordingSlots) {
      tally.table[tally.current].count = tally.inRecording;
    }
    ++tally.current;
    if (tally.current < kRecordingSlots) {
      tally.table[tally.current].first = tally.written;
    }
    tally.inRecording = 0;
  }
  if (duplicate) {
    ++tally.errors;
    return nullptr;
  }
  const LogRecord record = renumbered(s, tally.inRecording);
  if (!out.add(record.data(), record.size())) {
    return &kTmpWrite;
  }
  ++tally.inRecording;
  ++tally.written;
  tally.previous = minutes;
  tally.previousDate = date;
  tally.havePrevious = true;
  return nullptr;
}

// Copies the valid records of the whole log into the new one. The whole log is
// examined: records past any fixed limit would otherwise survive only in
// monitor.bak and vanish with the next check.
const Failure* copyRecords(AppContext& app, File& log, File& tmp, std::vector<char>& block, Tally& tally) {
  BlockWriter out(tmp);
  // Which bytes are records is the same question export answers: one scanner
  // finds the grid again after a fragment for both.
  RecordGridScanner scanner;
  for (;;) {
    const auto item = scanner.next(app.lastDecodedRecord);
    if (!item) {
      if (scanner.finished()) {
        break; // a trailing partial record is not a record
      }
      const auto got = readFully(log, block.data(), block.size());
      if (!got) {
        return &kLogRead;
      }
      if (*got == 0) {
        scanner.finish();
      } else {
        scanner.append(block.data(), *got);
      }
      continue;
    }
    if (item->kind != GridStepKind::Record) {
      ++tally.errors; // a record that does not decode, or a fragment off the grid
      continue;
    }
    if (const Failure* failure = takeRecord(app.lastDecodedRecord.sample, tally, out)) {
      return failure;
    }
  }
  if (tally.current < kRecordingSlots) {
    tally.table[tally.current].count = tally.inRecording;
  }
  return out.flush() ? nullptr : &kTmpWrite;
}

// datalist.txt: one line per recording with its first record and its length.
const Failure* writeRecordingList(platform::FileSystem& files,
                                  const std::array<Recording, kRecordingSlots>& table) {
  auto list = files.open(kRecordingListFileName, FileAccess::Write, OpenMode::CreateFresh);
  if (!list) {
    return &kListOpen;
  }
  std::string text;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].count == 0) {
      continue;
    }
    // A field too narrow for its number widens instead of cutting digits.
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%3u %6llu %4llu\n", static_cast<unsigned>(i),
                                static_cast<unsigned long long>(table[i].first),
                                static_cast<unsigned long long>(table[i].count));
    text.append(line, static_cast<std::size_t>(n));
  }
  const auto n = text.empty() ? std::optional<std::size_t>(0) : list->write(text.data(), text.size());
  return (!n || *n != text.size()) ? &kListWrite : nullptr;
}

// The old log's bytes copied into a fresh monitor.bak, for file systems that
// refuse it a second name; it serves the same users as the old log.
const Failure* copyToBackup(platform::FileSystem& files, File& log, const WorkNames& names,
                            std::vector<char>& block) {
  auto backup = files.open(names.backup, FileAccess::Write, OpenMode::CreateFresh);
  if (!backup) {
    return &kBackupOpen;
  }
  if (!log.seek(0, SeekFrom::Begin)) {
    return &kLogRead;
  }
  for (;;) {
    const auto got = readFully(log, block.data(), block.size());
    if (!got) {
      return &kLogRead;
    }
    if (*got == 0) {
      break;
    }
    const auto n = backup->write(block.data(), *got);
    if (!n || *n != *got) {
      return &kBackupWrite;
    }
  }
  if (!backup->sync()) {
    return &kBackupWrite;
  }
  return files.copyAccess(names.log, names.backup) ? nullptr : &kAccess;
}

// The swap keeps monitor.txt whole at every instant: the new log is complete on
// the disk before it replaces the old one in a single rename, and the old one
// is safe in monitor.bak before that. monitor.txt and monitor.tmp stay locked
// throughout, so no writer slips a record in between the copy and the rename.
const Failure* swapIn(AppContext& app, File& tmp, File& log, const WorkNames& names,
                      std::vector<char>& block) {
  auto& files = app.platform.files;
  AcquisitionPause pause(app);
  if (!tmp.sync()) {
    return &kTmpWrite;
  }
  // The old log itself becomes monitor.bak when the file system allows a
  // second name for it: nothing to copy, and its bytes are as safe as they
  // were under monitor.txt once they are on the disk. Otherwise it is copied.
  if (!log.sync()) {
    return &kLogRead;
  }
  const bool linked = files.linkReplacing(names.log, names.backup);
  if (!linked) {
    if (const Failure* failure = copyToBackup(files, log, names, block)) {
      return failure;
    }
  }
  if (!files.rename(names.work, names.log)) {
    if (linked) {
      files.remove(names.backup); // else it would go on growing with the log it names
    }
    return &kReplace;
  }
  return nullptr;
}

Pass checkAndSwap(AppContext& app) {
  auto& files = app.platform.files;
  const auto fail = [](const Failure* failure) { return Pass{LogCheckOutcome{}, failure}; };
  // The pass ends with the rename; the handles below close when it returns.
  const WorkNames names = workNamesFor(files.finalName(kLogFileName));
  if (names.work == names.log || names.backup == names.log) {
    return fail(&kTmpOpen); // the work file would be the log itself
  }
  // Work and result files are made afresh: whatever had their names (an older,
  // longer work file, a link leading out of the directory, a FIFO) is removed,
  // never followed, and never carried into the new files.
  auto tmp = files.open(names.work, FileAccess::Write, OpenMode::CreateFresh);
  if (!tmp) {
    return fail(&kTmpOpen);
  }
  auto log = files.open(names.log, FileAccess::Read, OpenMode::OpenExisting);
  if (!log) {
    return fail(&kLogOpen);
  }
  const auto size = log->size();
  if (!size || !log->seek(0, SeekFrom::Begin)) {
    return fail(&kLogRead);
  }
  if (*size < kLogRecordSize) {
    Pass pass;
    pass.outcome.status = LogCheckOutcome::Status::NoRecords;
    return pass;
  }

  Tally tally;
  std::vector<char> block(kBlockSize);
  const Failure* failure = copyRecords(app, *log, *tmp, block, tally);
  if (!failure) {
    failure = writeRecordingList(files, tally.table);
  }
  // The monitor may run as another user than the check (a service's own user): the new
  // log must stay writable for it, and no more readable than the old one.
  if (!failure && !files.copyAccess(names.log, names.work)) {
    failure = &kAccess;
  }
  if (!failure) {
    failure = swapIn(app, *tmp, *log, names, block);
  }
  if (failure) {
    return fail(failure);
  }
  Pass pass;
  pass.outcome.status = LogCheckOutcome::Status::Repaired;
  pass.outcome.recordsWritten = tally.written;
  pass.outcome.recordings = tally.breaks + 1;
  pass.outcome.errors = tally.errors;
  return pass;
}

} // namespace

LogCheckOutcome runLogCheck(AppContext& app) {
  const Pass pass = checkAndSwap(app);
  auto& boxes = app.platform.boxes;
  if (pass.failure) {
    boxes.messageBox(pass.failure->text, pass.failure->caption, BoxIcon::None);
    reportEvent(app, pass.failure->event);
    return pass.outcome;
  }
  if (pass.outcome.status == LogCheckOutcome::Status::NoRecords) {
    boxes.messageBox("No records read\nno errors can be found", kSummaryCaption, BoxIcon::None);
    return pass.outcome;
  }
  loadHistory(app);
  const auto& o = pass.outcome;
  char summary[160];
  std::snprintf(
      summary, sizeof summary, "%llu records read\n%llu recordings\n%llu errors found\n%llu errors corrected",
      static_cast<unsigned long long>(o.recordsWritten), static_cast<unsigned long long>(o.recordings),
      static_cast<unsigned long long>(o.errors), static_cast<unsigned long long>(o.errors));
  boxes.messageBox(summary, kSummaryCaption, BoxIcon::None);
  return o;
}

int checkLogFile(AppContext& app) {
  const LogCheckOutcome outcome = runLogCheck(app);
  return outcome.status == LogCheckOutcome::Status::Repaired
             ? static_cast<int>(std::min<std::uint64_t>(outcome.errors, INT32_MAX))
             : 0;
}

} // namespace baromon
