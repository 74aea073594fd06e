#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <memory>

#include "cli/Commands.h"
#include "core/store/ExportRows.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordGrid.h"
#include "core/store/Store.h"
#include "assembly/CommandPlatform.h"

namespace baromon::cli {

namespace {

// Records read per opening of the log.
constexpr std::size_t kExportChunk = static_cast<std::size_t>(kLogRecordSize) * 2048;
// How long a log held by another program is waited for between chunks (5 s).
constexpr int kReopenAttempts = 250;
constexpr std::chrono::milliseconds kReopenPause{20};

} // namespace

int runExport(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc > 1) {
    std::fprintf(err, "baromon: export takes at most one file name\n");
    return 2;
  }
  const std::filesystem::path path =
      argc == 1 ? std::filesystem::path(argv[0]) : std::filesystem::path(kLogFileName);
  const std::string directory = path.has_parent_path() ? path.parent_path().string() : std::string(".");
  const std::string name = path.filename().string();
  assembly::CommandPlatform command(err, directory);
  platform::FileSystem& files = command.files;

  // The log is held only while a chunk is read: the rows are written with it
  // closed, so a reader that stops reading (a pager, a full pipe) never keeps
  // the monitor from appending. Each chunk continues where the last one ended.
  RecordGridScanner scanner;
  LastDecodedRecord decoded;
  // Not zeroed: only the bytes read are used, so a short log touches only its own pages.
  const auto chunk = std::make_unique_for_overwrite<char[]>(kExportChunk);
  bool started = false;
  while (!scanner.finished()) {
    auto file = files.open(name, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
    // Between chunks the monitor appending or a check replacing the log may
    // hold it for a moment.
    for (int attempt = 0; !file && started && attempt < kReopenAttempts; ++attempt) {
      std::this_thread::sleep_for(kReopenPause);
      file = files.open(name, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
    }
    if (!file) {
      std::fprintf(err, "baromon: cannot open %s\n", path.string().c_str());
      return 1;
    }
    const auto offset = static_cast<std::int64_t>(scanner.received());
    std::optional<std::size_t> got;
    if (file->seek(offset, platform::SeekFrom::Begin) == offset) {
      got = file->read(chunk.get(), kExportChunk);
    }
    file.reset();
    if (!got) {
      std::fprintf(err, "baromon: error reading %s\n", path.string().c_str());
      return 1;
    }
    if (*got == 0) {
      scanner.finish();
    } else {
      scanner.append(chunk.get(), *got);
    }

    // Bytes the check would skip to find the next record give no row; a
    // record that does not decode, standing in its place, shows as invalid.
    std::string rows;
    if (!started) {
      rows = kExportCsvHeader;
      started = true;
    }
    while (const auto item = scanner.next(decoded)) {
      if (item->kind != GridStepKind::Skipped) {
        rows += exportCsvRow(decoded, item->kind == GridStepKind::Record);
      }
    }
    if (std::fwrite(rows.data(), 1, rows.size(), out) != rows.size()) {
      break;
    }
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "baromon: error writing the export\n");
    return 1;
  }
  return 0;
}

} // namespace baromon::cli
