#pragma once

#include <functional>
#include <memory>
#include <string>

#include "assembly/NativePlatform.h"

namespace baromon {
struct AppContext;
}
namespace baromon::platform {
class SentenceOutlet;
class TelemetryOutlet;
} // namespace baromon::platform

namespace baromon::assembly {

// What the monitor does beside its own work.
struct MonitorOptions {
  bool headless = false; // no windows: boxes on standard error
  std::string serveNmea; // "[ADDR:]PORT" (TCP) or "udp://HOST:PORT" to serve chart plotters; empty for none
  std::string serveHttp; // "[ADDR:]PORT" of the web page and API, empty for none
  std::string onAlarm;   // the command run at each fast-fall alarm, empty for none
  std::string mqtt;      // the broker's URL, empty for none
  std::string mqttPasswordFile; // where the broker's password is kept, empty for none
  std::string mqttCa;           // the CA file a TLS broker is checked against, empty: the system's
  std::string station;          // the station's topic level, empty: the host name
};

// The one place the monitor is put together: builds the platform services for the
// chosen front end, runs the monitor in the current directory and returns the exit
// code. Headless, boxes go to standard error; with windows, the program hands over to
// the front end (handOverToFrontEnd), which runs runWindowedMonitor.
int runMonitor(int argc, char** argv, const PortMap& ports, const MonitorOptions& options);

// The monitor with its windows (in the front-end program only).
int runWindowedMonitor(int argc, char** argv, const PortMap& ports, const MonitorOptions& options);

// The server of `--serve-nmea` in `server`: TCP clients, or datagrams to one UDP address
// (none when not asked for); false, after a message on standard error, when it cannot
// listen or send where asked.
bool serveChartPlotters(const MonitorOptions& options, std::unique_ptr<platform::SentenceOutlet>& server);

class WebServing; // NetworkServices.h

// The web server of `--serve-http` in `served` (none when not asked for): linked into the
// front end, loaded by the logger; false, after a message on standard error, when it cannot
// be loaded or listen where asked.
bool serveWebPage(const MonitorOptions& options, std::unique_ptr<WebServing>& served);

// What the monitor's loop calls after every tick: the web server takes its copy of the
// values. Empty when nothing is served.
std::function<void(const AppContext&)> afterTick(WebServing* served);

// The publisher of `--mqtt` in `publisher` (none when not asked for); false, after a
// message on standard error, when the options are wrong. Never waits for the broker.
bool publishToBroker(const MonitorOptions& options, std::unique_ptr<platform::TelemetryOutlet>& publisher);

} // namespace baromon::assembly
