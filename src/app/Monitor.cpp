#include "app/Monitor.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "app/HeadlessRun.h"
#include "core/app/AppContext.h"
#ifdef BAROMON_HAVE_QT
#include "app/GuiRun.h"
#endif

namespace baromon::app {

int runMonitor(int argc, char** argv, const platform::PortMap& portMap, const MonitorOptions& options) {
  const bool headless = options.headless;
  platform::PosixSerialPorts ports(portMap);
  std::unique_ptr<platform::NmeaServer> server;
  if (!options.serveNmea.empty()) {
    std::string error;
    server = platform::NmeaServer::listenOn(options.serveNmea, error);
    if (!server) {
      std::fprintf(stderr, "baromon: %s\n", error.c_str());
      return 2;
    }
  }
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  if (!headless) {
#ifdef BAROMON_HAVE_QT
    std::unique_ptr<platform::AlarmCommand> guiHook;
    if (!options.onAlarm.empty()) {
      guiHook = std::make_unique<platform::AlarmCommand>(options.onAlarm, false);
    }
    return qt::runGui(argc, argv, ports, directoryLock, qt::GuiExtras{server.get(), guiHook.get()});
#else
    std::fputs("baromon: built without windows; running headless\n", stderr);
#endif
  }
  (void)argc;
  (void)argv;
  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  // Headless, every alarm is also a line on standard error (the service's journal).
  platform::AlarmCommand hook(options.onAlarm, true);
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock, server.get(), &hook}};
  return platform::runHeadless(app, windows);
}

} // namespace baromon::app
