#include "adapters/posix/AlarmCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace baromon::platform {

namespace {

std::int64_t monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec;
}

bool isOurs(const char* entry) {
  static const char* const kNames[] = {
      "BAROMON_PRESSURE_HPA=", "BAROMON_TENDENCY_1H_HPA=", "BAROMON_TENDENCY_3H_HPA=", "BAROMON_TIME_UTC="};
  for (const char* name : kNames) {
    if (std::strncmp(entry, name, std::strlen(name)) == 0) {
      return true;
    }
  }
  return false;
}

} // namespace

AlarmCommand::AlarmCommand(std::string command, bool reportOnStderr,
                           std::function<std::int64_t()> monotonicSeconds)
    : command_(std::move(command)), reportOnStderr_(reportOnStderr), now_(std::move(monotonicSeconds)) {
  if (!now_) {
    now_ = monotonicNow;
  }
}

void AlarmCommand::alarm(const AlarmReport& report) {
  if (reportOnStderr_) {
    std::fprintf(stderr, "baromon: fast pressure fall %s: %s hPa, %s hPa/1h, %s hPa/3h\n",
                 report.timeUtc.c_str(), report.pressureHpa.c_str(), report.tendency1hHpa.c_str(),
                 report.tendency3hHpa.c_str());
    std::fflush(stderr);
  }
  if (command_.empty()) {
    return;
  }
  // Everything the child needs is made before the fork: after it, in a process that may
  // have threads (the windows), only async-signal-safe calls are allowed.
  std::vector<std::string> variables{
      "BAROMON_PRESSURE_HPA=" + report.pressureHpa,
      "BAROMON_TENDENCY_1H_HPA=" + report.tendency1hHpa,
      "BAROMON_TENDENCY_3H_HPA=" + report.tendency3hHpa,
      "BAROMON_TIME_UTC=" + report.timeUtc,
  };
  std::vector<char*> envp;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (!isOurs(*e)) {
      envp.push_back(*e);
    }
  }
  for (std::string& v : variables) {
    envp.push_back(v.data());
  }
  envp.push_back(nullptr);
  const char* argv[] = {"sh", "-c", command_.c_str(), nullptr};
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0); // a group of its own, so that ending it ends what it started
    if (devNull >= 0) {
      ::dup2(devNull, 0);
    }
    // We ignore SIGPIPE and an ignored signal stays ignored across exec.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(SIGPIPE, &byDefault, nullptr);
    ::execve("/bin/sh", const_cast<char* const*>(argv), envp.data());
    ::_exit(127);
  }
  if (devNull >= 0) {
    ::close(devNull);
  }
  if (pid < 0) {
    std::fprintf(stderr, "baromon: cannot run the alarm command: %s\n", std::strerror(errno));
    return;
  }
  ::setpgid(pid, pid); // also here, so that a kill right after the fork finds the group
  children_.push_back(Child{pid, now_()});
}

void AlarmCommand::poll() {
  const std::int64_t now = now_();
  for (auto it = children_.begin(); it != children_.end();) {
    int status = 0;
    const pid_t done = ::waitpid(it->pid, &status, WNOHANG);
    if (done == it->pid || (done < 0 && errno == ECHILD)) {
      it = children_.erase(it);
      continue;
    }
    if (now - it->started >= kRunLimitSeconds) {
      ::kill(-it->pid, SIGKILL);
    }
    ++it;
  }
}

} // namespace baromon::platform
