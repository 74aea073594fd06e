#include "assembly/Monitor.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/HttpServer.h"
#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "assembly/FrontEndHandOver.h"
#include "assembly/HeadlessRun.h"
#include "assembly/WebService.h"
#include "core/state/AppContext.h"

namespace baromon::assembly {

bool serveChartPlotters(const MonitorOptions& options, std::unique_ptr<platform::NmeaServer>& server) {
  if (options.serveNmea.empty()) {
    return true;
  }
  std::string error;
  server = platform::NmeaServer::listenOn(options.serveNmea, error);
  if (!server) {
    std::fprintf(stderr, "baromon: %s\n", error.c_str());
    return false;
  }
  return true;
}

int runMonitor(int argc, char** argv, const platform::PortMap& portMap, const MonitorOptions& options) {
  (void)argc;
  if (!options.headless) {
#ifdef BAROMON_HAVE_FRONT_END
    // Before anything is opened here: the front end takes the port, the lock and the server.
    return handOverToFrontEnd(argv);
#else
    (void)argv;
    std::fputs("baromon: built without windows; running headless\n", stderr);
#endif
  }
  platform::PosixSerialPorts ports(portMap);
  std::unique_ptr<platform::NmeaServer> server;
  if (!serveChartPlotters(options, server)) {
    return 2;
  }
  // Started before the monitor, stopped after it (declared first, destroyed last).
  std::unique_ptr<WebService> web;
  std::unique_ptr<platform::HttpServer> http;
  if (!options.serveHttp.empty()) {
    web = std::make_unique<WebService>();
    std::string error;
    http = platform::HttpServer::listenOn(
        options.serveHttp, [&web](const platform::HttpRequest& request) { return web->answer(request); },
        error);
    if (!http) {
      std::fprintf(stderr, "baromon: %s\n", error.c_str());
      return 2;
    }
  }
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  // Headless, every alarm is also a line on standard error (the service's journal).
  platform::AlarmCommand hook(options.onAlarm, true);
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock, server.get(), &hook}};
  if (!http) {
    return platform::runHeadless(app, windows);
  }
  return platform::runHeadless(app, windows, platform::systemTickSleeps(),
                               [&web](const AppContext& ticked) { web->publish(ticked); });
}

} // namespace baromon::assembly
