// baromon-sim: a barograph (or a GPS) on a pseudo-terminal, a device or a file,
// for trying the monitor without hardware; it can also write a ready-made log.

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "sim/BarographSimulator.h"

namespace {

void usage(std::FILE* out) {
  std::fputs("Usage: baromon-sim (--pty | --device PATH) [OPTION]...\n"
             "       baromon-sim --log DAYS --out FILE [--fall HPA_PER_HOUR] [--seed N]\n"
             "Sends barograph sentences ($PXDR, $WIXDR) like the real device.\n"
             "\n"
             "  --pty                 create a pseudo-terminal; its path is the first output line\n"
             "  --device PATH         write to an existing device or file instead\n"
             "  --interval SECONDS    one $PXDR per interval (default 1)\n"
             "  --fall HPA_PER_HOUR   let the pressure fall like in a storm\n"
             "  --pace                send at the pace of 4800 Bd instead of whole lines\n"
             "  --nmea                send GPS sentences ($GPRMC, $GPGGA) for NMEA mode\n"
             "  --count N             stop after N intervals\n"
             "  --from EPOCH          simulated time starts at EPOCH (seconds since 1970, UTC)\n"
             "  --fast                do not wait between intervals (with --from: a recording)\n"
             "  --base HPA            mean pressure (default 1008)\n"
             "  --seed N              choose another weather pattern\n"
             "  --log DAYS --out FILE write DAYS days of five-minute records ending now, then exit\n",
             out);
}

double monotonicNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void sleepUntil(double when) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(when);
  ts.tv_nsec = static_cast<long>((when - static_cast<double>(ts.tv_sec)) * 1e9);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

// Writes everything, or drops what does not fit when nobody reads (a real
// device keeps sending whether anyone listens or not).
bool sendBytes(int fd, const char* data, std::size_t size, bool dropWhenFull) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO) && dropWhenFull) {
      return true; // nobody listening on the pseudo-terminal right now
    }
    return false;
  }
  return true;
}

int writeLog(const baromon::sim::BarographSimulator& sim, double days, const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "baromon-sim: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  const std::int64_t last = static_cast<std::int64_t>(std::time(nullptr)) / 300 * 300;
  const auto records = static_cast<std::int64_t>(days * 288.0);
  std::uint32_t counter = 0;
  for (std::int64_t i = records - 1; i >= 0; --i) {
    counter = counter >= 999999 ? 1 : counter + 1;
    const std::string record = sim.logRecord(counter, last - i * 300);
    std::fwrite(record.data(), 1, record.size(), out);
  }
  if (std::fclose(out) != 0) {
    std::fprintf(stderr, "baromon-sim: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}

// What the command line asks for.
struct Arguments {
  bool pty = false, pace = false, nmea = false, fast = false;
  std::int64_t from = -1;
  std::string device, out;
  double interval = 1.0, logDays = -1.0;
  long count = -1;
  baromon::sim::SimulatorOptions options;
};

constexpr int kCarryOn = -1;

// Reads the options into `args`; kCarryOn, or the exit status when there is
// nothing more to do.
int parseArguments(int argc, char** argv, Arguments& args) {
  baromon::sim::SimulatorOptions& options = args.options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "baromon-sim: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--pty")
      args.pty = true;
    else if (arg == "--device")
      args.device = value();
    else if (arg == "--interval")
      args.interval = std::atof(value());
    else if (arg == "--fall")
      options.fallPerHour = std::atof(value());
    else if (arg == "--pace")
      args.pace = true;
    else if (arg == "--nmea")
      args.nmea = true;
    else if (arg == "--count")
      args.count = std::atol(value());
    else if (arg == "--from")
      args.from = std::atoll(value());
    else if (arg == "--fast")
      args.fast = true;
    else if (arg == "--base")
      options.basePressure = std::atof(value());
    else if (arg == "--seed")
      options.seed = static_cast<std::uint32_t>(std::strtoul(value(), nullptr, 10));
    else if (arg == "--log")
      args.logDays = std::atof(value());
    else if (arg == "--out")
      args.out = value();
    else if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "baromon-sim: unknown argument '%s'\n", arg.c_str());
      usage(stderr);
      return 2;
    }
  }
  return kCarryOn;
}

// A new pseudo-terminal, its path printed as the first output line; the
// master's descriptor, or -1. `slave` receives our own hold on the other end.
int openPseudoTerminal(int& slave) {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
    std::perror("baromon-sim: pseudo-terminal");
    return -1;
  }
  const char* name = ::ptsname(fd);
  if (name == nullptr) {
    std::perror("baromon-sim: ptsname");
    return -1;
  }
  const std::string path = name;
  // Holding our own end open keeps the terminal alive while the monitor
  // closes and reopens it; raw mode keeps the line discipline from echoing.
  slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (slave >= 0) {
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
      ::cfmakeraw(&tio);
      ::tcsetattr(slave, TCSANOW, &tio);
    }
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  std::printf("%s\n", path.c_str());
  std::fflush(stdout);
  return fd;
}

int openDevice(const std::string& device) {
  const int fd = ::open(device.c_str(), O_WRONLY | O_NOCTTY | O_APPEND | O_CREAT, 0644);
  if (fd < 0) {
    std::fprintf(stderr, "baromon-sim: cannot open %s: %s\n", device.c_str(), std::strerror(errno));
  }
  return fd;
}

// One frame, whole or byte by byte at the pace of the line; false when the
// write failed (reported).
bool sendFrame(int fd, const std::string& frame, const Arguments& args) {
  const double byteTime = 10.0 / 4800.0; // start, 8 data bits, stop
  if (args.pace) {
    double at = monotonicNow();
    for (char c : frame) {
      if (!sendBytes(fd, &c, 1, args.pty)) {
        std::perror("baromon-sim: write");
        return false;
      }
      at += byteTime;
      if (!args.fast) {
        sleepUntil(at);
      }
    }
  } else if (!sendBytes(fd, frame.data(), frame.size(), args.pty)) {
    std::perror("baromon-sim: write");
    return false;
  }
  return true;
}

// Sends an interval's sentences until the count is reached; the exit status.
int sendIntervals(int fd, const baromon::sim::BarographSimulator& sim, const Arguments& args) {
  const double interval = args.interval;
  const std::int64_t from = args.from;
  double next = monotonicNow();
  for (long n = 0; args.count < 0 || n < args.count; ++n) {
    const auto t = from >= 0
                       ? from + static_cast<std::int64_t>(std::llround(static_cast<double>(n) * interval))
                       : static_cast<std::int64_t>(std::time(nullptr));
    const std::vector<std::string> frames = args.nmea ? sim.gpsSentences(t) : sim.barographFrames(t);
    for (std::size_t k = 0; k < frames.size(); ++k) {
      // Spread the frames over the interval, as the device does, so that each
      // usually arrives in a timer tick of its own.
      if (!args.fast) {
        sleepUntil(next + interval * static_cast<double>(k) / static_cast<double>(frames.size()));
      }
      if (!sendFrame(fd, frames[k], args)) {
        return 1;
      }
    }
    next += interval;
    if (!args.fast) {
      sleepUntil(next);
    }
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  Arguments args;
  args.options.start = static_cast<std::int64_t>(std::time(nullptr));
  if (const int status = parseArguments(argc, argv, args); status != kCarryOn) {
    return status;
  }

  if (args.from >= 0) {
    args.options.start = args.from;
  }
  baromon::sim::BarographSimulator sim(args.options);
  if (args.logDays >= 0.0) {
    if (args.out.empty()) {
      std::fputs("baromon-sim: --log needs --out FILE\n", stderr);
      return 2;
    }
    return writeLog(sim, args.logDays, args.out);
  }
  if (args.pty == !args.device.empty() || !(args.interval > 0.0)) {
    usage(stderr);
    return 2;
  }

  std::signal(SIGPIPE, SIG_IGN);
  int slave = -1;
  const int fd = args.pty ? openPseudoTerminal(slave) : openDevice(args.device);
  if (fd < 0) {
    return 1;
  }
  const int status = sendIntervals(fd, sim, args);
  if (status != 0) {
    return status;
  }
  if (slave >= 0) {
    ::close(slave);
  }
  ::close(fd);
  return 0;
}
