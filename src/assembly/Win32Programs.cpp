// The Windows side of adapters/posix/Programs.h, which the headless window services
// use to start dft.exe.
#include <windows.h>

#include <string>

#include "adapters/posix/Programs.h"

namespace baromon::platform {

std::optional<std::string> findProgram(const std::string& program) {
  char found[MAX_PATH];
  // The current directory first, then the PATH, as the system starts programs.
  const DWORD n = ::SearchPathA(nullptr, program.c_str(), ".exe", sizeof found, found, nullptr);
  if (n == 0 || n >= sizeof found) {
    return std::nullopt;
  }
  return std::string(found, n);
}

bool startDetachedProgram(const std::string& program) {
  const auto path = findProgram(program);
  if (!path) {
    return false;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + *path + "\"";
  if (!::CreateProcessA(path->c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

} // namespace baromon::platform
