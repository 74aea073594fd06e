#include "adapters/posix/NetworkSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace baromon::platform {

namespace {

// Enough for a burst of several seconds at 38400 Bd; the kernel holds the rest.
constexpr std::size_t kBufferLimit = std::size_t{64} * 1024;
constexpr std::size_t kDatagramMax = 65536;

bool validPort(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const long value = std::stol(text);
  return value >= 1 && value <= 65535;
}

} // namespace

bool NetworkEndpoint::looksLikeUrl(const std::string& text) {
  return text.rfind("tcp://", 0) == 0 || text.rfind("udp://", 0) == 0;
}

std::optional<NetworkEndpoint> NetworkEndpoint::parse(const std::string& url) {
  if (!looksLikeUrl(url)) {
    return std::nullopt;
  }
  NetworkEndpoint e;
  e.tcp = url[0] == 't';
  const std::string rest = url.substr(6);
  std::size_t colon;
  if (!rest.empty() && rest[0] == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
      return std::nullopt;
    }
    e.host = rest.substr(1, close - 1);
    colon = close + 1;
  } else {
    colon = rest.rfind(':');
    if (colon == std::string::npos) {
      return std::nullopt;
    }
    e.host = rest.substr(0, colon);
  }
  e.port = rest.substr(colon + 1);
  if (!validPort(e.port) || (e.tcp && e.host.empty())) {
    return std::nullopt;
  }
  return e;
}

NetworkSource::NetworkSource(NetworkEndpoint endpoint) : endpoint_(std::move(endpoint)) {}

NetworkSource::~NetworkSource() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

void NetworkSource::gone() {
  state_ = State::Gone;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void NetworkSource::start() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = endpoint_.tcp ? SOCK_STREAM : SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV | (endpoint_.tcp ? 0 : AI_PASSIVE);
  addrinfo* found = nullptr;
  // A numeric address or a name from the hosts file answers at once; a name that needs
  // the resolver can wait for it (see the decision on network sources).
  const char* host = endpoint_.host.empty() ? nullptr : endpoint_.host.c_str();
  if (::getaddrinfo(host, endpoint_.port.c_str(), &hints, &found) != 0 || found == nullptr) {
    gone();
    return;
  }
  fd_ = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, found->ai_protocol);
  if (fd_ < 0) {
    ::freeaddrinfo(found);
    gone();
    return;
  }
  if (endpoint_.tcp) {
    const int rc = ::connect(fd_, found->ai_addr, found->ai_addrlen);
    ::freeaddrinfo(found);
    if (rc == 0) {
      state_ = State::Ready;
    } else if (errno == EINPROGRESS || errno == EINTR) {
      state_ = State::Connecting;
    } else {
      gone();
    }
    return;
  }
  const int rc = ::bind(fd_, found->ai_addr, found->ai_addrlen);
  ::freeaddrinfo(found);
  if (rc != 0) {
    gone();
    return;
  }
  state_ = State::Ready;
}

void NetworkSource::checkConnected() {
  pollfd p{fd_, POLLOUT, 0};
  if (::poll(&p, 1, 0) <= 0) {
    return; // still on its way
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    gone();
    return;
  }
  state_ = State::Ready;
}

void NetworkSource::fill() {
  if (readAt_ > 0 && readAt_ == buffer_.size()) {
    buffer_.clear();
    readAt_ = 0;
  }
  while (buffer_.size() - readAt_ < kBufferLimit && !endOfStream_) {
    if (endpoint_.tcp) {
      std::uint8_t chunk[4096];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n > 0) {
        buffer_.insert(buffer_.end(), chunk, chunk + n);
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      // The end of the stream or a broken connection; what came before the end is still read.
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
        endOfStream_ = true;
      }
      return;
    }
    datagram_.resize(kDatagramMax);
    const ssize_t n = ::recv(fd_, datagram_.data(), datagram_.size(), 0);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return; // nothing waiting (errors on a datagram socket are about one datagram)
    }
    buffer_.insert(buffer_.end(), datagram_.begin(), datagram_.begin() + n);
    // A datagram ends its last sentence even when the talker left the line end out.
    if (n > 0 && datagram_[static_cast<std::size_t>(n) - 1] != '\n') {
      buffer_.push_back('\r');
      buffer_.push_back('\n');
    }
  }
}

std::optional<SerialDevice::Status> NetworkSource::status() {
  if (state_ == State::Idle) {
    start();
  }
  if (state_ == State::Connecting) {
    checkConnected();
  }
  if (state_ == State::Gone) {
    return std::nullopt;
  }
  Status s;
  if (state_ == State::Ready) {
    fill();
    s.waiting = buffer_.size() - readAt_;
    if (s.waiting == 0 && endOfStream_) {
      gone();
      return std::nullopt;
    }
  }
  return s;
}

std::optional<std::uint8_t> NetworkSource::readByte() {
  if (readAt_ >= buffer_.size()) {
    return std::nullopt;
  }
  return buffer_[readAt_++];
}

} // namespace baromon::platform
