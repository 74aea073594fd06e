#include <cstdio>

#include "adapters/posix/HeadlessWindows.h"
#include "app/ConsoleRun.h"
#include "app/FrontEndHandOver.h"
#include "app/Monitor.h"
#include "app/NativePlatform.h"
#include "core/app/AppContext.h"

namespace baromon::app {

int handOverToFrontEnd(char** argv) {
  (void)argv;
  std::fputs("baromon: this build cannot write pictures (built without Qt)\n", stderr);
  return 1;
}

// The Windows program has no windows of its own yet: it runs in its console.
int runMonitor(int argc, char** argv, const PortMap& portMap, const MonitorOptions& options) {
  (void)argc;
  (void)argv;
  if (!options.serveNmea.empty() || !options.onAlarm.empty()) {
    std::fputs("baromon: --serve-nmea and --on-alarm are not available on Windows yet\n", stderr);
    return 2;
  }
  if (!options.headless) {
    std::fputs("baromon: built without windows; running headless\n", stderr);
  }
  NativeSerialPorts ports(portMap);
  // Held until the process ends; start-up takes it before anything else.
  NativeDirectoryLock directoryLock(".");
  NativeClock clock;
  NativeFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock}};
  return platform::runConsole(app, windows);
}

} // namespace baromon::app
