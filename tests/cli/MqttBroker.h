#pragma once

// A real mosquitto broker for the tests, on a loopback port of its own, and the other
// programs a test starts beside the monitor.

#include <arpa/inet.h>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <pwd.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace baromon::clitest {

using fakes::TempDir;
using fakes::waitFor;

inline bool haveBroker() {
  return std::system("command -v mosquitto >/dev/null && command -v mosquitto_sub >/dev/null && "
                     "command -v mosquitto_passwd >/dev/null") == 0;
}

inline int loopbackListener(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) {
    ::close(fd);
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

inline int freePort() {
  int port = 0;
  ::close(loopbackListener(port));
  return port;
}

inline bool accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// Another program of the test, its output (both streams) in a file, ended by its id.
class Program {
public:
  Program(const std::string& dir, std::vector<std::string> argv, const std::string& output) {
    std::vector<char*> args;
    for (auto& a : argv) {
      args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      const int in = ::open("/dev/null", O_RDONLY);
      if (out < 0 || in < 0 || ::chdir(dir.c_str()) != 0) {
        ::_exit(120);
      }
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
  }
  ~Program() { stop(); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // SIGSTOP / SIGCONT: a broker that freezes keeps its connections open and answers nothing.
  void signal(int number) const {
    if (pid_ > 0) {
      ::kill(pid_, number);
    }
  }
  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

private:
  pid_t pid_ = -1;
};

// mosquitto on its own loopback port with its own configuration in `dir`.
class Broker {
public:
  Broker(const TempDir& dir, const std::string& config) : dir_(dir), port_(freePort()) {
    const passwd* me = ::getpwuid(::geteuid());
    // As root the broker would change to the user "mosquitto", who may not read the test's files.
    dir.write("broker.conf", "listener " + std::to_string(port_) + " 127.0.0.1\n" +
                                 (me != nullptr ? "user " + std::string(me->pw_name) + "\n" : "") + config);
    start();
  }
  void start() {
    program_ = std::make_unique<Program>(
        dir_.path(), std::vector<std::string>{"mosquitto", "-c", "broker.conf"}, dir_.file("broker.log"));
    ready_ = waitFor([&] { return accepts(port_); });
  }
  void stop() { program_->stop(); }
  void signal(int number) const { program_->signal(number); }
  bool ready() const { return ready_; }
  int port() const { return port_; }
  std::string url(const std::string& scheme = "mqtt") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_);
  }

private:
  const TempDir& dir_;
  int port_;
  bool ready_ = false;
  std::unique_ptr<Program> program_;
};

} // namespace baromon::clitest
