#include "cli/Cli.h"

#include <cstdio>
#include <string>

#ifndef BAROMON_VERSION
#define BAROMON_VERSION "0.0.0"
#endif

namespace baromon::cli {

namespace {

void printUsage(std::FILE* out) {
  std::fputs("Usage: baromon [OPTION]... [COMMAND]\n"
             "Air-pressure monitor for a barograph on a serial port.\n"
             "\n"
             "Options:\n"
             "  --help       show this text and exit\n"
             "  --version    show the version and exit\n",
             out);
}

} // namespace

int run(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      printUsage(stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("baromon %s\n", BAROMON_VERSION);
      return 0;
    }
    std::fprintf(stderr, "baromon: unknown argument '%s'\n", arg.c_str());
    printUsage(stderr);
    return 2;
  }
  std::fputs("baromon: the monitor window is not available in this build yet\n", stderr);
  return 1;
}

} // namespace baromon::cli
