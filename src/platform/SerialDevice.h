#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace baromon::platform {

// Line errors the driver counted since the last query. Any of them makes the
// acquisition skip reading for one tick.
struct LineErrors {
  bool receiveOverflow = false;
  bool overrun = false;
  bool framing = false;
  bool io = false;
  bool any() const { return receiveOverflow || overrun || framing || io; }
};

// An open serial device, read-only, held exclusively.
class SerialDevice {
public:
  virtual ~SerialDevice() = default;
  // Raw 8N1 at 4800 Bd, no flow control, RTS on, DTR off. False when the line settings are refused.
  virtual bool configure() = 0;
  // Queries and clears the line errors and tells how many bytes wait; nullopt when the query fails.
  struct Status {
    LineErrors errors;
    std::size_t waiting = 0;
  };
  virtual std::optional<Status> status() = 0;
  // Reads one waiting byte without blocking; nullopt when the read fails.
  virtual std::optional<std::uint8_t> readByte() = 0;
  // True once the device has gone away (adapter unplugged, other end closed):
  // every further status query and read will fail, so the owner should close it.
  virtual bool hungUp() const = 0;
  // True for a source that brings whole lines at any rate and in bursts (a network
  // stream): the acquisition then takes every line on its own, with no per-tick budget
  // to warn about. A serial line is read by the tick, as the device's 4800 Bd allow.
  virtual bool lineStream() const = 0;
  // False while the source is still being reached (a connection on its way); a device
  // that opened is there.
  virtual bool connected() const = 0;
  // What the device is, as the user named it ("/dev/ttyUSB0", "tcp://boat.local:10110"):
  // the events about a network source say which one.
  virtual std::string source() const = 0;
};

// Opens serial devices (or network sources standing in for them) by the program's
// port names "COM1".."COM8".
class SerialPorts {
public:
  virtual ~SerialPorts() = default;
  // nullptr when the port does not exist or another program holds it.
  virtual std::unique_ptr<SerialDevice> open(const std::string& portName) = 0;
};

} // namespace baromon::platform
