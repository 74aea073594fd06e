#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/SerialDevice.h"

namespace baromon::platform {

// Where the port names COM1..COM8 lead on this machine: a device given on the
// command line (`--port n=NAME`) wins, then the environment variable BAROMON_COMn,
// then the port of the same name. NAME is a Windows device name, "COM12" or
// "\\.\COM12"; the device namespace prefix is added where it is missing, since
// CreateFileA finds COM10 and above only through it.
class Win32PortMap {
public:
  void set(int number, std::string device) { devices_[number] = std::move(device); }
  // Parses "n=NAME" (n 1..8, NAME not empty); false when malformed.
  bool parseAssignment(const std::string& text);
  // The device path for "COMn", or nullopt for a name that is no port name.
  std::optional<std::string> resolve(const std::string& portName) const;
  // "\\.\COM12" for "COM12" or "\\.\COM12"; any other path as it is.
  static std::string devicePath(const std::string& name);

private:
  std::map<int, std::string> devices_;
};

// A communications device opened read-only and without sharing, overlapped, so a
// read never waits for a byte that is not there.
class Win32SerialDevice final : public SerialDevice {
public:
  // nullptr when the device does not exist or another program holds it.
  static std::unique_ptr<Win32SerialDevice> open(const std::string& path);
  ~Win32SerialDevice() override;
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  bool configure() override;
  std::optional<Status> status() override;
  std::optional<std::uint8_t> readByte() override;
  bool hungUp() const override { return hungUp_; }
  // A serial line: read by the tick at the device's pace, there as soon as it opened.
  bool lineStream() const override { return false; }
  bool connected() const override { return true; }
  std::string source() const override { return path_; }

private:
  Win32SerialDevice(void* handle, std::string path);
  void noteFailure(unsigned long error);

  void* handle_;
  std::string path_;
  void* readDone_; // the event of the overlapped read
  bool hungUp_ = false;
};

class Win32SerialPorts final : public SerialPorts {
public:
  explicit Win32SerialPorts(Win32PortMap map = {}) : map_(std::move(map)) {}
  std::unique_ptr<SerialDevice> open(const std::string& portName) override;
  const Win32PortMap& map() const { return map_; }

private:
  Win32PortMap map_;
};

} // namespace baromon::platform
