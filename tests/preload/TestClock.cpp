// Preloaded (LD_PRELOAD) into the built monitor by tests that run it on real files and
// devices; without its variables it changes nothing.
//
// BAROMON_TEST_CLOCK="START SPEED"  time() shows the epoch second START when the program
//                                   starts and then runs SPEED times as fast as the real
//                                   clock (0: it stands still at START). Five-minute
//                                   boundaries then come when a test wants them. Only
//                                   time() moves: the monotonic clock the loop sleeps on,
//                                   and so the loop's pace, stay as they are.
// BAROMON_TEST_REFUSE_SLEEP=1       clock_nanosleep and nanosleep fail with EPERM, as some
//                                   sandboxes make them.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Shift {
  bool on = false;
  double start = 0;     // epoch seconds shown at the program's start
  double speed = 1;     // shown seconds per real second
  double realStart = 0; // real epoch seconds at the program's start
};

// Straight to the kernel: the C library's own entry points may be what is replaced.
double realNow() {
  timespec now{};
  ::syscall(SYS_clock_gettime, CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

const Shift& shift() {
  static const Shift value = [] {
    Shift s;
    s.realStart = realNow();
    const char* text = std::getenv("BAROMON_TEST_CLOCK");
    s.on = text != nullptr && std::sscanf(text, "%lf %lf", &s.start, &s.speed) == 2 && s.speed >= 0;
    return s;
  }();
  return value;
}

bool refuseSleep() {
  const char* value = std::getenv("BAROMON_TEST_REFUSE_SLEEP");
  return value != nullptr && value[0] == '1';
}

} // namespace

extern "C" {

std::time_t time(std::time_t* out) noexcept {
  const Shift& s = shift();
  const double now = realNow();
  const auto shown = static_cast<std::time_t>(s.on ? s.start + (now - s.realStart) * s.speed : now);
  if (out != nullptr) {
    *out = shown;
  }
  return shown;
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* request,
                    struct timespec* remain) noexcept {
  if (refuseSleep()) {
    return EPERM;
  }
  return ::syscall(SYS_clock_nanosleep, clock, flags, request, remain) == 0 ? 0 : errno;
}

int nanosleep(const struct timespec* request, struct timespec* remain) noexcept {
  if (refuseSleep()) {
    errno = EPERM;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_nanosleep, request, remain));
}

} // extern "C"
