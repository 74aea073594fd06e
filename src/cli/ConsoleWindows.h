#pragma once

#include <cstdio>
#include <string>

#include "platform/SerialDevice.h"
#include "platform/WindowlessServices.h"

namespace baromon::cli {

// Window services for a run without windows: a box becomes its text on
// standard output (bytes as they are, line breaks kept); the rest has no
// window to act on.
class ConsoleWindows final : public platform::WindowlessServices {
public:
  explicit ConsoleWindows(std::FILE* out) : out_(out) {}

  void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override {
    (void)caption;
    (void)icon;
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fputc('\n', out_);
  }
  void beep(platform::BeepKind kind) override { (void)kind; }
  void postQuit(int exitCode) override { (void)exitCode; }

private:
  std::FILE* out_;
};

// No serial ports: the subcommands never acquire.
class NoSerialPorts final : public platform::SerialPorts {
public:
  std::unique_ptr<platform::SerialDevice> open(const std::string& portName) override {
    (void)portName;
    return nullptr;
  }
};

} // namespace baromon::cli
