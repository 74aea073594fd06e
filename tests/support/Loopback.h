#pragma once

// Sockets on the loopback for the tests that talk to the monitor over the network: a
// listener on a port the kernel picks, a connection to a port, a port nobody holds.

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace baromon::fakes {

inline sockaddr_in loopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// A loopback socket of `type` bound to a port the kernel picks (its number in `port`),
// listening when it is TCP; -1 when no such socket could be made.
inline int loopbackSocket(int type, int& port) {
  const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopbackAddress(0);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (type == SOCK_STREAM && ::listen(fd, 1) != 0) ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) {
      ::close(fd);
    }
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

inline int loopbackListener(int& port) { return loopbackSocket(SOCK_STREAM, port); }

// A port the kernel handed out and took back: nobody holds it a moment later.
inline int freePort(int type = SOCK_STREAM) {
  int port = 0;
  ::close(loopbackSocket(type, port));
  return port;
}

// A TCP connection to the loopback at `port`, tried `attempts` times 100 ms apart (a
// program that is still starting listens only later); -1 when every attempt was refused.
inline int connectLoopback(int port, int attempts = 1) {
  const sockaddr_in address = loopbackAddress(port);
  for (int i = 0; i < attempts; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      return fd;
    }
    if (fd >= 0) {
      ::close(fd);
    }
    if (i + 1 < attempts) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  return -1;
}

// The next connection to `listener` within `milliseconds`; -1 when none came.
inline int acceptWithin(int listener, int milliseconds) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, milliseconds) != 1) {
    return -1;
  }
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// Whether something listens at `port` on the loopback.
inline bool accepts(int port) {
  const int fd = connectLoopback(port);
  if (fd >= 0) {
    ::close(fd);
  }
  return fd >= 0;
}

// Writes all of `text` to `fd`; false when the peer went away first.
inline bool sendAll(int fd, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// The device side of a monitor's `--port 2=tcp://...` source: a listener the monitor
// connects to, then the connection it reads.
struct TcpSource {
  int listener = -1;
  int port = 0;
  int device = -1; // the monitor's connection once accepted

  TcpSource() { listener = loopbackListener(port); }
  ~TcpSource() { hangUp(); }
  TcpSource(const TcpSource&) = delete;
  TcpSource& operator=(const TcpSource&) = delete;

  std::string where() const { return "2=tcp://127.0.0.1:" + std::to_string(port); }
  // Waits up to 20 s for the monitor to connect.
  bool accept() {
    device = acceptWithin(listener, 20000);
    return device >= 0;
  }
  bool send(const std::string& text) const { return sendAll(device, text); }
  // Closes the connection and the listener: the source goes away.
  void hangUp() {
    for (int* fd : {&device, &listener}) {
      if (*fd >= 0) {
        ::close(*fd);
        *fd = -1;
      }
    }
  }
};

} // namespace baromon::fakes
