#include "core/store/RecordGrid.h"

#include <algorithm>

namespace baromon {

namespace {

constexpr std::size_t kRecord = kLogRecordSize;
constexpr std::size_t kFieldBytes = kLogRecordSize - 2; // the line end follows

// Fields that decode valid and that a record can hold again. The reader puts no
// lower bound on the year, so a non-digit there can decode to a negative year
// that no record can hold; written back it would become an invalid record.
bool decodesValid(LastDecodedRecord& decoded, const char* bytes) {
  return parseLogRecord(decoded, LogRecordMode::Decode, bytes) == 1 && decoded.sample.year >= 0;
}

// The same for a probe: both date dots first, which nearly every window that
// is not a record lacks, so that a search through noise costs little.
bool probeValid(const char* bytes) {
  if (bytes[9] != '.' || bytes[12] != '.') {
    return false;
  }
  LastDecodedRecord probe;
  return decodesValid(probe, bytes);
}

// The last record of a log whose line ends lost their CR: its fields and a line
// feed. A writer cut short never leaves a line feed, so this is a whole line.
bool endsLineAfterFields(const char* bytes) { return bytes[kFieldBytes] == '\n'; }

bool endsLine(const char* bytes) { return bytes[kRecord - 2] == '\r' && bytes[kRecord - 1] == '\n'; }

// A record that also ends in CR LF: the surest sign of where the grid is.
bool probeWhole(const char* bytes) { return endsLine(bytes) && probeValid(bytes); }

// The nearest offset in [first, last] whose window satisfies `test`; 0 if none.
template <typename Test>
std::size_t nearest(const char* bytes, std::size_t available, std::size_t first, std::size_t last,
                    Test test) {
  for (std::size_t o = first; o <= last && o + kRecord <= available; ++o) {
    if (test(bytes + o)) {
      return o;
    }
  }
  return 0;
}

GridStep stepAfterDamage(const char* bytes, std::size_t available) {
  // The nearest record within one record's length; a whole one before one
  // whose own line end is damaged.
  std::size_t o = nearest(bytes, available, 1, kRecord, probeWhole);
  if (o == 0) {
    o = nearest(bytes, available, 1, kRecord, probeValid);
  }
  if (o == 0 || o == kRecord) {
    return {GridStepKind::Damaged, kRecord};
  }
  return {GridStepKind::Skipped, o};
}

} // namespace

GridStep nextGridStep(LastDecodedRecord& decoded, const char* bytes, std::size_t available) {
  if (!decodesValid(decoded, bytes)) {
    return stepAfterDamage(bytes, available);
  }
  if (endsLine(bytes)) {
    return {GridStepKind::Record, kRecord};
  }
  // Valid fields and a damaged line end. No record can begin inside a record's
  // fields (its only dots are the date's), so one that does shows these bytes
  // to be the head of a cut record followed by the start of the next: skip to it.
  const std::size_t whole = nearest(bytes, available, 1, kRecord + 2, probeWhole);
  if (whole != 0 && whole < kFieldBytes) {
    return {GridStepKind::Skipped, whole};
  }
  if (const std::size_t inner = nearest(bytes, available, 1, kFieldBytes - 1, probeValid); inner != 0) {
    return {GridStepKind::Skipped, inner};
  }
  if (whole != 0) {
    return {GridStepKind::Record, whole};
  }
  // The next record, if any, whose line end is damaged as well (a log whose
  // line ends were all converted): 80 bytes on, else a byte or two either side.
  for (const std::size_t o : {kRecord, kRecord - 1, kRecord + 1, kRecord - 2, kRecord + 2}) {
    const bool fits =
        o + kRecord <= available || (o + kRecord - 1 == available && endsLineAfterFields(bytes + o));
    if (fits && probeValid(bytes + o)) {
      return {GridStepKind::Record, o};
    }
  }
  return {GridStepKind::Record, kRecord};
}

void RecordGridScanner::append(const char* data, std::size_t count) {
  // Only the undecided tail (at most a step's look-ahead) moves to the front.
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at_));
  base_ += at_;
  at_ = 0;
  buffer_.insert(buffer_.end(), data, data + count);
}

std::optional<RecordGridScanner::Item> RecordGridScanner::next(LastDecodedRecord& decoded) {
  const std::size_t available = buffer_.size() - at_;
  const char* bytes = buffer_.data() + at_;
  if (finished_ && available == kRecord - 1 && endsLineAfterFields(bytes) && decodesValid(decoded, bytes)) {
    at_ += available;
    return Item{GridStepKind::Record, base_ + at_ - available, bytes, available};
  }
  if (available < kRecord || (!finished_ && available < kGridLookAhead)) {
    return std::nullopt;
  }
  const GridStep step = nextGridStep(decoded, bytes, available);
  Item item{step.kind, base_ + at_, bytes, step.length};
  at_ += step.length;
  return item;
}

} // namespace baromon
