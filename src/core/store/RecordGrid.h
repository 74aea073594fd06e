#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/store/LogRecord.h"

namespace baromon {

// Finding the records of monitor.txt. Record k normally starts at byte 80·k,
// but a write cut short (a full disk, a killed writer, an old program) leaves a
// fragment that shifts every later record off that grid. Everything that walks
// the whole log and must agree on what a record is (the check, export) steps
// through it with this.
//
// A window of 80 bytes whose fields decode valid is a record whatever its line
// end: the decoder never looks at bytes 78-79. Only where a window does not
// decode, or where another record begins inside its fields, is the grid looked
// for again, at the nearest offset that holds a record.

enum class GridStepKind {
  Record,  // 80 bytes whose fields decode valid; `decoded` holds them
  Damaged, // 80 bytes in a record's place that do not decode; `decoded` holds their clamped values
  Skipped, // fewer than 80 bytes off the grid, stepped over to the next record
};

struct GridStep {
  GridStepKind kind = GridStepKind::Damaged;
  // Bytes to the start of the next step. A record is followed by the next one
  // 80 bytes on, or a byte or two nearer or further when its line end lost or
  // gained bytes.
  std::size_t length = kLogRecordSize;
};

// A step may look this far past its start to find the next record.
inline constexpr std::size_t kGridLookAhead = 2 * kLogRecordSize + 2;

// The step that starts at `bytes`. `available` (at least 80) is the number of
// bytes from there; the step depends only on the first kGridLookAhead of them,
// so a caller holding fewer must be at the end of the log.
GridStep nextGridStep(LastDecodedRecord& decoded, const char* bytes, std::size_t available);

// Walks a log handed over in pieces of any size, giving the same steps as one
// call on the whole. The bytes of a step stay valid until the next append.
class RecordGridScanner {
public:
  struct Item {
    GridStepKind kind;
    std::uint64_t offset; // of its first byte in the log
    const char* bytes;    // at least 80 bytes for Record and Damaged (79 for a last record
                          // whose line end is a bare LF), `length` for Skipped
    std::size_t length;
  };

  // The next bytes of the log.
  void append(const char* data, std::size_t count);
  // The log has no more bytes; what is left shorter than a record is not one,
  // except 79 bytes of valid fields ending in LF (a log converted to LF line ends).
  void finish() { finished_ = true; }
  bool finished() const { return finished_; }

  // The next step, or nothing when it cannot be told without more bytes (or,
  // once finished, when the log is done).
  std::optional<Item> next(LastDecodedRecord& decoded);

  // Bytes appended so far: where to read on.
  std::uint64_t received() const { return base_ + buffer_.size(); }

private:
  std::vector<char> buffer_;
  std::size_t at_ = 0;     // start of the next step in buffer_
  std::uint64_t base_ = 0; // offset in the log of buffer_[0]
  bool finished_ = false;
};

} // namespace baromon
