#include "assembly/Win32GuiRun.h"

#include <windows.h>

#include <atomic>

#include "adapters/win32/Win32FrontEnd.h"
#include "assembly/NativePlatform.h"
#include "core/state/AppContext.h"
#include "core/program/Startup.h"

namespace baromon::assembly {

namespace {

// The main window, for the console's control handler (which runs on a thread of its own).
std::atomic<HWND> mainWindow = nullptr;
HANDLE shutDownDone = nullptr;

// Ctrl-C, Ctrl-Break and closing the console of a start from a command prompt end the
// program like its close box; a close waits for the settings to be written (the system
// gives it 5 seconds before it ends the process).
BOOL WINAPI onConsoleControl(DWORD event) {
  if (HWND main = mainWindow.load(); main != nullptr) {
    ::PostMessageA(main, WM_CLOSE, 0, 0);
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    ::WaitForSingleObject(shutDownDone, 4500);
  }
  return TRUE;
}

// Started from the desktop, the program got a console of its own: it goes at once, and
// only the windows stay. A console shared with a command prompt stays with it.
void releaseOwnConsole() {
  DWORD processes[2] = {};
  if (::GetConsoleProcessList(processes, 2) == 1) {
    ::FreeConsole();
  }
}

} // namespace

int runWindows(platform::SerialPorts& ports, platform::DirectoryLock& directoryLock) {
  releaseOwnConsole();
  NativeClock clock;
  NativeFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::Win32Windows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock}};
  windows.attach(app);

  shutDownDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  // Log-off and shutdown end the process once the main window has answered: the
  // settings are written before it answers.
  bool shutDownRun = false;
  int code = 0;
  windows.onSessionEnd = [&] {
    mainWindow = nullptr;
    code = shutDown(app, 0);
    shutDownRun = true;
  };
  mainWindow = windows.handle(platform::WindowId::Main);
  // The print menu asks with the print dialog, owned by the main window so it stays in front.
  NativePrinters printers(graphics, platform::PrinterChoice::Dialog, mainWindow.load());
  app.printing.printers = &printers;
  ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
  const int quitCode = windows.exec();
  mainWindow = nullptr;
  if (!shutDownRun) {
    code = shutDown(app, quitCode);
  }
  ::SetEvent(shutDownDone);
  return code;
}

} // namespace baromon::assembly
