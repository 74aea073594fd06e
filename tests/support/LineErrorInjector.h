#pragma once

#include <memory>
#include <utility>

#include "platform/SerialDevice.h"

namespace baromon::fakes {

// Wraps a device and adds line errors to its next status report: pseudo-terminals
// count none, so this is how a test sees them arrive through a real device.
class LineErrorInjector final : public platform::SerialDevice {
public:
  explicit LineErrorInjector(std::unique_ptr<platform::SerialDevice> device) : device_(std::move(device)) {}

  void injectLineErrors(const platform::LineErrors& errors) { injected_ = errors; }

  bool configure() override { return device_->configure(); }
  std::optional<Status> status() override {
    auto s = device_->status();
    if (s) {
      s->errors.framing = s->errors.framing || injected_.framing;
      s->errors.overrun = s->errors.overrun || injected_.overrun;
      s->errors.receiveOverflow = s->errors.receiveOverflow || injected_.receiveOverflow;
      s->errors.io = s->errors.io || injected_.io;
      injected_ = {};
    }
    return s;
  }
  std::optional<std::uint8_t> readByte() override { return device_->readByte(); }
  bool hungUp() const override { return device_->hungUp(); }
  bool lineStream() const override { return device_->lineStream(); }
  bool connected() const override { return device_->connected(); }
  std::string source() const override { return device_->source(); }

private:
  std::unique_ptr<platform::SerialDevice> device_;
  platform::LineErrors injected_;
};

} // namespace baromon::fakes
