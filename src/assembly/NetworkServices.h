#pragma once

#include <memory>
#include <string>

namespace baromon {
struct AppContext;
}
namespace baromon::platform {
class TelemetryOutlet;
struct MqttOptions;
} // namespace baromon::platform

namespace baromon::assembly {

// `--serve-http` as the monitor's loop sees it: a server on threads of its own that is
// handed the values after each tick.
class WebServing {
public:
  virtual ~WebServing() = default;
  // From the monitor's loop, after a tick; never waits for a client.
  virtual void publish(const AppContext& app) = 0;
};

// The two services that need a network library of their own (libmicrohttpd, libmosquitto
// and what those bring: TLS, FreeType for the pictures). The logger loads them only when
// their option is given (LoadedServices.cpp, from baromon-web.so and baromon-mqtt.so), so
// a logger that serves neither never maps them; the front end links them
// (LinkedWeb.cpp, LinkedMqtt.cpp). Null, with the reason in `error`, when they cannot start.
std::unique_ptr<WebServing> serveWeb(const std::string& where, std::string& error);
std::unique_ptr<platform::TelemetryOutlet> startPublisher(const platform::MqttOptions& options,
                                                          std::string& error);

} // namespace baromon::assembly
