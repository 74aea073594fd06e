#include "adapters/posix/MqttPublisher.h"
#include "assembly/NetworkServices.h"
#include "assembly/ServiceModules.h"

extern "C" {

__attribute__((visibility("default"))) const char* baromon_module_version() { return BAROMON_VERSION; }

__attribute__((visibility("default"))) baromon::platform::TelemetryOutlet*
baromon_start_publisher(const baromon::platform::MqttOptions& options, std::string& error) {
  return baromon::assembly::startPublisher(options, error).release();
}
}
