#include "adapters/posix/NmeaDatagrams.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace baromon::platform {

namespace {

bool splitHostPort(const std::string& where, std::string& host, std::string& port) {
  std::size_t colon = std::string::npos;
  if (!where.empty() && where[0] == '[') {
    const std::size_t close = where.find(']');
    if (close == std::string::npos || close + 1 >= where.size() || where[close + 1] != ':') {
      return false;
    }
    host = where.substr(1, close - 1);
    colon = close + 1;
  } else {
    colon = where.rfind(':');
    if (colon == std::string::npos) {
      return false;
    }
    host = where.substr(0, colon);
  }
  port = where.substr(colon + 1);
  if (host.empty() || port.empty() || port.size() > 5 ||
      port.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const long value = std::stol(port);
  return value >= 1 && value <= 65535;
}

} // namespace

NmeaDatagrams::NmeaDatagrams(int fd, const void* address, unsigned length)
    : fd_(fd), address_{}, length_(length) {
  std::memcpy(address_, address, length);
}

NmeaDatagrams::~NmeaDatagrams() { ::close(fd_); }

std::unique_ptr<NmeaDatagrams> NmeaDatagrams::sendTo(const std::string& where, std::string& error) {
  std::string host, port;
  if (!splitHostPort(where, host, port)) {
    error = "--serve-nmea udp:// takes HOST:PORT with PORT from 1 to 65535, not '" + where + "'";
    return nullptr;
  }
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
