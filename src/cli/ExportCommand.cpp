#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "platform/posix/PosixFileSystem.h"

namespace baromon::cli {

namespace {

// Tenths of a hPa as a signed decimal: +1.8, -0.3, +0.0.
void appendTenths(std::string& row, std::int32_t tenths, bool withSign) {
  char text[24];
  const long magnitude = tenths < 0 ? -static_cast<long>(tenths) : tenths;
  const char* sign = withSign ? (tenths < 0 ? "-" : "+") : (tenths < 0 ? "-" : "");
  std::snprintf(text, sizeof text, "%s%ld.%ld", sign, magnitude / 10, magnitude % 10);
  row += text;
}

std::string csvRow(const LastDecodedRecord& r, int valid) {
  const HistorySample& s = r.sample;
  char head[96];
  const long pressure = s.pressure;
  std::snprintf(head, sizeof head, "%u,%04d-%02u-%02u,%02u:%02u,%ld.%02ld,", static_cast<unsigned>(r.counter),
                static_cast<int>(s.year), static_cast<unsigned>(s.month), static_cast<unsigned>(s.day),
                static_cast<unsigned>(s.hour), static_cast<unsigned>(s.minute), pressure / 100,
                (pressure < 0 ? -pressure : pressure) % 100);
  std::string row = head;
  appendTenths(row, s.tendency1h, true);
  row += ',';
  appendTenths(row, s.tendency3h, true);
  row += ',';
  appendTenths(row, s.variation, false);
  row += valid == 1 ? ",1\n" : ",0\n";
  return row;
}

} // namespace

int runExport(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc > 1) {
    std::fprintf(err, "baromon: export takes at most one file name\n");
    return 2;
  }
  const std::filesystem::path path = argc == 1 ? std::filesystem::path(argv[0]) : std::filesystem::path(kLogFileName);
  const std::string directory = path.has_parent_path() ? path.parent_path().string() : std::string(".");
  platform::PosixFileSystem files(directory);
  auto file = files.open(path.filename().string(), platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    std::fprintf(err, "baromon: cannot open %s\n", path.string().c_str());
    return 1;
  }

  std::fputs("counter,date,time,pressure_hpa,tendency1h_hpa,tendency3h_hpa,variation_hpa,valid\n", out);
  LastDecodedRecord decoded;
  std::vector<char> block(static_cast<std::size_t>(kLogRecordSize) * 1024);
  std::size_t held = 0; // bytes of an incomplete record carried into the next block
  for (;;) {
    const auto n = file->read(block.data() + held, block.size() - held);
    if (!n) {
      std::fprintf(err, "baromon: error reading %s\n", path.string().c_str());
      return 1;
    }
    if (*n == 0) {
      break; // a trailing partial record is not a record
    }
    held += *n;
    std::size_t at = 0;
    std::string rows;
    for (; at + kLogRecordSize <= held; at += kLogRecordSize) {
      const int valid = parseLogRecord(decoded, 1, block.data() + at);
      rows += csvRow(decoded, valid);
    }
    std::fwrite(rows.data(), 1, rows.size(), out);
    std::copy(block.begin() + static_cast<std::ptrdiff_t>(at), block.begin() + static_cast<std::ptrdiff_t>(held),
              block.begin());
    held -= at;
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "baromon: error writing the export\n");
    return 1;
  }
  return 0;
}

} // namespace baromon::cli
