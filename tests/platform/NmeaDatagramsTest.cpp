#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "adapters/posix/NmeaDatagrams.h"

namespace baromon::platform {
namespace {

// A UDP socket on the loopback with a port of its own.
struct Receiver {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  int port = 0;
  Receiver() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~Receiver() { ::close(fd); }
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;
  std::string datagram() const {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) {
      return "(nothing)";
    }
    char buffer[2048];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    return n < 0 ? "(error)" : std::string(buffer, static_cast<std::size_t>(n));
  }
};

TEST(NmeaDatagrams, OneSentenceADatagramWithItsLineEnd) {
  Receiver plotter;
  std::string error;
  auto sender = NmeaDatagrams::sendTo("127.0.0.1:" + std::to_string(plotter.port), error);
  ASSERT_NE(sender, nullptr) << error;
  sender->poll();
  sender->send("$WIXDR,P,0.99860,B,Barometer*37\r\n");
  sender->send("$WIMDA,29.4886,I,0.99860,B,,C,,C,,,,C,,T,,M,,N,,M*00\r\n");
  EXPECT_EQ(plotter.datagram(), "$WIXDR,P,0.99860,B,Barometer*37\r\n");
  EXPECT_EQ(plotter.datagram(), "$WIMDA,29.4886,I,0.99860,B,,C,,C,,,,C,,T,,M,,N,,M*00\r\n");
  EXPECT_EQ(sender->droppedDatagrams(), 0u);
}

TEST(NmeaDatagrams, NobodyListeningCostsNothingAndLaterSendsStillGo) {
  int port = 0;
  {
    Receiver gone;
    port = gone.port;
  }
  std::string error;
  auto sender = NmeaDatagrams::sendTo("127.0.0.1:" + std::to_string(port), error);
  ASSERT_NE(sender, nullptr) << error;
  for (int i = 0; i < 3; ++i) {
    sender->send("$WIXDR,P,0.99860,B,Barometer*37\r\n"); // the port answers "unreachable"
  }
  EXPECT_EQ(sender->droppedDatagrams(), 0u) << "an unconnected socket is not told of the answer";
}

TEST(NmeaDatagrams, MalformedTargetsAreRefusedWithAReason) {
  for (const char* where :
       {"", "10111", "host:", ":10111", "127.0.0.1:0", "127.0.0.1:65536", "[::1:10111", "127.0.0.1:10x"}) {
    SCOPED_TRACE(where);
    std::string error;
    EXPECT_EQ(NmeaDatagrams::sendTo(where, error), nullptr);
    EXPECT_NE(error.find("HOST:PORT"), std::string::npos) << error;
  }
}

} // namespace
} // namespace baromon::platform
