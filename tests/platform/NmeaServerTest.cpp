#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "adapters/posix/NmeaServer.h"
#include "support/OtherProcess.h"

namespace baromon::platform {
namespace {

struct ServedClients : ::testing::Test {
  std::unique_ptr<NmeaServer> server;
  int port = 0;

  void SetUp() override {
    // Port 0 is refused by the option: take a free one from the kernel first.
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    ::close(probe);
    std::string error;
    server = NmeaServer::listenOn("127.0.0.1:" + std::to_string(port), error);
    ASSERT_NE(server, nullptr) << error;
  }
  int connectClient(int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
  }
};

TEST(NmeaServerWhere, MalformedPlacesAreRefusedWithAReason) {
  for (const char* where : {"", "0", "65536", "host:", "abc", "[::1:10110", "127.0.0.1:10x"}) {
    std::string error;
    EXPECT_EQ(NmeaServer::listenOn(where, error), nullptr) << where;
    EXPECT_NE(error.find("[ADDR:]PORT"), std::string::npos) << where;
  }
  std::string error;
  EXPECT_EQ(NmeaServer::listenOn("192.0.2.1:10110", error), nullptr) << "not an address of ours";
  EXPECT_NE(error.find("cannot serve"), std::string::npos);
}

TEST_F(ServedClients, AClientThatNeverReadsIsDroppedAndNeverHoldsTheOthersUp) {
  const int sleeper = connectClient(4096);
  const int reader = connectClient();
  server->poll();
  ASSERT_EQ(server->clientCount(), 2u);

  // Far more than the sleeper's socket and backlog can hold; every send returns at once.
  const std::string line = "$WIXDR,P,0.99860,B,Barometer*37\r\n";
  std::string received;
  for (int i = 0; i < 20000; ++i) {
    server->send(line);
    char chunk[65536];
    ssize_t n;
    while ((n = ::recv(reader, chunk, sizeof chunk, MSG_DONTWAIT)) > 0) {
      received.append(chunk, static_cast<std::size_t>(n));
    }
  }
  EXPECT_EQ(server->clientCount(), 1u) << "the sleeper is gone";
  server->poll();
  pollfd p{reader, POLLIN, 0};
  while (received.size() < line.size() * 20000 && ::poll(&p, 1, 10000) == 1) {
    char chunk[65536];
    const ssize_t n = ::recv(reader, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n <= 0) {
      break;
    }
    received.append(chunk, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(received.size(), line.size() * 20000) << "the reader got every sentence";
  ::close(sleeper);
  ::close(reader);
}

TEST_F(ServedClients, AClientThatLeftIsDroppedOnTheNextPoll) {
  const int client = connectClient();
  server->poll();
  ASSERT_EQ(server->clientCount(), 1u);
  ::close(client);
  server->poll();
  EXPECT_EQ(server->clientCount(), 0u);
  server->send("$WIXDR,P,0.99860,B,Barometer*37\r\n"); // nobody to send to: no signal, no block
}

// Clients that send without pause, as fast as the loopback takes it: the served stream
// goes on, each poll returns, and the one that reads gets every sentence.
TEST_F(ServedClients, ClientsThatNeverStopSendingCannotHoldThePollUp) {
  const int reader = connectClient();
  std::vector<pid_t> blasters;
  for (int i = 0; i < 3; ++i) {
    const int fd = connectClient();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::alarm(30); // never outlives the test
      const std::string junk(65536, 'x');
      while (::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL) > 0) {
      }
      ::_exit(0);
    }
    ::close(fd);
    blasters.push_back(pid);
  }

  const std::string line = "$WIXDR,P,0.99860,B,Barometer*37\r\n";
  constexpr int kTicks = 25;
  const int outcome = fakes::inChildProcess(
      [&] {
        for (int tick = 0; tick < kTicks; ++tick) {
          server->poll();
          server->send(line);
        }
        std::string received;
        pollfd p{reader, POLLIN, 0};
        while (received.size() < line.size() * kTicks && ::poll(&p, 1, 5000) == 1) {
          char chunk[4096];
          const ssize_t n = ::recv(reader, chunk, sizeof chunk, MSG_DONTWAIT);
          if (n <= 0) {
            break;
          }
          received.append(chunk, static_cast<std::size_t>(n));
        }
        return received.size() == line.size() * kTicks ? 0 : 1;
      },
      10);
  for (const pid_t pid : blasters) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  ::close(reader);
  EXPECT_NE(outcome, fakes::kHung) << "a poll kept reading what the clients sent";
  EXPECT_EQ(outcome, 0) << "the reader missed sentences";
}

} // namespace
} // namespace baromon::platform
