#include <cstdio>

#include "adapters/posix/HeadlessWindows.h"
#include "assembly/ConsoleRun.h"
#include "assembly/FrontEndHandOver.h"
#include "assembly/Monitor.h"
#include "assembly/NativePlatform.h"
#include "assembly/Win32GuiRun.h"
#include "core/state/AppContext.h"

namespace baromon::assembly {

// The Windows program draws its windows and pictures itself (cli::win32FrontEnd), so
// nothing is ever handed over; the logger's entry point exists only for the linker.
int handOverToFrontEnd(char** argv) {
  (void)argv;
  std::fputs("baromon: no front end to hand over to\n", stderr);
  return 1;
}

int handOverToPictureProgram(char** argv) { return handOverToFrontEnd(argv); }

// The monitor with its windows, or with --headless in its console.
int runMonitor(int argc, char** argv, const PortMap& portMap, const MonitorOptions& options) {
  (void)argc;
  (void)argv;
  if (!options.serveNmea.empty() || !options.onAlarm.empty() || !options.serveHttp.empty() ||
      !options.mqtt.empty()) {
    std::fputs(
        "baromon: --serve-nmea, --serve-http, --on-alarm and --mqtt are not available on Windows yet\n",
        stderr);
    return 2;
  }
  NativeSerialPorts ports(portMap);
  // Held until the process ends; start-up takes it before anything else.
  NativeDirectoryLock directoryLock(".");
  if (!options.headless) {
    return runWindows(ports, directoryLock);
  }
  NativeClock clock;
  NativeFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock}};
  return platform::runConsole(app, windows);
}

} // namespace baromon::assembly
