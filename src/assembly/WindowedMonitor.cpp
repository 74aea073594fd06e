#include <cstdio>
#include <memory>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "assembly/GuiRun.h"
#include "assembly/Monitor.h"
#include "assembly/NetworkServices.h"

namespace baromon::assembly {

// The services of the headless logger beside the Qt loop: the NMEA server and the web server
// on threads of their own, the publisher on its own; the loop only hands values over after
// each tick, so none of them can delay it.
int runWindowedMonitor(int argc, char** argv, const platform::PortMap& portMap,
                       const MonitorOptions& options) {
  platform::PosixSerialPorts ports(portMap);
  std::unique_ptr<platform::SentenceOutlet> server;
  std::unique_ptr<platform::TelemetryOutlet> publisher;
  if (!serveChartPlotters(options, server) || !publishToBroker(options, publisher)) {
    return 2;
  }
  // Started before the monitor, stopped after it.
  std::unique_ptr<WebServing> served;
  if (!serveWebPage(options, served)) {
    return 2;
  }
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  std::unique_ptr<platform::AlarmCommand> hook;
  if (!options.onAlarm.empty()) {
    hook = std::make_unique<platform::AlarmCommand>(options.onAlarm, false);
  }
  return qt::runGui(argc, argv, ports, directoryLock,
                    qt::GuiExtras{server.get(), hook.get(), publisher.get(), afterTick(served.get())});
}

} // namespace baromon::assembly
