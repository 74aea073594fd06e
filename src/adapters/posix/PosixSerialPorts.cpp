#include "adapters/posix/PosixSerialPorts.h"

#include "adapters/posix/NetworkSource.h"

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace baromon::platform {

namespace {

// "COMn" with n 1..8, else 0.
int portNumber(const std::string& portName) {
  if (portName.size() != 4 || portName.compare(0, 3, "COM") != 0 || portName[3] < '1' || portName[3] > '8') {
    return 0;
  }
  return portName[3] - '0';
}

bool isGoneError(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EBADF; }

} // namespace

bool PortMap::parseAssignment(const std::string& text) {
  const auto eq = text.find('=');
  if (eq != 1 || text[0] < '1' || text[0] > '8' || text.size() < 3) {
    return false;
  }
  const std::string path = text.substr(2);
  if (NetworkEndpoint::looksLikeUrl(path) && !NetworkEndpoint::parse(path)) {
    return false;
  }
  set(text[0] - '0', text.substr(2));
  return true;
}

std::optional<std::string> PortMap::resolve(const std::string& portName) const {
  const int n = portNumber(portName);
  if (n == 0) {
    return std::nullopt;
  }
  if (auto it = paths_.find(n); it != paths_.end()) {
    return it->second;
  }
  const std::string variable = "BAROMON_" + portName;
  if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
    return std::string(value);
  }
  return "/dev/ttyS" + std::to_string(n - 1);
}

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  // TIOCEXCL keeps out other users' opens but not root's; the lock keeps out
  // every cooperating opener, root included (a second monitor, the port probe).
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  (void)::ioctl(fd, TIOCEXCL);
  return std::unique_ptr<PosixSerialDevice>(new PosixSerialDevice(fd, path));
}

PosixSerialDevice::PosixSerialDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

PosixSerialDevice::~PosixSerialDevice() {
  // The exclusive flag outlives our descriptor while another holds the device
  // open (a simulator keeping its end), which would refuse our own reopen.
  (void)::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
}

void PosixSerialDevice::noteFailure(int error) {
  if (isGoneError(error)) {
    hungUp_ = true;
  }
}

bool PosixSerialDevice::configure() {
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    return false;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
  // VMIN 0 would make an empty read look like a hang-up; the descriptor is
  // non-blocking, so VMIN 1 never waits either.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, B4800) != 0 || ::cfsetospeed(&tio, B4800) != 0) {
    return false;
  }
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
    return false;
  }
  // RTS on, DTR off. Devices without modem lines (pseudo-terminals) refuse; that is harmless.
  int rts = TIOCM_RTS;
  int dtr = TIOCM_DTR;
  (void)::ioctl(fd_, TIOCMBIS, &rts);
  (void)::ioctl(fd_, TIOCMBIC, &dtr);
  return true;
}

std::optional<SerialDevice::Status> PosixSerialDevice::status() {
  if (hungUp_) {
    return std::nullopt;
  }
  pollfd p{fd_, POLLIN, 0};
  int rc;
  do {
    rc = ::poll(&p, 1, 0);
  } while (rc < 0 && errno == EINTR);
  if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    hungUp_ = true;
    return std::nullopt;
  }

  Status s;
  serial_icounter_struct counts{};
  if (::ioctl(fd_, TIOCGICOUNT, &counts) == 0) {
    if (haveCounts_) {
      s.errors.framing = s.errors.framing || counts.frame != frame_;
      s.errors.overrun = s.errors.overrun || counts.overrun != overrun_;
      s.errors.receiveOverflow = s.errors.receiveOverflow || counts.buf_overrun != bufOverrun_;
    }
    haveCounts_ = true;
    frame_ = counts.frame;
    overrun_ = counts.overrun;
    bufOverrun_ = counts.buf_overrun;
  }

  int waiting = 0;
  if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
    noteFailure(errno);
    return std::nullopt;
  }
  s.waiting = waiting > 0 ? static_cast<std::size_t>(waiting) : 0;
  return s;
}

std::optional<std::uint8_t> PosixSerialDevice::readByte() {
  if (hungUp_) {
    return std::nullopt;
  }
  for (;;) {
    unsigned char byte = 0;
    const ssize_t n = ::read(fd_, &byte, 1);
    if (n == 1) {
      return byte;
    }
    if (n == 0) {
      hungUp_ = true; // end of file on a terminal: the other side is gone
      return std::nullopt;
    }
    if (errno == EINTR) {
      continue;
    }
    noteFailure(errno);
    return std::nullopt;
  }
}

std::unique_ptr<SerialDevice> PosixSerialPorts::open(const std::string& portName) {
  const auto path = map_.resolve(portName);
  if (!path) {
    return nullptr;
  }
  if (NetworkEndpoint::looksLikeUrl(*path)) {
    auto endpoint = NetworkEndpoint::parse(*path);
    if (!endpoint) {
      return nullptr; // a malformed BAROMON_COMn: no such port
    }
    return std::make_unique<NetworkSource>(std::move(*endpoint), monotonicSeconds_);
  }
  return PosixSerialDevice::open(*path);
}

} // namespace baromon::platform
