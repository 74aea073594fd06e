#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/SerialDevice.h"

namespace baromon::platform {

// Where the port names COM1..COM8 lead on this machine: a path given on the
// command line (`--port n=PATH`) wins, then the environment variable
// BAROMON_COMn, then /dev/ttyS<n-1>. A path "tcp://HOST:PORT" or "udp://[ADDR]:PORT"
// makes the port a network source (NetworkSource.h).
class PortMap {
public:
  void set(int number, std::string path) { paths_[number] = std::move(path); }
  // Parses "n=PATH" (n 1..8, PATH not empty, a network URL well-formed); false when malformed.
  bool parseAssignment(const std::string& text);
  // The device path for "COMn", or nullopt for a name that is no port name.
  std::optional<std::string> resolve(const std::string& portName) const;

private:
  std::map<int, std::string> paths_;
};

// A termios serial device opened read-only, non-blocking and exclusively.
class PosixSerialDevice final : public SerialDevice {
public:
  // nullptr when the path cannot be opened or another opener holds it.
  static std::unique_ptr<PosixSerialDevice> open(const std::string& path);
  ~PosixSerialDevice() override;
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  bool configure() override;
  std::optional<Status> status() override;
  std::optional<std::uint8_t> readByte() override;
  bool hungUp() const override { return hungUp_; }
  // A serial line: read by the tick at the device's pace, there as soon as it opened.
  bool lineStream() const override { return false; }
  bool connected() const override { return true; }
  std::string source() const override { return path_; }

  int fd() const { return fd_; }

private:
  PosixSerialDevice(int fd, std::string path);
  void noteFailure(int error);

  int fd_;
  std::string path_;
  bool hungUp_ = false;
  bool haveCounts_ = false;
  int frame_ = 0, overrun_ = 0, bufOverrun_ = 0;
};

class PosixSerialPorts final : public SerialPorts {
public:
  // `monotonicSeconds` is handed to every network source (tests step their own).
  explicit PosixSerialPorts(PortMap map = {}, std::function<std::int64_t()> monotonicSeconds = {})
      : map_(std::move(map)), monotonicSeconds_(std::move(monotonicSeconds)) {}
  std::unique_ptr<SerialDevice> open(const std::string& portName) override;
  const PortMap& map() const { return map_; }

private:
  PortMap map_;
  std::function<std::int64_t()> monotonicSeconds_;
};

} // namespace baromon::platform
