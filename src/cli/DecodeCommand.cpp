#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "cli/Commands.h"
#include "core/serial/Decoders.h"

namespace baromon::cli {

namespace {

constexpr std::size_t kLineLimit = 1024; // what the monitor's receive buffer keeps of a line

void printReading(std::FILE* out, const CurrentReading& r) {
  std::fprintf(out, "%d\t%ld\t%lu\t%ld\t%ld\t%ld\t%lu\n", r.valid, static_cast<long>(r.pressure),
               static_cast<unsigned long>(r.adValue), static_cast<long>(r.tendency1h),
               static_cast<long>(r.tendency3h), static_cast<long>(r.temperature),
               static_cast<unsigned long>(r.voltage));
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
                 "(hundredths of a hPa, counts, tenths of a hPa, tenths of a degree C, tenths of a V).\n",
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
  // Live input (a device, a pipe) gets each reading as soon as its line is complete.
  struct stat sourceStat {};
  const bool live = ::fstat(::fileno(source), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode);

  CurrentReading reading;
  std::string line;
  line.reserve(kLineLimit);
  bool pending = false;
  int c;
  // A line is everything up to and including its line feed; like the monitor,
  // only its first 1024 bytes count.
  while ((c = std::fgetc(source)) != EOF) {
    pending = true;
    if (line.size() < kLineLimit) {
      line.push_back(static_cast<char>(c));
    }
    if (c == '\n') {
      decodeSentence(reading, line.data(), line.size(), hk);
      printReading(out, reading);
      if (live) {
        std::fflush(out);
      }
      line.clear();
      pending = false;
      if (std::ferror(out)) {
        break; // nobody reads any more
      }
    }
  }
  const int readError = errno;
  if (pending) {
    decodeSentence(reading, line.data(), line.size(), hk);
    printReading(out, reading);
  }
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
