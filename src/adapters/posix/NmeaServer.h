#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Outlets.h"

namespace baromon::platform {

// A TCP server for chart plotters: every client gets every sentence sent after it
// connected. Nothing waits: sends never block, and a client that does not keep up
// (more than `kClientBacklog` bytes unsent) or has gone is dropped. What a client sends
// is read only to be thrown away, a bounded amount a poll.
class NmeaServer final : public SentenceOutlet {
public:
  static constexpr std::size_t kClientBacklog = std::size_t{64} * 1024;
  static constexpr std::size_t kMaxClients = 32;
  static constexpr std::size_t kDiscardPerPoll = std::size_t{4} * 1024;

  // Listens on "[ADDR:]PORT" (every address when ADDR is left out; IPv6 in brackets).
  // nullptr with `error` set when the text is malformed or the port cannot be had.
  static std::unique_ptr<NmeaServer> listenOn(const std::string& where, std::string& error);
  ~NmeaServer() override;
  NmeaServer(const NmeaServer&) = delete;
  NmeaServer& operator=(const NmeaServer&) = delete;

  void poll() override;
  void send(const std::string& line) override;
  std::size_t clientCount() const { return clients_.size(); }

private:
  struct Client {
    int fd;
    std::string unsent;
    bool spoke = false; // it sent something or went away since the last poll
  };
  explicit NmeaServer(int fd) : listener_(fd) {}
  static bool flush(Client& client);
  void dropWhere(bool (*gone)(Client&));

  int listener_;
  std::vector<Client> clients_;
};

} // namespace baromon::platform
