#include "assembly/Monitor.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/MqttPublisher.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
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

bool publishToBroker(const MonitorOptions& options, std::unique_ptr<platform::MqttPublisher>& publisher) {
  if (options.mqtt.empty()) {
    return true;
  }
  std::string error;
  platform::MqttOptions mqtt;
  auto broker = platform::parseBrokerUrl(options.mqtt, error);
  if (broker && platform::completePassword(*broker, options.mqttPasswordFile,
                                           std::getenv("BAROMON_MQTT_PASSWORD"), error)) {
    mqtt.broker = *broker;
    mqtt.caFile = options.mqttCa;
    mqtt.station = options.station;
    if (mqtt.station.empty()) {
      char host[256] = {};
      mqtt.station = ::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0' ? host : "baromon";
    }
    if (platform::validStation(mqtt.station, error)) {
      publisher = platform::MqttPublisher::start(mqtt, error);
    }
  }
  if (!publisher) {
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
  std::unique_ptr<platform::MqttPublisher> publisher;
  if (!serveChartPlotters(options, server) || !publishToBroker(options, publisher)) {
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
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock, server.get(), &hook}};
  app.platform.telemetry = publisher.get();
  return platform::runHeadless(app, windows);
}

} // namespace baromon::assembly
