#pragma once

#include <string>

namespace baromon {
struct AppContext;
}
namespace baromon::platform {
class TelemetryOutlet;
struct MqttOptions;
} // namespace baromon::platform
namespace baromon::assembly {
class WebServing;
}

// The entry points of the modules the logger loads (baromon-web.so, baromon-mqtt.so), as C
// names so that the loader finds them with dlsym. A module carries its own copy of the C++
// run-time library and of the code it uses, bound inside it; only these cross. The loader
// refuses a module whose version differs from its own: the two share the layout of the
// monitor's records, which only the same build guarantees.
extern "C" {
const char* baromon_module_version();
baromon::assembly::WebServing* baromon_serve_web(const std::string& where, std::string& error);
baromon::platform::TelemetryOutlet* baromon_start_publisher(const baromon::platform::MqttOptions& options,
                                                            std::string& error);
}
