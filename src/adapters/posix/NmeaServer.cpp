#include "adapters/posix/NmeaServer.h"

#include "adapters/posix/AddressAndPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace baromon::platform {

std::unique_ptr<NmeaServer> NmeaServer::listenOn(const std::string& where, std::string& error) {
  const auto split = splitWhere(where, HostPart::Optional);
  if (!split) {
    error = "--serve-nmea takes [ADDR:]PORT with PORT from 1 to 65535, not '" + where + "'";
    return nullptr;
  }
  const std::string& host = split->host; // empty: every address
  const std::string& port = split->port;
  addrinfo hints{};
  hints.ai_family = host.empty() ? AF_INET6 : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &found);
  if (rc != 0 && host.empty()) {
    hints.ai_family = AF_INET; // no IPv6 on this machine
    rc = ::getaddrinfo(nullptr, port.c_str(), &hints, &found);
  }
  if (rc != 0 || found == nullptr) {
    error = "cannot serve NMEA on '" + where + "': " + ::gai_strerror(rc);
    return nullptr;
  }
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  const int no = 0;
  bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0;
  if (ok && found->ai_family == AF_INET6 && host.empty()) {
    (void)::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no); // IPv4 clients as well
  }
  ok = ok && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 8) == 0;
  const int failure = errno;
  ::freeaddrinfo(found);
  if (!ok) {
    error = "cannot serve NMEA on '" + where + "': " + std::strerror(failure);
    if (fd >= 0) {
      ::close(fd);
    }
    return nullptr;
  }
  return std::unique_ptr<NmeaServer>(new NmeaServer(fd));
}

NmeaServer::~NmeaServer() {
  for (Client& c : clients_) {
    ::close(c.fd);
  }
  ::close(listener_);
}

bool NmeaServer::flush(Client& client) {
  while (!client.unsent.empty()) {
    const ssize_t n =
        ::send(client.fd, client.unsent.data(), client.unsent.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      client.unsent.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK); // else the client has gone
  }
  return true;
}

void NmeaServer::dropWhere(bool (*gone)(Client&)) {
  const auto end = std::remove_if(clients_.begin(), clients_.end(), [gone](Client& c) {
    if (!gone(c)) {
      return false;
    }
    ::close(c.fd);
    return true;
  });
  clients_.erase(end, clients_.end());
}

void NmeaServer::poll() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) {
        continue;
      }
      break;
    }
    if (clients_.size() >= kMaxClients) {
      ::close(fd);
      continue;
    }
    // A small kernel buffer: a client that stops reading shows in our own backlog soon,
    // instead of after megabytes held for it. Small for what it sends too: nothing of it
    // is wanted, and the kernel would otherwise grow the buffer for a client that floods.
    const int sendBuffer = 16 * 1024;
    (void)::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    const int receiveBuffer = 4 * 1024;
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    clients_.push_back(Client{fd, {}});
  }
  // One call finds the clients that said something or went away: a read of each quiet
  // client five times a second cost more than serving them.
  std::vector<pollfd> watched;
  watched.reserve(clients_.size());
  for (const Client& c : clients_) {
    watched.push_back(pollfd{c.fd, POLLIN, 0});
  }
  const bool polled = watched.empty() || ::poll(watched.data(), watched.size(), 0) >= 0;
  for (std::size_t i = 0; i < clients_.size(); ++i) {
    clients_[i].spoke = !polled || watched[i].revents != 0;
  }
  // Clients have nothing to say; what they send is thrown away, at most kDiscardPerPoll
  // bytes a tick each, so that a client that never stops sending is slowed down by its
  // own full socket instead of keeping the monitor here. The end of their stream tells
  // that they went.
  dropWhere([](Client& c) {
    if (!c.spoke) {
      return !flush(c);
    }
    char scratch[4096];
    for (std::size_t taken = 0; taken < kDiscardPerPoll;) {
      const ssize_t n = ::recv(c.fd, scratch, sizeof scratch, MSG_DONTWAIT);
      if (n > 0) {
        taken += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
        return true;
      }
      break;
    }
    return !flush(c);
  });
}

void NmeaServer::send(const std::string& line) {
  for (Client& c : clients_) {
    c.unsent += line;
  }
  dropWhere([](Client& c) { return !flush(c) || c.unsent.size() > kClientBacklog; });
}

} // namespace baromon::platform
