#include "adapters/posix/NmeaDatagrams.h"

#include "adapters/posix/AddressAndPort.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace baromon::platform {

NmeaDatagrams::NmeaDatagrams(int fd, const void* address, unsigned length)
    : fd_(fd), address_{}, length_(length) {
  std::memcpy(address_, address, length);
}

NmeaDatagrams::~NmeaDatagrams() { ::close(fd_); }

std::unique_ptr<NmeaDatagrams> NmeaDatagrams::sendTo(const std::string& where, std::string& error) {
  const auto split = splitWhere(where, HostPart::Required);
  if (!split) {
    error = "--serve-nmea udp:// takes HOST:PORT with PORT from 1 to 65535, not '" + where + "'";
    return nullptr;
  }
  const std::string& host = split->host;
  const std::string& port = split->port;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
  if (rc != 0 || found == nullptr) {
    error = "cannot send NMEA to '" + where + "': " + ::gai_strerror(rc);
    return nullptr;
  }
  const int fd = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  // A broadcast address is refused without it; for any other address it changes nothing.
  const bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) == 0 &&
                  found->ai_addrlen <= sizeof address_;
  const int failure = errno;
  std::unique_ptr<NmeaDatagrams> sender;
  if (ok) {
    sender.reset(new NmeaDatagrams(fd, found->ai_addr, static_cast<unsigned>(found->ai_addrlen)));
  } else {
    error = "cannot send NMEA to '" + where + "': " + std::strerror(failure);
    if (fd >= 0) {
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  return sender;
}

void NmeaDatagrams::send(const std::string& line) {
  // Not connected: an unreachable port's ICMP answer must not fail the next send.
  const ssize_t n = ::sendto(fd_, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(address_), length_);
  if (n != static_cast<ssize_t>(line.size())) {
    ++dropped_;
  }
}

} // namespace baromon::platform
