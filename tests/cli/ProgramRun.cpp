#include "support/WaitFor.h"
#include "ProgramRun.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
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

BaromonChild::BaromonChild(const std::string& dir, const std::vector<std::string>& args,
                           const std::string& outputPath, const std::vector<std::string>& environment) {
  // Built before the fork: the child of a test with threads only execs.
  std::vector<std::string> variables = environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const std::string name = text.substr(0, text.find('='));
    const bool replaced =
        std::any_of(variables.begin(), variables.begin() + static_cast<long>(environment.size()),
                    [&](const std::string& v) { return v == name || v.rfind(name + "=", 0) == 0; });
    if (!replaced) {
      variables.push_back(text);
    }
  }
  std::vector<char*> envp;
  for (auto& v : variables) {
    if (v.find('=') != std::string::npos) { // a bare NAME only removes the variable
      envp.push_back(v.data());
    }
  }
  envp.push_back(nullptr);
  std::vector<char*> argv{const_cast<char*>(BAROMON_EXE)};
  for (const auto& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  int closedPipe[2] = {-1, -1};
  if (outputPath.empty() && ::pipe(closedPipe) != 0) {
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    int out = -1;
    if (outputPath.empty()) {
      ::close(closedPipe[0]);
      out = closedPipe[1];
    } else {
      out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || ::chdir(dir.c_str()) != 0) {
      ::_exit(120);
    }
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::execve(BAROMON_EXE, argv.data(), envp.data());
    ::_exit(121);
  }
  if (outputPath.empty()) {
    ::close(closedPipe[0]);
    ::close(closedPipe[1]);
  }
}

BaromonChild::~BaromonChild() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

int BaromonChild::waitExit(int seconds) {
  fakes::waitFor(
      [&] {
        int status = 0;
        if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
          pid_ = -1;
          status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        }
        return pid_ <= 0;
      },
      std::chrono::seconds(seconds));
  return pid_ > 0 ? -1 : status_;
}

int BaromonChild::stop(int signal) {
  if (pid_ > 0) {
    ::kill(pid_, signal);
  }
  return waitExit(30);
}

void BaromonChild::signal(int signal) const {
  if (pid_ > 0 && status_ < 0) {
    ::kill(pid_, signal);
  }
}

std::vector<std::string> testClockEnvironment(const std::string& clock, bool refuseSleeps) {
  // A sanitizer's runtime wants to be the first library loaded; the module comes before
  // it, which is harmless since it brings no runtime of its own.
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::vector<std::string> environment{std::string("LD_PRELOAD=") + BAROMON_TEST_CLOCK_MODULE,
                                       std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
                                           ":verify_asan_link_order=0"};
  if (!clock.empty()) {
    environment.push_back("BAROMON_TEST_CLOCK=" + clock);
  }
  if (refuseSleeps) {
    environment.emplace_back("BAROMON_TEST_REFUSE_SLEEP=1");
  }
  return environment;
}

std::string monitorSettings(const std::string& mode) {
  return "DATA=" + mode +
         "\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\n"
         "ERR=1\nU=0\nSIG=0\nDKS=0\nLANG=EN\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

long statusKilobytes(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) {
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
  }
  return 0;
}

} // namespace baromon::clitest
