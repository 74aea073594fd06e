#include "adapters/win32/Win32SerialPorts.h"

#include <windows.h>

#include <cstdlib>
#include <utility>

namespace baromon::platform {

namespace {

// "COMn" with n 1..8, else 0.
int portNumber(const std::string& portName) {
  if (portName.size() != 4 || portName.compare(0, 3, "COM") != 0 || portName[3] < '1' || portName[3] > '8') {
    return 0;
  }
  return portName[3] - '0';
}

// Errors after which the device will not answer again: a USB adapter pulled out,
// a driver that stopped the port.
bool isGoneError(DWORD error) {
  switch (error) {
  case ERROR_ACCESS_DENIED:
  case ERROR_BAD_COMMAND:
  case ERROR_DEVICE_NOT_CONNECTED:
  case ERROR_DEVICE_REMOVED:
  case ERROR_GEN_FAILURE:
  case ERROR_INVALID_HANDLE:
  case ERROR_NOT_READY:
  case ERROR_OPERATION_ABORTED:
  case ERROR_FILE_NOT_FOUND:
  case ERROR_BROKEN_PIPE:
    return true;
  default:
    return false;
  }
}

} // namespace

bool Win32PortMap::parseAssignment(const std::string& text) {
  const auto eq = text.find('=');
  if (eq != 1 || text[0] < '1' || text[0] > '8' || text.size() < 3) {
    return false;
  }
  set(text[0] - '0', text.substr(2));
  return true;
}

std::string Win32PortMap::devicePath(const std::string& name) {
  if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos) {
    return name;
  }
  return "\\\\.\\" + name;
}

std::optional<std::string> Win32PortMap::resolve(const std::string& portName) const {
  const int n = portNumber(portName);
  if (n == 0) {
    return std::nullopt;
  }
  if (auto it = devices_.find(n); it != devices_.end()) {
    return devicePath(it->second);
  }
  const std::string variable = "BAROMON_" + portName;
  if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
    return devicePath(value);
  }
  return devicePath(portName);
}

std::unique_ptr<Win32SerialDevice> Win32SerialDevice::open(const std::string& path) {
  HANDLE handle =
      ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  if (::GetFileType(handle) != FILE_TYPE_CHAR) {
    ::CloseHandle(handle); // a file or pipe under the name is no port
    return nullptr;
  }
  return std::unique_ptr<Win32SerialDevice>(new Win32SerialDevice(handle, path));
}

Win32SerialDevice::Win32SerialDevice(void* handle, std::string path)
    : handle_(handle), path_(std::move(path)), readDone_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Win32SerialDevice::~Win32SerialDevice() {
  ::CloseHandle(static_cast<HANDLE>(handle_));
  if (readDone_ != nullptr) {
    ::CloseHandle(static_cast<HANDLE>(readDone_));
  }
}

void Win32SerialDevice::noteFailure(unsigned long error) {
  if (isGoneError(error)) {
    hungUp_ = true;
  }
}

bool Win32SerialDevice::configure() {
  // Never read back from the driver: only these members are set, all others stay 0,
  // so no flow control, no error character and no abort on errors creep in from
  // whatever the port was left with.
  DCB dcb{};
  dcb.BaudRate = 4800;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fParity = 0;
  dcb.fOutX = 0;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = 0;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  const bool configured = ::SetCommState(static_cast<HANDLE>(handle_), &dcb) != 0;
  // A read returns at once with whatever the driver holds.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 5000;
  (void)::SetCommTimeouts(static_cast<HANDLE>(handle_), &timeouts);
  return configured;
}

std::optional<SerialDevice::Status> Win32SerialDevice::status() {
  if (hungUp_) {
    return std::nullopt;
  }
  DWORD errors = 0;
  COMSTAT comstat{};
  if (!::ClearCommError(static_cast<HANDLE>(handle_), &errors, &comstat)) {
    noteFailure(::GetLastError());
    return std::nullopt;
  }
  Status s;
  s.errors.receiveOverflow = (errors & CE_RXOVER) != 0;
  s.errors.overrun = (errors & CE_OVERRUN) != 0;
  s.errors.framing = (errors & CE_FRAME) != 0;
  s.errors.io = (errors & CE_IOE) != 0;
  s.waiting = comstat.cbInQue;
  return s;
}

std::optional<std::uint8_t> Win32SerialDevice::readByte() {
  if (hungUp_ || readDone_ == nullptr) {
    return std::nullopt;
  }
  HANDLE handle = static_cast<HANDLE>(handle_);
  OVERLAPPED overlapped{};
  overlapped.hEvent = static_cast<HANDLE>(readDone_);
  unsigned char byte = 0;
  DWORD got = 0;
  if (!::ReadFile(handle, &byte, 1, &got, &overlapped)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) {
      noteFailure(error);
      return std::nullopt;
    }
    // With the time-outs above the read completes at once; waiting here only
    // collects its result.
    if (!::GetOverlappedResult(handle, &overlapped, &got, TRUE)) {
      noteFailure(::GetLastError());
      return std::nullopt;
    }
  }
  if (got != 1) {
    return std::nullopt; // nothing was waiting after all
  }
  return byte;
}

std::unique_ptr<SerialDevice> Win32SerialPorts::open(const std::string& portName) {
  const auto path = map_.resolve(portName);
  if (!path) {
    return nullptr;
  }
  return Win32SerialDevice::open(*path);
}

} // namespace baromon::platform
