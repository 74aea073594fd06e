#include "assembly/ConsoleRun.h"

#include <windows.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>

#include "adapters/posix/HeadlessWindows.h"
#include "core/state/AppContext.h"
#include "core/program/Startup.h"
#include "core/program/WindowProcedure.h"

namespace baromon::platform {

namespace {

// Set by the console's control handler, which runs on a thread of its own.
HANDLE stopRequested = nullptr;
// Set once the shutdown has written its files.
HANDLE shutDownDone = nullptr;

// Closing the console window, logging off and shutting down end the process as soon
// as the handler returns; the handler waits for the normal shutdown first (the system
// gives it 5 seconds). Ctrl-C and Ctrl-Break only ask.
BOOL WINAPI onConsoleControl(DWORD event) {
  ::SetEvent(stopRequested);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    ::WaitForSingleObject(shutDownDone, 4500);
  }
  return TRUE;
}

class ConsoleControl {
public:
  ConsoleControl() {
    stopRequested = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    shutDownDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
  }
  ~ConsoleControl() {
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
    ::SetEvent(shutDownDone);
  }
  ConsoleControl(const ConsoleControl&) = delete;
  ConsoleControl& operator=(const ConsoleControl&) = delete;
  void done() { ::SetEvent(shutDownDone); }
};

} // namespace

int runConsole(AppContext& app, HeadlessWindows& windows, const StartAnnouncement& announcement) {
  ConsoleControl control;
  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  char directory[MAX_PATH + 1] = ".";
  const DWORD length = ::GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory) {
    directory[0] = '.';
    directory[1] = '\0';
  }
  std::fprintf(stderr, "%s\n", startLine(app, announcement, directory).c_str());
  std::fflush(stderr);
  ULONGLONG next = ::GetTickCount64();
  while (!windows.quitRequested()) {
    const int period = windows.timerPeriod() > 0 ? windows.timerPeriod() : 200;
    next += static_cast<ULONGLONG>(period);
    const ULONGLONG now = ::GetTickCount64();
    const DWORD wait = next > now ? static_cast<DWORD>(next - now) : 0;
    if (::WaitForSingleObject(stopRequested, wait) == WAIT_OBJECT_0) {
      windows.postQuit(0);
      break;
    }
    // Ticks missed while the machine was busy are not made up.
    if (::GetTickCount64() > next + 1000) {
      next = ::GetTickCount64();
    }
    if (windows.timerPeriod() > 0) {
      onTimer(app);
    }
  }
  const int code = shutDown(app, windows.quitCode());
  std::fprintf(
      stderr, "baromon: %" PRIu64 " lines received, %" PRIu64 " valid sentences, %" PRIu64 " rejected\n",
      app.acquisition.linesReceived, app.acquisition.sentencesAccepted, app.acquisition.sentencesRejected);
  std::fflush(stderr);
  control.done();
  return code;
}

} // namespace baromon::platform
