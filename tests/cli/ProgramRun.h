#pragma once

#include <string>

#include "platform/testing/TempDir.h"

namespace baromon::clitest {

// What a finished command left: its exit status (-1 when it did not exit normally
// or could not be started) and its standard output.
struct Outcome {
  int status = -1;
  std::string out;
};

// Runs `command` through the shell, standard output captured.
Outcome runCommand(const std::string& command);

// Runs `command` through the shell in `dir`, standard output captured; standard
// error joins it when `withErrors`, else it is dropped.
Outcome runShellIn(const fakes::TempDir& dir, const std::string& command, bool withErrors = false);

// Runs the built monitor with `args` in `dir` (see runShellIn).
Outcome runBaromonIn(const fakes::TempDir& dir, const std::string& args, bool withErrors = false);

} // namespace baromon::clitest
