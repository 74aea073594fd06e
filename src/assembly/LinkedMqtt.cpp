#include <memory>
#include <string>

#include "adapters/posix/MqttPublisher.h"
#include "assembly/NetworkServices.h"

namespace baromon::assembly {

std::unique_ptr<platform::TelemetryOutlet> startPublisher(const platform::MqttOptions& options,
                                                          std::string& error) {
  return platform::MqttPublisher::start(options, error);
}

} // namespace baromon::assembly
