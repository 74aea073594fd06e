#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
  // The URL again ("tcp://HOST:PORT", "udp://[ADDR]:PORT", "udp://:PORT").
  std::string url() const;
};

// NMEA 0183 lines from the network standing in for a serial device. Never blocks: the
// connection is made (and a UDP port bound) on the first status query, without waiting,
// so that opening one to see whether it exists costs nothing. A refused or lost
// connection, a TCP peer silent for kSilenceLimitSeconds (keep-alive probes find a
// half-open connection sooner), or a port another program has bound, reads as a hang-up.
// What waits unread is bounded: a peer that sends faster than it is read loses its
// oldest input (counted in droppedBytes), and memory stays the same.
class NetworkSource final : public SerialDevice {
public:
  // A TCP source that delivered no byte for this long is taken as lost.
  static constexpr std::int64_t kSilenceLimitSeconds = 60;
  // `monotonicSeconds` defaults to CLOCK_MONOTONIC; tests step their own.
  explicit NetworkSource(NetworkEndpoint endpoint, std::function<std::int64_t()> monotonicSeconds = {});
  ~NetworkSource() override;
  NetworkSource(const NetworkSource&) = delete;
  NetworkSource& operator=(const NetworkSource&) = delete;

  bool configure() override { return true; } // no line settings on a socket
  std::optional<Status> status() override;
  std::optional<std::uint8_t> readByte() override;
  bool hungUp() const override { return state_ == State::Gone; }
  bool lineStream() const override { return true; }
  bool connected() const override { return state_ == State::Ready; }
  std::string source() const override { return endpoint_.url(); }

  // What the received input takes in memory, and how many received bytes were thrown
  // away unread to keep it so.
  std::size_t heldBytes() const { return buffer_.capacity(); }
  std::uint64_t droppedBytes() const { return dropped_; }
  int fd() const { return fd_; } // -1 while there is no socket

private:
  enum class State { Idle, Connecting, Ready, Gone };
  void start();
  void checkConnected();
  void fill();
  long receive(std::size_t most);
  void dropOldest();
  void gone();

  NetworkEndpoint endpoint_;
  State state_ = State::Idle;
  int fd_ = -1;
  bool endOfStream_ = false;
  std::vector<std::uint8_t> buffer_; // received; read up to `readAt_`
  std::size_t readAt_ = 0;
  std::function<std::int64_t()> now_;
  std::int64_t heardAt_ = 0; // monotonic second of the last byte (or of the connection attempt)
  std::uint64_t dropped_ = 0;
};

} // namespace baromon::platform
