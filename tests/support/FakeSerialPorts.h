#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/SerialDevice.h"

namespace baromon::fakes {

using namespace baromon::platform;

// A scripted serial device: the test queues bytes and line errors.
class FakeSerialDevice final : public SerialDevice {
public:
  struct Script {
    std::deque<std::uint8_t> bytes;
    LineErrors pendingErrors;
    bool statusFails = false;
    int readFailures = 0; // the next this many reads fail
    bool configureFails = false;
    bool hungUp = false;     // the device went away: every query and read fails from now on
    bool lineStream = false; // a network source rather than a serial line
    std::string source = "/dev/fake";
  };
  explicit FakeSerialDevice(std::shared_ptr<Script> script) : script_(std::move(script)) {}

  bool configure() override { return !script_->configureFails; }
  std::optional<Status> status() override {
    if (script_->statusFails || script_->hungUp) {
      return std::nullopt;
    }
    Status s{script_->pendingErrors, script_->bytes.size()};
    script_->pendingErrors = {};
    return s;
  }
  std::optional<std::uint8_t> readByte() override {
    if (script_->hungUp) {
      return std::nullopt;
    }
    if (script_->readFailures > 0) {
      --script_->readFailures;
      return std::nullopt;
    }
    if (script_->bytes.empty()) {
      return std::nullopt;
    }
    auto b = script_->bytes.front();
    script_->bytes.pop_front();
    return b;
  }

  bool hungUp() const override { return script_->hungUp; }
  bool lineStream() const override { return script_->lineStream; }
  bool connected() const override { return true; }
  std::string source() const override { return script_->source; }

private:
  std::shared_ptr<Script> script_;
};

// Ports that exist are those given a script; every other name fails to open.
class FakeSerialPorts final : public SerialPorts {
public:
  std::map<std::string, std::shared_ptr<FakeSerialDevice::Script>> present;
  std::map<std::string, int> opens;

  std::shared_ptr<FakeSerialDevice::Script> add(const std::string& portName) {
    auto script = std::make_shared<FakeSerialDevice::Script>();
    present[portName] = script;
    return script;
  }
  void feed(const std::string& portName, const std::string& text) {
    for (unsigned char c : text) {
      present.at(portName)->bytes.push_back(c);
    }
  }
  std::unique_ptr<SerialDevice> open(const std::string& portName) override {
    ++opens[portName];
    auto it = present.find(portName);
    if (it == present.end()) {
      return nullptr;
    }
    return std::make_unique<FakeSerialDevice>(it->second);
  }
};

} // namespace baromon::fakes
