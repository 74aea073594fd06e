#pragma once

#include <optional>
#include <string>

namespace baromon::platform {

// Where a service listens or sends, as the command line gives it: "[ADDR:]PORT", with an
// IPv6 address in brackets ("[::1]:10111"). An address without brackets is everything
// before the last ':'. The port stays text: getaddrinfo takes it as it is.
struct AddressAndPort {
  std::string host; // empty: none given (the caller chooses: every address, the loopback)
  std::string port; // digits only, within the range asked for
};

enum class HostPart { Optional, Required };

// The parts of `where`, or nothing when it is not "[ADDR:]PORT" with PORT from
// `lowestPort` (0: the system picks a free one) to 65535, or when ADDR is `Required` and
// missing. Empty brackets are no address.
std::optional<AddressAndPort> splitWhere(const std::string& where, HostPart hostPart, int lowestPort = 1);

} // namespace baromon::platform
