#include "assembly/Monitor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

#include "adapters/posix/AlarmCommand.h"
#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/NmeaDatagrams.h"
#include "adapters/posix/MqttMessages.h"
#include "adapters/posix/MqttPublisher.h"
#include "adapters/posix/NmeaServer.h"
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "adapters/posix/UserSession.h"
#include "assembly/FrontEndHandOver.h"
#include "assembly/HeadlessRun.h"
#include "assembly/NetworkServices.h"
#include "core/state/AppContext.h"

namespace baromon::assembly {

namespace {

// Several outlets as one: `--serve-nmea 10111,udp://192.168.1.255:10111`.
class Outlets final : public platform::SentenceOutlet {
public:
  void add(std::unique_ptr<platform::SentenceOutlet> outlet) { outlets_.push_back(std::move(outlet)); }
  void poll() override {
    for (auto& o : outlets_) {
      o->poll();
    }
  }
  void send(const std::string& line) override {
    for (auto& o : outlets_) {
      o->send(line);
    }
  }

private:
  std::vector<std::unique_ptr<platform::SentenceOutlet>> outlets_;
};

std::unique_ptr<platform::SentenceOutlet> outletFor(const std::string& where, std::string& error) {
  const std::string udp = "udp://";
  if (where.compare(0, udp.size(), udp) == 0) {
    return platform::NmeaDatagrams::sendTo(where.substr(udp.size()), error);
  }
  return platform::NmeaServer::listenOn(where, error);
}

} // namespace

bool serveChartPlotters(const MonitorOptions& options, std::unique_ptr<platform::SentenceOutlet>& server) {
  if (options.serveNmea.empty()) {
    return true;
  }
  auto all = std::make_unique<Outlets>();
  for (std::size_t start = 0; start <= options.serveNmea.size();) {
    const std::size_t comma = std::min(options.serveNmea.find(',', start), options.serveNmea.size());
    std::string error;
    auto outlet = outletFor(options.serveNmea.substr(start, comma - start), error);
    if (!outlet) {
      std::fprintf(stderr, "baromon: %s\n", error.c_str());
      return false;
    }
    all->add(std::move(outlet));
    start = comma + 1;
  }
  server = std::move(all);
  return true;
}

namespace {

// What `--serve-nmea` serves, and where: a PORT alone listens on every address; a
// udp:// target is sent to; several targets are comma-separated.
std::string servedNmea(const std::string& targets) {
  std::string said;
  for (std::size_t start = 0; start <= targets.size();) {
    const std::size_t comma = std::min(targets.find(',', start), targets.size());
    const std::string where = targets.substr(start, comma - start);
    said += said.empty() ? "NMEA 0183 " : ", ";
    if (where.rfind("udp://", 0) == 0) {
      said += "as UDP datagrams to " + where.substr(6);
    } else {
      const bool address = where.find(':') != std::string::npos;
      said += "over TCP on " + (address ? where : "every address, port " + where);
    }
    start = comma + 1;
  }
  return said;
}

// The broker `--mqtt` publishes to, said without the user and password of its URL.
std::string servedMqtt(const std::string& url) {
  std::string error;
  const auto broker = platform::parseBrokerUrl(url, error);
  if (!broker) {
    return "MQTT";
  }
  return std::string("MQTT to ") + (broker->tls ? "mqtts://" : "mqtt://") + broker->host + ":" +
         std::to_string(broker->port);
}

// Where `--serve-http` listens: a PORT alone is the loopback's.
std::string servedHttp(const std::string& where) {
  return "the web page on http://" + (where.find(':') != std::string::npos ? where : "127.0.0.1:" + where) +
         "/";
}

} // namespace

bool publishToBroker(const MonitorOptions& options, std::unique_ptr<platform::TelemetryOutlet>& publisher) {
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
      publisher = startPublisher(mqtt, error);
    }
  }
  if (!publisher) {
    std::fprintf(stderr, "baromon: %s\n", error.c_str());
    return false;
  }
  return true;
}

bool serveWebPage(const MonitorOptions& options, std::unique_ptr<WebServing>& served) {
  if (options.serveHttp.empty()) {
    return true;
  }
  std::string error;
  served = serveWeb(options.serveHttp, error);
  if (!served) {
    std::fprintf(stderr, "baromon: %s\n", error.c_str());
    return false;
  }
  return true;
}

std::function<void(const AppContext&)> afterTick(WebServing* served) {
  if (served == nullptr) {
    return {};
  }
  return [served](const AppContext& ticked) { served->publish(ticked); };
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
  std::unique_ptr<platform::SentenceOutlet> server;
  std::unique_ptr<platform::TelemetryOutlet> publisher;
  if (!serveChartPlotters(options, server) || !publishToBroker(options, publisher)) {
    return 2;
  }
  // Started before the monitor, stopped after it (declared first, destroyed last).
  std::unique_ptr<WebServing> served;
  if (!serveWebPage(options, served)) {
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
  app.platform.telemetry = publisher.get();
  platform::StartAnnouncement announcement;
  announcement.source = [&portMap](const AppContext& running) {
    const auto path = portMap.resolve(running.serial.portName);
    return running.serial.portName + (path ? " = " + *path : std::string());
  };
  if (!options.serveNmea.empty()) {
    announcement.serving.push_back(servedNmea(options.serveNmea));
  }
  if (!options.mqtt.empty()) {
    announcement.serving.push_back(servedMqtt(options.mqtt));
  }
  if (!served) {
    return platform::runHeadless(app, windows, platform::systemTickSleeps(), announcement);
  }
  announcement.serving.push_back(servedHttp(options.serveHttp));
  return platform::runHeadless(app, windows, platform::systemTickSleeps(), announcement,
                               afterTick(served.get()));
}

} // namespace baromon::assembly
