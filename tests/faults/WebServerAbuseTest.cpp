#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/ProgramRun.h"
#include "cli/WebClient.h"
#include "core/store/LogRecord.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

// The web server under abuse beside a recording logger: idle connections, a client that
// never reads, a request line of a megabyte and a flood of requests. Not a record may go
// missing, and the logger's memory stays bounded.

namespace {

using baromon::clitest::BaromonChild;
using baromon::clitest::RawTerminal;
using baromon::fakes::TempDir;

const std::string kSettings = "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\n"
                              "ERR=1\nU=0\nSIG=0\nDKS=0\nLANG=EN\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  timeval limit{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  return fd;
}

// Sends `request` and reads until the server closes (or 5 s of silence); the bytes read.
std::size_t askAndRead(int port, const std::string& request) {
  const int fd = connectTo(port);
  if (fd < 0) {
    return 0;
  }
  std::size_t got = 0;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) > 0) {
    char buffer[16384];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
      got += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  return got;
}

long residentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      return std::stol(line.substr(6));
    }
  }
  return 0;
}

// The minutes since midnight of each record, in log order.
std::vector<int> recordMinutes(const std::string& log) {
  std::vector<int> minutes;
  for (std::size_t at = 0; at + baromon::kLogRecordSize <= log.size(); at += baromon::kLogRecordSize) {
    baromon::LastDecodedRecord decoded;
    if (baromon::parseLogRecord(decoded, baromon::LogRecordMode::Decode, log.data() + at) == 1) {
      minutes.push_back(decoded.sample.day * 1440 + decoded.sample.hour * 60 + decoded.sample.minute);
    }
  }
  return minutes;
}

TEST(WebServerAbuse, IdleSilentHugeAndFloodingClientsCostNoRecordAndLittleMemory) {
  TempDir dir;
  dir.write("monitor.ini", kSettings);
  RawTerminal device;
  ASSERT_TRUE(device.ok());
  const int port = baromon::clitest::freeLoopbackPort();
  // 2026-03-01 10:04:58 UTC, sixty times as fast: a boundary every five seconds.
  BaromonChild monitor(
      dir.path(),
      {"--headless", "--port", "2=" + device.name(), "--serve-http", "127.0.0.1:" + std::to_string(port)},
      dir.file("out.txt"), baromon::clitest::testClockEnvironment("1772359498 60"));
  std::atomic<bool> running{true};
  std::thread barograph([&] {
    while (running) {
      device.send("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
  });
  ASSERT_TRUE(baromon::clitest::serverAnswers(dir, port)) << dir.read("out.txt");
  const auto start = std::chrono::steady_clock::now();

  const std::size_t hugeAnswer = askAndRead(port, "GET /" + std::string(1 << 20, 'a') + " HTTP/1.1\r\n\r\n");
  std::vector<int> idle;
  for (int i = 0; i < 200; ++i) {
    if (const int fd = connectTo(port); fd >= 0) {
      idle.push_back(fd);
    }
  }
  // Asks for large pictures again and again and never reads an answer.
  const int silent = connectTo(port);
  std::string pipelined;
  for (int i = 0; i < 50; ++i) {
    pipelined += "GET /barogram.png?width=3000&height=2000 HTTP/1.1\r\nHost: x\r\n\r\n";
  }
  ::send(silent, pipelined.data(), pipelined.size(), MSG_NOSIGNAL | MSG_DONTWAIT);

  long peakKb = 0;
  std::atomic<std::uint64_t> answered{0};
  std::vector<std::thread> flood;
  for (int t = 0; t < 4; ++t) {
    flood.emplace_back([&, t] {
      const std::string request = t % 2 == 0 ? "GET /barogram.png HTTP/1.1\r\nConnection: close\r\n\r\n"
                                             : "GET /api/v1/current HTTP/1.1\r\nConnection: close\r\n\r\n";
      while (running && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        answered += askAndRead(port, request) > 0 ? 1 : 0;
      }
    });
  }
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(22)) {
    peakKb = std::max(peakKb, residentKb(monitor.pid()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (auto& t : flood) {
    t.join();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  running = false;
  barograph.join();
  for (const int fd : idle) {
    ::close(fd);
  }
  ::close(silent);
  EXPECT_EQ(monitor.stop(SIGTERM), 0) << dir.read("out.txt");

  EXPECT_GT(answered.load(), 20u) << "the flood was answered";
  EXPECT_GT(hugeAnswer, 0u) << "the megabyte request line is refused with an answer";
  std::printf("resident at most %ld kB, %llu requests answered\n", peakKb,
              static_cast<unsigned long long>(answered.load()));
#ifndef __SANITIZE_ADDRESS__
  // A sanitizer's shadow memory and quarantine make resident size meaningless there.
  EXPECT_LT(peakKb, 32 * 1024) << "resident memory grew to " << peakKb << " kB";
#endif
  // A record at every boundary the run passed, five minutes apart, none missing.
  const std::vector<int> minutes = recordMinutes(dir.read("monitor.txt"));
  const auto boundaries = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() / 5;
  EXPECT_GE(static_cast<long>(minutes.size()), boundaries - 1) << dir.read("out.txt");
  for (std::size_t i = 1; i < minutes.size(); ++i) {
    EXPECT_EQ(minutes[i] - minutes[i - 1], 5) << "a record is missing after record " << i;
  }
  EXPECT_EQ(dir.read("monitor.err").find("event # 13"), std::string::npos) << dir.read("monitor.err");
}

} // namespace
