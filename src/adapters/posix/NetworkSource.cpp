#include "adapters/posix/NetworkSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "adapters/posix/AddressAndPort.h"

namespace baromon::platform {

namespace {

// Input kept unread at most: minutes of a 38400 Bd stream, two ticks of the acquisition's
// share. Beyond it the oldest goes, so that a source sending faster than the monitor
// reads is read late by at most this much, never by more and more.
constexpr std::size_t kKeptLimit = std::size_t{128} * 1024;
// Taken from the socket in one status query: more than the acquisition's 64 KiB a tick, so
// that under a flood the newest input is read and the oldest dropped here, and the query
// itself stays bounded. The kernel holds the rest.
constexpr std::size_t kReadPerQuery = std::size_t{128} * 1024;
// One receive: a datagram of the largest size whole.
constexpr std::size_t kChunk = 65536;
// All the buffer ever holds (kept, one query's reading, one receive's room, a line end
// added to a datagram): reserved once, so that it never grows.
constexpr std::size_t kCapacity = kKeptLimit + kReadPerQuery + kChunk + 2;
// Keep-alive: a probe after 10 s without traffic, then every 5 s; three unanswered probes
// (a peer whose machine rebooted answers the first with a reset) end the connection
// after 25 s, well before the silence limit.
constexpr int kKeepIdleSeconds = 10;
constexpr int kKeepIntervalSeconds = 5;
constexpr int kKeepProbes = 3;

std::int64_t monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec;
}

void keepAlive(int fd) {
  const int on = 1;
  (void)::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  (void)::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleSeconds, sizeof kKeepIdleSeconds);
  (void)::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalSeconds, sizeof kKeepIntervalSeconds);
  (void)::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepProbes, sizeof kKeepProbes);
}

bool validPort(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const long value = std::stol(text);
  return value >= 1 && value <= kHighestPort;
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

std::string NetworkEndpoint::url() const {
  const bool bracketed = host.find(':') != std::string::npos;
  return std::string(tcp ? "tcp://" : "udp://") + (bracketed ? "[" + host + "]" : host) + ":" + port;
}

NetworkSource::NetworkSource(NetworkEndpoint endpoint, std::function<std::int64_t()> monotonicSeconds)
    : endpoint_(std::move(endpoint)), now_(std::move(monotonicSeconds)) {
  if (!now_) {
    now_ = monotonicNow;
  }
  buffer_.reserve(kCapacity);
}

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
  heardAt_ = now_();
  if (endpoint_.tcp) {
    keepAlive(fd_);
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

// One receive (of at most `most` bytes from a stream, of a whole datagram) into the end of
// the buffer; the bytes it added, 0 when nothing waits or the stream has ended
// (`endOfStream_`), -1 for an empty datagram.
long NetworkSource::receive(std::size_t most) {
  for (;;) {
    const std::size_t before = buffer_.size();
    buffer_.resize(before + kChunk);
    const ssize_t n =
        ::recv(fd_, buffer_.data() + before, endpoint_.tcp ? std::min(most, kChunk) : kChunk, 0);
    buffer_.resize(before + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n > 0) {
      heardAt_ = now_();
      // A datagram ends its last sentence even when the talker left the line end out.
      if (!endpoint_.tcp && buffer_.back() != '\n') {
        buffer_.push_back('\r');
        buffer_.push_back('\n');
      }
      return static_cast<long>(buffer_.size() - before);
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (!endpoint_.tcp) {
      return n == 0 ? -1 : 0; // errors on a datagram socket are about one datagram
    }
    // The end of the stream or a broken connection; what came before the end is still read.
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      endOfStream_ = true;
    }
    return 0;
  }
}

void NetworkSource::fill() {
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(readAt_));
  readAt_ = 0;
  // Empty datagrams count a byte each, so that a stream of them cannot hold the query here.
  for (std::size_t taken = 0; taken < kReadPerQuery && !endOfStream_;) {
    const long n = receive(kReadPerQuery - taken);
    if (n == 0) {
      break;
    }
    taken += n > 0 ? static_cast<std::size_t>(n) : 1;
  }
  dropOldest();
}

void NetworkSource::dropOldest() {
  if (buffer_.size() - readAt_ <= kKeptLimit) {
    return;
  }
  // What is kept begins with a line end, which ends the line the reader was collecting:
  // a line cut here comes out short, never glued to a later one.
  const std::size_t cut = buffer_.size() - kKeptLimit;
  const auto lineEnd = std::find(buffer_.begin() + static_cast<std::ptrdiff_t>(cut), buffer_.end(), '\n');
  std::size_t from = static_cast<std::size_t>(lineEnd - buffer_.begin());
  if (lineEnd == buffer_.end()) {
    from = cut - 1; // all of it one line without end
    buffer_[from] = '\n';
    ++dropped_;
  }
  dropped_ += from - readAt_;
  readAt_ = from;
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
  // A peer that stopped sending (or a connection that never came about) is a lost one:
  // the monitor then connects anew, and a server started again on the port is reached.
  if (endpoint_.tcp && s.waiting == 0 && now_() - heardAt_ >= kSilenceLimitSeconds) {
    gone();
    return std::nullopt;
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
