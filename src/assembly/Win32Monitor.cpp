#include <cstdio>

#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/UserSession.h"
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
  // Every event also on standard error, in the monitor's language, as on Linux: the console
  // shows Windows-1252 (ConsoleCodePage), so the texts go as they are.
  platform::StreamEventSink journal(stderr, platform::TextBytes::Windows1252);
  Platform services{clock, files, windows, ports, graphics, &directoryLock};
  services.eventSink = &journal;
  AppContext app{services};
  platform::StartAnnouncement announcement;
  announcement.source = [&portMap](const AppContext& running) {
    const auto path = portMap.resolve(running.serial.portName);
    return running.serial.portName + (path ? " = " + *path : std::string());
  };
  return platform::runConsole(app, windows, announcement);
}

} // namespace baromon::assembly
