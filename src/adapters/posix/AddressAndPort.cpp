#include "adapters/posix/AddressAndPort.h"

namespace baromon::platform {

std::optional<AddressAndPort> splitWhere(const std::string& where, HostPart hostPart, int lowestPort) {
  AddressAndPort out;
  std::size_t colon = std::string::npos;
  if (!where.empty() && where[0] == '[') {
    const std::size_t close = where.find(']');
    if (close == std::string::npos || close + 1 >= where.size() || where[close + 1] != ':') {
      return std::nullopt;
    }
    out.host = where.substr(1, close - 1);
    if (out.host.empty()) {
      return std::nullopt; // "[]:80" is no address, not every address
    }
    colon = close + 1;
  } else {
    colon = where.rfind(':');
    out.host = colon == std::string::npos ? std::string() : where.substr(0, colon);
  }
  out.port = colon == std::string::npos ? where : where.substr(colon + 1);
  if (hostPart == HostPart::Required && out.host.empty()) {
    return std::nullopt;
  }
  if (out.port.empty() || out.port.size() > 5 ||
      out.port.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const long value = std::stol(out.port);
  if (value < lowestPort || value > 65535) {
    return std::nullopt;
  }
  return out;
}

} // namespace baromon::platform
