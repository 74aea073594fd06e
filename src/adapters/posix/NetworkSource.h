#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

namespace baromon::platform {

// Where a network source is: "tcp://HOST:PORT" connects to HOST, "udp://[ADDR]:PORT"
// receives datagrams sent to PORT (on ADDR only when given). An IPv6 address goes in
// brackets: "tcp://[::1]:10110".
struct NetworkEndpoint {
  bool tcp = true;
  std::string host; // empty for UDP on every address
  std::string port; // 1..65535, digits only
  static std::optional<NetworkEndpoint> parse(const std::string& url);
  static bool looksLikeUrl(const std::string& text);
};

// NMEA 0183 lines from the network standing in for a serial device. Never blocks: the
// connection is made (and a UDP port bound) on the first status query, without waiting,
// so that opening one to see whether it exists costs nothing. A refused or lost
// connection, or a port another program has bound, reads as a hang-up.
class NetworkSource final : public SerialDevice {
public:
  explicit NetworkSource(NetworkEndpoint endpoint);
  ~NetworkSource() override;
  NetworkSource(const NetworkSource&) = delete;
  NetworkSource& operator=(const NetworkSource&) = delete;

  bool configure() override { return true; } // no line settings on a socket
  std::optional<Status> status() override;
  std::optional<std::uint8_t> readByte() override;
  bool hungUp() const override { return state_ == State::Gone; }
  bool lineStream() const override { return true; }
  bool connected() const override { return state_ == State::Ready; }

private:
  enum class State { Idle, Connecting, Ready, Gone };
  void start();
  void checkConnected();
  void fill();
  void gone();

  NetworkEndpoint endpoint_;
  State state_ = State::Idle;
  int fd_ = -1;
  bool endOfStream_ = false;
  std::vector<std::uint8_t> buffer_; // received, not yet read
  std::size_t readAt_ = 0;
  std::vector<std::uint8_t> datagram_;
};

} // namespace baromon::platform
