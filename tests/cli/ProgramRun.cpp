#include "ProgramRun.h"

#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

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

RawTerminal::RawTerminal() {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    return;
  }
  name_ = name;
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
  termios tio{};
  if (::tcgetattr(slave_, &tio) != 0) {
    return;
  }
  ::cfmakeraw(&tio);
  ok_ = ::tcsetattr(slave_, TCSANOW, &tio) == 0;
}

bool RawTerminal::send(const std::string& text) const {
  return ::write(master_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void RawTerminal::hangUp() {
  for (int* fd : {&slave_, &master_}) {
    if (*fd >= 0) {
      ::close(*fd);
      *fd = -1;
    }
  }
}

} // namespace baromon::clitest
