#include "ProgramRun.h"

#include <cstdio>
#include <sys/wait.h>

namespace baromon::clitest {

Outcome runCommand(const std::string& command) {
  Outcome run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    run.out.append(buffer, n);
  }
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

Outcome runShellIn(const fakes::TempDir& dir, const std::string& command, bool withErrors) {
  return runCommand("cd '" + dir.path() + "' && " + command + (withErrors ? " 2>&1" : " 2>/dev/null"));
}

Outcome runBaromonIn(const fakes::TempDir& dir, const std::string& args, bool withErrors) {
  return runShellIn(dir, "'" BAROMON_EXE "' " + args, withErrors);
}

} // namespace baromon::clitest
