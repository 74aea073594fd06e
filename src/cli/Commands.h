#pragma once

#include <cstdio>

#include "cli/Cli.h"

namespace baromon::cli {

// `baromon decode [--hk N] [FILE]`: decodes device lines as the monitor does
// in KX mode and prints the reading after each line. `args` excludes "decode".
int runDecode(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

// `baromon check`: checks and repairs monitor.txt in the current directory and
// prints the text of the box it would show. Exit status 0 when no error was
// found, 1 when errors were found and corrected, 2 when the check could not run.
int runCheck(int argc, char** argv, std::FILE* out, std::FILE* err);

// `baromon export [FILE]`: the records of FILE (default monitor.txt) as CSV.
int runExport(int argc, char** argv, std::FILE* out, std::FILE* err);

// Runs the monitor in the current directory, with windows or headless; returns the exit code.
int runMonitor(int argc, char** argv, const GeneralOptions& options);

} // namespace baromon::cli
