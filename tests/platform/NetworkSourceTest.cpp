#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "core/state/AppContext.h"
#include "core/serial/Acquisition.h"
#include "core/serial/Epoch.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "adapters/posix/NetworkSource.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "sim/BarographSimulator.h"
#include "support/EventLogReader.h"
#include "support/FakeClock.h"
#include "support/FakeWindows.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace baromon {
namespace {

// A socket on the loopback at a port the kernel picks.
struct LoopbackSocket {
  int fd = -1;
  int port = 0;
  explicit LoopbackSocket(int type) {
    fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~LoopbackSocket() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

// A port the kernel handed out and took back: nobody listens there.
int unusedTcpPort() {
  LoopbackSocket s(SOCK_STREAM);
  return s.port;
}

// The monitor reading COM2 from the network, with a fake clock so that a test can
// step it through a five-minute boundary.
struct NetworkMonitor : ::testing::Test {
  fakes::TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeWindows windows;
  std::unique_ptr<platform::PosixSerialPorts> ports;
  platform::GraphicsObjects graphics;
  std::unique_ptr<AppContext> app;
  std::int64_t monotonic = 1000; // the network sources' steady clock, in seconds

  void useSource(const std::string& url) {
    platform::PortMap map;
    ASSERT_TRUE(map.parseAssignment("2=" + url));
    ports = std::make_unique<platform::PosixSerialPorts>(map, [this] { return monotonic; });
    app = std::make_unique<AppContext>(Platform{clock, files, windows, *ports, graphics});
    app->settings.dataMode = DataMode::Kx;
    app->settings.recordInterval = 300;
    app->settings.displayStep = 300;
    app->settings.portDigit = '2';
    app->settings.language = English;
  }
  // Ticks until `done` holds; the loopback delivers at once, so the bound is only a guard.
  template <typename Done> bool tickUntil(Done done) {
    for (int i = 0; i < 200000; ++i) {
      acquisitionTick(*app);
      if (done()) {
        return true;
      }
      ::sched_yield();
    }
    return false;
  }
};

bool sendAll(int fd, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// A TCP server listening on the loopback at `port`, which an earlier socket may have
// held a moment ago; -1 when the port cannot be taken.
int listenOn(int port) {
  const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(server, 1) != 0) {
    ::close(server);
    return -1;
  }
  return server;
}

int acceptWithin(int listener, int milliseconds) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, milliseconds) != 1) {
    return -1;
  }
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// One second of the simulated barograph as a multiplexer forwards it, 38400 Bd worth
// of other talkers' sentences mixed in, all in one burst.
std::string burstOfSecond(const sim::BarographSimulator& barograph, std::int64_t t, int& lines) {
  std::string burst;
  for (const std::string& frame : barograph.barographFrames(t)) {
    burst += frame;
    ++lines;
  }
  for (int i = 0; i < 70; ++i) {
    burst += "$GPGLL,5400.000,N,01000.000,E,101010,A,A*6C\r\n";
    ++lines;
  }
  return burst;
}

TEST(PortMapUrls, NetworkSourcesAreParsedAndBadOnesRefused) {
  platform::PortMap map;
  EXPECT_TRUE(map.parseAssignment("1=tcp://192.168.1.10:10110"));
  EXPECT_TRUE(map.parseAssignment("2=udp://:10110"));
  EXPECT_TRUE(map.parseAssignment("3=udp://0.0.0.0:2000"));
  EXPECT_TRUE(map.parseAssignment("4=tcp://[::1]:10110"));
  EXPECT_TRUE(map.parseAssignment("5=tcp://plotter.local:10110"));
  EXPECT_FALSE(map.parseAssignment("1=tcp://:10110")) << "a TCP source needs a host";
  EXPECT_FALSE(map.parseAssignment("1=tcp://host"));
  EXPECT_FALSE(map.parseAssignment("1=tcp://host:0"));
  EXPECT_FALSE(map.parseAssignment("1=tcp://host:65536"));
  EXPECT_FALSE(map.parseAssignment("1=udp://host:10x"));
  EXPECT_FALSE(map.parseAssignment("1=tcp://[::1:10110"));
  EXPECT_TRUE(map.parseAssignment("6=/dev/ttyUSB0")) << "a device path stays a device path";
}

TEST_F(NetworkMonitor, TcpSourceAt38400BaudGivesEveryLineAndTheBoundaryRecord) {
  LoopbackSocket listener(SOCK_STREAM);
  ASSERT_EQ(::listen(listener.fd, 1), 0);
  useSource("tcp://127.0.0.1:" + std::to_string(listener.port));
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  EXPECT_TRUE(windows.boxes.empty());
  acquisitionTick(*app); // starts the connection
  const int peer = acceptWithin(listener.fd, 10000);
  ASSERT_GE(peer, 0);

  clock.utc = {2026, 12, 7, 10, 4, 55, 1};
  sim::BarographSimulator barograph(sim::SimulatorOptions{});
  int lines = 0;
  std::int32_t pressureAtBoundary = 0;
  for (int second = 0; second < 12; ++second) {
    const std::int64_t t = toEpochSeconds(clock.utc);
    ASSERT_TRUE(sendAll(peer, burstOfSecond(barograph, t, lines)));
    ASSERT_TRUE(tickUntil([&] {
      return app->acquisition.linesReceived == static_cast<std::uint64_t>(lines);
    })) << "lines received "
        << app->acquisition.linesReceived << " of " << lines;
    if (clock.utc.minute == 5 && clock.utc.second == 0) {
      pressureAtBoundary = app->fiveMinute[0];
    }
    clock.advanceSeconds(1);
  }
  ::close(peer);

  EXPECT_EQ(app->acquisition.sentenceCount, static_cast<std::uint32_t>(lines)) << "every line on its own";
  EXPECT_EQ(app->acquisition.sentencesAccepted, 12u) << "each $PXDR decoded";
  const std::string log = dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 80u) << "one record for the one boundary";
  LastDecodedRecord record;
  ASSERT_EQ(parseLogRecord(record, LogRecordMode::Decode, log.data()), 1);
  EXPECT_EQ(record.sample.hour, 10);
  EXPECT_EQ(record.sample.minute, 5);
  EXPECT_EQ(record.sample.pressure, pressureAtBoundary);
  EXPECT_EQ(dir.read("monitor.err"), "") << "no event grows with the rate";
}

TEST_F(NetworkMonitor, UdpSourceGivesEveryLineOfEveryDatagramAndTheBoundaryRecord) {
  const int port = [] {
    LoopbackSocket probe(SOCK_DGRAM);
    return probe.port;
  }();
  useSource("udp://127.0.0.1:" + std::to_string(port));
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  acquisitionTick(*app); // binds
  LoopbackSocket sender(SOCK_DGRAM);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  auto sendDatagram = [&](const std::string& text) {
    return ::sendto(sender.fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(text.size());
  };

  clock.utc = {2026, 12, 7, 10, 4, 58, 1};
  sim::BarographSimulator barograph(sim::SimulatorOptions{});
  int lines = 0;
  for (int second = 0; second < 6; ++second) {
    const std::int64_t t = toEpochSeconds(clock.utc);
    // One sentence per datagram, the last without its line end (some talkers send so).
    const auto frames = barograph.barographFrames(t);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      std::string text = frames[i];
      if (i + 1 == frames.size()) {
        text.resize(text.size() - 2);
      }
      ASSERT_TRUE(sendDatagram(text));
      ++lines;
    }
    ASSERT_TRUE(tickUntil([&] {
      return app->acquisition.linesReceived == static_cast<std::uint64_t>(lines);
    })) << "lines received "
        << app->acquisition.linesReceived << " of " << lines;
    clock.advanceSeconds(1);
  }
  EXPECT_EQ(app->acquisition.sentencesAccepted, 6u);
  EXPECT_EQ(dir.read("monitor.txt").size(), 80u) << "one record for the one boundary";
  EXPECT_EQ(dir.read("monitor.err"), "");
}

TEST_F(NetworkMonitor, RefusedConnectionIsReportedOnceAndRetriedEveryFiveSeconds) {
  const int port = unusedTcpPort();
  useSource("tcp://127.0.0.1:" + std::to_string(port));
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show)) << "no box: the source may come later";
  EXPECT_TRUE(windows.boxes.empty());
  for (int i = 0; i < 100; ++i) {
    acquisitionTick(*app);
    if (i % 5 == 4) {
      clock.advanceSeconds(1); // twenty seconds: four attempts
    }
  }
  EXPECT_TRUE(app->serial.lost);
  std::string err = dir.read("monitor.err");
  ASSERT_NE(err.find("event # 71 "), std::string::npos);
  EXPECT_EQ(err.find("event # 71 "), err.rfind("event # 71 ")) << "reported once, not per attempt";

  // The server comes up on that port: the next attempt connects and lines flow.
  const int server = listenOn(port);
  ASSERT_GE(server, 0);
  clock.advanceSeconds(5);
  acquisitionTick(*app);
  acquisitionTick(*app);
  const int peer = acceptWithin(server, 10000);
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(sendAll(peer, "$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  ASSERT_TRUE(tickUntil([&] { return app->acquisition.sentencesAccepted == 1; }));
  EXPECT_FALSE(app->serial.lost);
  const std::string source = "tcp://127.0.0.1:" + std::to_string(port);
  EXPECT_NE(dir.read("monitor.err").find("event # 72 connection to " + source + " back "), std::string::npos)
      << "named as the network source it is, not as a COM port";

  // Lost again after it worked: one more event, then quiet.
  ::close(peer);
  ::close(server);
  for (int i = 0; i < 100; ++i) {
    acquisitionTick(*app);
    if (i % 5 == 4) {
      clock.advanceSeconds(1);
    }
  }
  err = dir.read("monitor.err");
  std::size_t events = 0;
  for (std::size_t at = err.find("event # 71 "); at != std::string::npos;
       at = err.find("event # 71 ", at + 1)) {
    ++events;
  }
  EXPECT_EQ(events, 2u);
  EXPECT_TRUE(windows.boxes.empty());
}

// A network source on its own, reached over the loopback, read the way the acquisition
// reads a line stream: what is waiting, at most 64 KiB a tick.
struct FloodedSource : ::testing::Test {
  static constexpr std::size_t kTakenPerTick = std::size_t{64} * 1024;
  // What one source may hold in memory however fast its peer sends.
  static constexpr std::size_t kHeldBound = std::size_t{512} * 1024;
  std::unique_ptr<platform::NetworkSource> source;
  std::string received;

  void open(const std::string& url) {
    source = std::make_unique<platform::NetworkSource>(*platform::NetworkEndpoint::parse(url));
    source->status();
  }
  // One tick's reading; false once the source has gone (its peer closed and all was read).
  bool tick() {
    const auto status = source->status();
    if (!status) {
      return false;
    }
    const std::size_t count = std::min(status->waiting, kTakenPerTick);
    for (std::size_t i = 0; i < count; ++i) {
      received.push_back(static_cast<char>(*source->readByte()));
    }
    return true;
  }
  // Sends all of `text` while the source goes on reading (a full socket would block).
  bool sendTicking(int fd, std::string text) {
    for (int i = 0; i < 100000 && !text.empty(); ++i) {
      const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        text.erase(0, static_cast<std::size_t>(n));
      } else if (!tick()) {
        return false;
      }
    }
    return text.empty();
  }
  // Reads until the source has gone.
  void drain() {
    for (int i = 0; i < 100000 && tick(); ++i) {
    }
  }
};

// Numbered lines without end: "$SEQ,00000000\r\n", "$SEQ,00000001\r\n", ...
struct NumberedLines {
  std::uint32_t next = 0;
  std::string pending;
  // Sends what the peer's socket takes now, without waiting.
  void sendWhatFits(int fd) {
    for (;;) {
      if (pending.empty()) {
        char line[32];
        for (int i = 0; i < 4096; ++i) {
          std::snprintf(line, sizeof line, "$SEQ,%08u\r\n", static_cast<unsigned>(next++));
          pending += line;
        }
      }
      const ssize_t n = ::send(fd, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n <= 0) {
        return;
      }
      pending.erase(0, static_cast<std::size_t>(n));
    }
  }
};

// True when `piece` could begin a numbered line ("$SEQ,", eight digits, CR).
bool beginsANumberedLine(const std::string& piece) {
  const std::string shape = "$SEQ,99999999\r";
  if (piece.size() > shape.size()) {
    return false;
  }
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const bool fits = shape[i] == '9' ? piece[i] >= '0' && piece[i] <= '9' : piece[i] == shape[i];
    if (!fits) {
      return false;
    }
  }
  return true;
}

TEST_F(FloodedSource, ATcpFloodIsHeldBoundedTheOldestWholeLinesDroppedAndCounted) {
  LoopbackSocket listener(SOCK_STREAM);
  ASSERT_EQ(::listen(listener.fd, 1), 0);
  open("tcp://127.0.0.1:" + std::to_string(listener.port));
  const int peer = acceptWithin(listener.fd, 10000);
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(fakes::waitFor([&] {
    source->status();
    return source->connected();
  }));

  // Keep-alive probes notice a half-open connection before the silence limit would.
  int keepAlive = 0, idle = 0, interval = 0, probes = 0;
  socklen_t length = sizeof(int);
  ASSERT_EQ(::getsockopt(source->fd(), SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &length), 0);
  ::getsockopt(source->fd(), IPPROTO_TCP, TCP_KEEPIDLE, &idle, &length);
  ::getsockopt(source->fd(), IPPROTO_TCP, TCP_KEEPINTVL, &interval, &length);
  ::getsockopt(source->fd(), IPPROTO_TCP, TCP_KEEPCNT, &probes, &length);
  EXPECT_EQ(keepAlive, 1);
  EXPECT_GT(idle, 0);
  EXPECT_LT(idle + interval * probes, platform::NetworkSource::kSilenceLimitSeconds);

  NumberedLines lines;
  std::size_t mostHeld = 0;
  for (int i = 0; i < 150; ++i) {
    lines.sendWhatFits(peer);
    tick();
    mostHeld = std::max(mostHeld, source->heldBytes());
  }
  EXPECT_LE(mostHeld, kHeldBound);
  EXPECT_GT(source->droppedBytes(), 0u) << "the peer sent faster than a tick takes";

  // The peer ends its last line and stops: what is left comes, the last line sent last.
  const std::size_t partial = lines.pending.size() % 15;
  ASSERT_TRUE(sendTicking(peer, lines.pending.substr(0, partial)));
  const std::uint32_t lastSent = lines.next - 1 - static_cast<std::uint32_t>(lines.pending.size() / 15);
  ::close(peer);
  drain();
  std::int64_t previous = -1;
  std::size_t cut = 0;
  for (std::size_t at = 0; at < received.size();) {
    const std::size_t end = received.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "the stream ends on a line end";
    const std::string piece = received.substr(at, end - at);
    at = end + 1;
    if (piece.size() == 14 && beginsANumberedLine(piece)) {
      const std::int64_t number = std::stoll(piece.substr(5, 8));
      ASSERT_GT(number, previous) << "order kept";
      previous = number;
      continue;
    }
    // A line the drop cut short: its beginning, then the line end; never glued to another.
    EXPECT_TRUE(beginsANumberedLine(piece)) << "'" << piece << "'";
    ++cut;
  }
  EXPECT_EQ(previous, static_cast<std::int64_t>(lastSent)) << "the newest input is kept";
  EXPECT_GT(cut, 0u);
}

TEST_F(FloodedSource, AnEndlessLineAndLargeDatagramsAreHeldBounded) {
  LoopbackSocket listener(SOCK_STREAM);
  ASSERT_EQ(::listen(listener.fd, 1), 0);
  open("tcp://127.0.0.1:" + std::to_string(listener.port));
  const int peer = acceptWithin(listener.fd, 10000);
  ASSERT_GE(peer, 0);
  const std::string endless(65536, 'x');
  std::size_t mostHeld = 0;
  for (int i = 0; i < 150; ++i) {
    while (::send(peer, endless.data(), endless.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0) {
    }
    tick();
    mostHeld = std::max(mostHeld, source->heldBytes());
  }
  EXPECT_LE(mostHeld, kHeldBound) << "one line without end";
  EXPECT_GT(source->droppedBytes(), 0u);
  // The line ends at last; the sentence after it comes whole.
  ASSERT_TRUE(sendTicking(peer, "\r\n$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  ::close(peer);
  drain();
  EXPECT_EQ(received.substr(received.size() - 34), "\n$PXDR,0998.60,52684,+01.2,+03.5\r\n");

  // A UDP talker of datagrams near the largest size, full of sentences.
  const int port = [] {
    LoopbackSocket probe(SOCK_DGRAM);
    return probe.port;
  }();
  open("udp://127.0.0.1:" + std::to_string(port));
  received.clear();
  LoopbackSocket sender(SOCK_DGRAM);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  std::string datagram;
  while (datagram.size() < 60000) {
    datagram += "$GPGLL,5400.000,N,01000.000,E,101010,A,A*6C\r\n";
  }
  mostHeld = 0;
  for (int i = 0; i < 150; ++i) {
    for (int k = 0; k < 4; ++k) {
      ::sendto(sender.fd, datagram.data(), datagram.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
    }
    tick();
    mostHeld = std::max(mostHeld, source->heldBytes());
  }
  EXPECT_LE(mostHeld, kHeldBound) << "datagrams of 60000 bytes";
  EXPECT_GT(source->droppedBytes(), 0u);
}

TEST_F(NetworkMonitor, ASilentPeerIsLostAfterAMinuteAndANewServerOnThePortGetsTheConnection) {
  auto listener = std::make_unique<LoopbackSocket>(SOCK_STREAM);
  const int yes = 1;
  ::setsockopt(listener->fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes); // the port is taken again below
  ASSERT_EQ(::listen(listener->fd, 1), 0);
  const int port = listener->port;
  useSource("tcp://127.0.0.1:" + std::to_string(port));
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  acquisitionTick(*app);
  const int silent = acceptWithin(listener->fd, 10000);
  ASSERT_GE(silent, 0);
  ASSERT_TRUE(tickUntil([&] { return app->serial.device->connected(); }));

  // A sentence now and then keeps the connection, however long the pauses below the limit.
  const auto limit = platform::NetworkSource::kSilenceLimitSeconds;
  for (int i = 1; i <= 3; ++i) {
    monotonic += limit - 1;
    ASSERT_TRUE(sendAll(silent, "$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
    ASSERT_TRUE(
        tickUntil([&] { return app->acquisition.sentencesAccepted == static_cast<std::uint64_t>(i); }));
  }
  EXPECT_FALSE(app->serial.lost);

  // Then nothing at all, the connection still up (as after the peer's machine froze).
  monotonic += limit - 1;
  acquisitionTick(*app);
  EXPECT_FALSE(app->serial.lost) << "not yet";
  monotonic += 1;
  acquisitionTick(*app);
  EXPECT_TRUE(app->serial.lost) << "a minute without a byte is a lost source";
  EXPECT_EQ(fakes::eventCount(dir.read("monitor.err"), Event::SourceLost), 1u);

  // A new server takes the port while the silent connection is still open on the peer's side.
  listener.reset();
  const int server = listenOn(port);
  ASSERT_GE(server, 0);
  clock.advanceSeconds(kReopenIntervalSeconds);
  acquisitionTick(*app);
  const int peer = acceptWithin(server, 10000);
  ASSERT_GE(peer, 0) << "the monitor reconnected within the silence limit and one retry interval";
  ASSERT_TRUE(sendAll(peer, "$PXDR,0998.70,52684,+01.2,+03.5\r\n"));
  ASSERT_TRUE(tickUntil([&] { return app->acquisition.sentencesAccepted == 4; }));
  EXPECT_EQ(fakes::eventCount(dir.read("monitor.err"), Event::SourceLost), 1u);
  ::close(peer);
  ::close(server);
  ::close(silent);
}

TEST_F(NetworkMonitor, APeerThatAcceptsAndClosesAtOnceIsReportedOnceUntilASentenceComes) {
  LoopbackSocket listener(SOCK_STREAM);
  ASSERT_EQ(::listen(listener.fd, 8), 0);
  useSource("tcp://127.0.0.1:" + std::to_string(listener.port));
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  auto flap = [&] {
    acquisitionTick(*app); // (re)connects
    const int peer = acceptWithin(listener.fd, 10000);
    if (peer < 0) {
      return false;
    }
    ::close(peer);
    const bool lost = tickUntil([&] { return app->serial.lost; });
    clock.advanceSeconds(kReopenIntervalSeconds);
    return lost;
  };
  for (int round = 0; round < 6; ++round) {
    ASSERT_TRUE(flap()) << "round " << round;
  }
  EXPECT_EQ(fakes::eventCount(dir.read("monitor.err"), Event::SourceLost), 1u) << "six losses, one report";

  // A connection that brings a sentence before it goes: that loss is news again.
  acquisitionTick(*app);
  const int peer = acceptWithin(listener.fd, 10000);
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(sendAll(peer, "$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  ASSERT_TRUE(tickUntil([&] { return app->acquisition.sentencesAccepted == 1; }));
  ::close(peer);
  ASSERT_TRUE(tickUntil([&] { return app->serial.lost; }));
  clock.advanceSeconds(kReopenIntervalSeconds);
  ASSERT_TRUE(flap());
  EXPECT_EQ(fakes::eventCount(dir.read("monitor.err"), Event::SourceLost), 2u);
}

} // namespace
} // namespace baromon
