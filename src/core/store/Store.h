#pragma once

#include <cstddef>
#include <cstdint>

namespace baromon {

struct AppContext;

// The files the store owns, all in the program's directory.
inline constexpr const char* kLogFileName = "monitor.txt";
inline constexpr const char* kNmeaFileName = "nmea.txt";
inline constexpr const char* kCheckWorkFileName = "monitor.tmp";
inline constexpr const char* kCheckBackupFileName = "monitor.bak";
inline constexpr const char* kRecordingListFileName = "datalist.txt";

// Appends one record built from the current reading to monitor.txt (KX mode only).
// The acquisition cycle raises recordCounter and decides when to call. Records held
// back by earlier failures go first; when the append fails (event 13 when the log
// cannot be opened, 21 when the write fails) the record waits for the next attempt.
void appendRecord(AppContext& app);

// Appends the records held back by failed appends, oldest first, without reporting
// anything; those that still cannot be written keep waiting. Cheap when none waits
// (no file is opened). Returns the number written.
std::size_t appendPendingRecords(AppContext& app);
// At the stop: writes the waiting records, retrying every kStopRetryMs for up to
// kStopWaitMs while the log cannot be written; reports event 67 for each record still
// not written (they stay in the queue). Returns how many were not written.
std::size_t writeWaitingRecordsAtStop(AppContext& app);

// Appends one received line that begins with "$" to nmea.txt (NMEA mode only): its
// bytes as received, zero bytes included, and always with a line end.
void appendNmeaSentence(AppContext& app, const char* line, std::size_t length);

// Failed reads a history load tolerates before it gives up on the rest of the window.
inline constexpr int kMaxFailedHistoryReads = 8;

// Refills the History from the end of monitor.txt. 1 when the file was read,
// 0 when it could not be opened; the History is cleared in either case.
int loadHistory(AppContext& app);

// How one log check ended.
struct LogCheckOutcome {
  enum class Status {
    Repaired,  // the log was rewritten, the summary box was shown
    NoRecords, // the log holds no whole record; nothing was replaced
    Failed,    // a file step failed; monitor.txt is as it was, an error box was shown
  };
  Status status = Status::Failed;
  std::uint64_t recordsWritten = 0; // W
  std::uint64_t recordings = 0;     // breaks + 1
  std::uint64_t errors = 0;         // invalid records and duplicate minutes
};

// Checks and repairs monitor.txt; shows the summary or error box through the
// window services. Returns the error count, 0 when the check could not run.
int checkLogFile(AppContext& app);
// The same check, telling the caller how it ended.
LogCheckOutcome runLogCheck(AppContext& app);

} // namespace baromon
