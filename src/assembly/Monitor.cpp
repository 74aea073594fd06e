#include "assembly/Monitor.h"

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
#include "adapters/posix/UserSession.h"
#include "assembly/FrontEndHandOver.h"
#include "assembly/HeadlessRun.h"
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

namespace {

// What `--serve-nmea` serves, and where: a PORT alone listens on every address.
std::string servedNmea(const std::string& where) {
  const bool address = where.find(':') != std::string::npos;
  return "NMEA 0183 over TCP on " + (address ? where : "every address, port " + where);
}

} // namespace

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
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  // Headless, every alarm is also a line on standard error (the service's journal).
  platform::AlarmCommand hook(options.onAlarm, true);
  // The journal of a service is standard error: every event goes there too, in the user's language.
  platform::PosixUserLocale locale;
  platform::StreamEventSink journal(stderr);
  Platform services{clock, files, windows, ports, graphics, &directoryLock, server.get(), &hook};
  services.locale = &locale;
  services.eventSink = &journal;
  AppContext app{services};
  platform::StartAnnouncement announcement;
  announcement.source = [&portMap](const AppContext& running) {
    const auto path = portMap.resolve(running.serial.portName);
    return running.serial.portName + (path ? " = " + *path : std::string());
  };
  if (!options.serveNmea.empty()) {
    announcement.serving.push_back(servedNmea(options.serveNmea));
  }
  return platform::runHeadless(app, windows, platform::systemTickSleeps(), announcement);
}

} // namespace baromon::assembly
