#include "adapters/posix/Programs.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace baromon::platform {

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> candidateNames(const std::string& program) {
  std::vector<std::string> names{program};
  const std::string suffix = ".exe";
  if (program.size() > suffix.size() &&
      program.compare(program.size() - suffix.size(), suffix.size(), suffix) == 0) {
    names.push_back(program.substr(0, program.size() - suffix.size()));
  }
  return names;
}

// The directory of the running program's file ("" when the system does not say).
std::string ownProgramDirectory() {
  std::vector<char> path(4096);
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) {
    return "";
  }
  const std::string file(path.data(), static_cast<std::size_t>(n));
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "" : file.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

std::optional<std::string> findProgram(const std::string& program, const std::string& ownDirectory) {
  if (program.empty()) {
    return std::nullopt;
  }
  const auto names = candidateNames(program);
  if (program.find('/') != std::string::npos) {
    return isExecutableFile(program) ? std::optional<std::string>(program) : std::nullopt;
  }
  for (const auto& name : names) {
    if (isExecutableFile("./" + name)) {
      return "./" + name;
    }
  }
  if (!ownDirectory.empty()) {
    for (const auto& name : names) {
      const std::string candidate = ownDirectory + "/" + name;
      if (isExecutableFile(candidate)) {
        return candidate;
      }
    }
  }
  const char* path = std::getenv("PATH");
  if (path == nullptr) {
    return std::nullopt;
  }
  const std::string dirs = path;
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) {
      end = dirs.size();
    }
    // An empty entry means the current directory.
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    for (const auto& name : names) {
      const std::string candidate = dir + "/" + name;
      if (isExecutableFile(candidate)) {
        return candidate;
      }
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> findProgram(const std::string& program) {
  return findProgram(program, ownProgramDirectory());
}

bool startDetachedProgram(const std::string& program) {
  const auto path = findProgram(program);
  if (!path) {
    return false;
  }
  // Two forks, so the started program is re-parented and never left as a zombie of ours.
  // The write end closes on a successful exec, so the reader sees end-of-file; a failed
  // exec writes one byte first.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return false;
  }
  if (child == 0) {
    ::close(pipeFds[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      // We ignore SIGPIPE and an ignored signal stays ignored across exec.
      struct sigaction byDefault {};
      byDefault.sa_handler = SIG_DFL;
      sigemptyset(&byDefault.sa_mask);
      ::sigaction(SIGPIPE, &byDefault, nullptr);
      char* const argv[] = {const_cast<char*>(path->c_str()), nullptr};
      ::execv(path->c_str(), argv);
      const char failed = 1;
      (void)!::write(pipeFds[1], &failed, 1);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(pipeFds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  char failed = 0;
  ssize_t got;
  do {
    got = ::read(pipeFds[0], &failed, 1);
  } while (got < 0 && errno == EINTR);
  ::close(pipeFds[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

} // namespace baromon::platform
