#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "cli/Commands.h"
#include "core/serial/AcquisitionState.h"
#include "core/serial/Decoders.h"

namespace baromon::cli {

namespace {

// What the monitor's receive buffer keeps of a line.
constexpr auto kLineLimit = static_cast<std::size_t>(kReceiveBufferSize);
constexpr std::size_t kBlockSize = std::size_t{1} << 16;

// Rows collected and written a block at a time: a capture of a day has 345,600
// lines, and one formatted write per line would cost more than the decoding.
class RowPrinter {
public:
  explicit RowPrinter(std::FILE* out) : out_(out), rows_(kBlockSize) {}

  void print(const CurrentReading& r) {
    if (rows_.size() - used_ < kLongestRow) {
      flush();
    }
    char* p = rows_.data() + used_;
    p = columns_[0].put(p, r.valid);
    p = columns_[1].put(p, r.pressure);
    p = columns_[2].put(p, r.adValue);
    p = columns_[3].put(p, r.tendency1h);
    p = columns_[4].put(p, r.tendency3h);
    p = columns_[5].put(p, r.temperature);
    p = columns_[6].put(p, r.voltage);
    p[-1] = '\n';
    used_ = static_cast<std::size_t>(p - rows_.data());
  }

  // Hands the rows collected on to the reader.
  void flush() {
    if (used_ > 0) {
      std::fwrite(rows_.data(), 1, used_, out_);
      std::fflush(out_);
      used_ = 0;
    }
  }
  bool failed() const { return std::ferror(out_) != 0; }

private:
  // One column's text with its tab, kept while the value stays the same: from
  // one line to the next most values do (a $WIXDR frame changes one of them).
  class Column {
  public:
    char* put(char* p, std::int64_t value) {
      if (value != value_) {
        value_ = value;
        char* const end = std::to_chars(text_.data(), text_.data() + text_.size(), value).ptr;
        *end = '\t';
        length_ = static_cast<std::size_t>(end - text_.data()) + 1;
      }
      std::memcpy(p, text_.data(), text_.size()); // the whole array: one fixed-size copy
      return p + length_;
    }

  private:
    std::int64_t value_ = std::numeric_limits<std::int64_t>::min(); // no 32-bit column value
    std::array<char, 16> text_{};                                   // up to "-2147483648" and the tab
    std::size_t length_ = 0;
  };

  static constexpr std::size_t kLongestRow = std::tuple_size_v<std::array<char, 16>> * 7;

  std::FILE* out_;
  std::vector<char> rows_;
  std::size_t used_ = 0;
  std::array<Column, 7> columns_;
};

// Cuts blocks of input into lines, decodes each line as it completes and
// prints the reading. A line is everything up to and including its line feed;
// like the monitor, only its first kLineLimit bytes count.
class LineDecoder {
public:
  LineDecoder(RowPrinter& printer, int hk) : printer_(printer), hk_(hk) { partial_.reserve(kLineLimit); }

  void feed(const char* bytes, std::size_t length) {
    const char* const end = bytes + length;
    while (bytes < end) {
      const auto* feed =
          static_cast<const char*>(std::memchr(bytes, '\n', static_cast<std::size_t>(end - bytes)));
      const char* const next = feed != nullptr ? feed + 1 : end;
      const auto span = static_cast<std::size_t>(next - bytes);
      if (feed != nullptr && partial_.empty()) {
        decode(bytes, std::min(span, kLineLimit)); // the whole line lies in this block
      } else {
        partial_.append(bytes, std::min(span, kLineLimit - partial_.size()));
        if (feed != nullptr) {
          decode(partial_.data(), partial_.size());
          partial_.clear();
        }
      }
      bytes = next;
    }
  }

  // The last line, when the input ended without its line feed.
  void finish() {
    if (!partial_.empty()) {
      decode(partial_.data(), partial_.size());
      partial_.clear();
    }
  }

private:
  // What it reads came from a device, however it was kept: the lines are checked as
  // the monitor checks live input, so a damaged sentence changes nothing here either.
  void decode(const char* line, std::size_t length) {
    decodeSentence(reading_, line, length, hk_);
    printer_.print(reading_);
  }

  RowPrinter& printer_;
  int hk_;
  CurrentReading reading_;
  std::string partial_; // the start of a line that goes on in the next block
};

// Reads up to and including the next line feed, so that live input gets each
// reading as soon as its line is complete.
std::size_t readLine(std::FILE* source, std::vector<char>& block) {
  std::size_t n = 0;
  int c = 0;
  while (n < block.size() && (c = std::getc(source)) != EOF) {
    block[n++] = static_cast<char>(c);
    if (c == '\n') {
      break;
    }
  }
  return n;
}

bool parseHk(const char* text, int& hk) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < -99999 || v > 99999) {
    return false;
  }
  hk = static_cast<int>(v);
  return true;
}

constexpr int kCarryOn = -1;

// Reads the options; kCarryOn, or the exit status when there is nothing more to do.
int parseArguments(int argc, char** argv, std::FILE* out, std::FILE* err, int& hk, const char*& path) {
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--hk" && i + 1 < argc) {
      if (!parseHk(argv[++i], hk)) {
        std::fprintf(err, "baromon decode: --hk takes hundredths of a hPa, -99999..99999\n");
        return 2;
      }
    } else if (arg.rfind("--hk=", 0) == 0) {
      if (!parseHk(arg.c_str() + 5, hk)) {
        std::fprintf(err, "baromon decode: --hk takes hundredths of a hPa, -99999..99999\n");
        return 2;
      }
    } else if (arg == "--help" || arg == "-h") {
      std::fputs("Usage: baromon decode [--hk N] [FILE]\n"
                 "Decodes barograph lines from FILE (or standard input) and prints per line:\n"
                 "valid pressure adValue tendency1h tendency3h temperature voltage\n"
                 "(hundredths of a hPa, counts, tenths of a hPa, tenths of a degree C, tenths of a V).\n"
                 "A damaged sentence (a non-digit where a digit belongs, a wrong checksum, a pressure\n"
                 "in a unit other than bar or pascal) changes nothing, as in the monitor.\n",
                 out);
      return 0;
    } else if (path == nullptr && (arg == "-" || arg.empty() || arg[0] != '-')) {
      path = argv[i];
    } else {
      std::fprintf(err, "baromon decode: unknown argument '%s'\n", argv[i]);
      return 2;
    }
  }
  return kCarryOn;
}

// Decodes and prints every line of `source`, the last one also without its
// line feed; errno as the reading ended.
int decodeLines(std::FILE* source, std::FILE* out, int hk) {
  // Live input (a device, a pipe) is taken a line at a time and each reading
  // printed at once; a file in large blocks.
  struct stat sourceStat {};
  const bool live = ::fstat(::fileno(source), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode);

  RowPrinter printer(out);
  LineDecoder lines(printer, hk);
  std::vector<char> block(kBlockSize);
  for (;;) {
    const std::size_t got =
        live ? readLine(source, block) : std::fread(block.data(), 1, block.size(), source);
    if (got == 0) {
      break;
    }
    lines.feed(block.data(), got);
    if (live) {
      printer.flush();
    }
    if (printer.failed()) {
      break; // nobody reads any more
    }
  }
  const int readError = errno;
  lines.finish();
  printer.flush();
  return readError;
}

} // namespace

int runDecode(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  int hk = 0;
  const char* path = nullptr;
  if (const int status = parseArguments(argc, argv, out, err, hk, path); status != kCarryOn) {
    return status;
  }

  std::FILE* source = in;
  if (path != nullptr && std::strcmp(path, "-") != 0) {
    source = std::fopen(path, "rb");
    if (source == nullptr) {
      std::fprintf(err, "baromon decode: cannot open %s: %s\n", path, std::strerror(errno));
      return 1;
    }
  }

  const int readError = decodeLines(source, out, hk);
  // A terminal whose other end went away (a simulator that stopped, an adapter
  // pulled out) ends the input with EIO; that is the end of the data, not an error.
  struct stat st {};
  const bool hungUpTerminal = readError == EIO && ::fstat(::fileno(source), &st) == 0 && S_ISCHR(st.st_mode);
  const bool readFailed = std::ferror(source) != 0 && !hungUpTerminal;
  if (source != in) {
    std::fclose(source);
  }
  if (readFailed) {
    std::fprintf(err, "baromon decode: read error\n");
    return 1;
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "baromon decode: write error\n");
    return 1;
  }
  return 0;
}

} // namespace baromon::cli
