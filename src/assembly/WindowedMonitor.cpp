#include <cstdio>
#include <memory>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "assembly/GuiRun.h"
#include "assembly/Monitor.h"

namespace baromon::assembly {

int runWindowedMonitor(int argc, char** argv, const platform::PortMap& portMap,
                       const MonitorOptions& options) {
  if (!options.serveHttp.empty()) {
    std::fputs("baromon: --serve-http needs --headless for now (the windowed monitor does not serve it)\n",
               stderr);
    return 2;
  }
  platform::PosixSerialPorts ports(portMap);
  std::unique_ptr<platform::SentenceOutlet> server;
  std::unique_ptr<platform::TelemetryOutlet> publisher;
  if (!serveChartPlotters(options, server) || !publishToBroker(options, publisher)) {
    return 2;
  }
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  std::unique_ptr<platform::AlarmCommand> hook;
  if (!options.onAlarm.empty()) {
    hook = std::make_unique<platform::AlarmCommand>(options.onAlarm, false);
  }
  return qt::runGui(argc, argv, ports, directoryLock,
                    qt::GuiExtras{server.get(), hook.get(), publisher.get()});
}

} // namespace baromon::assembly
