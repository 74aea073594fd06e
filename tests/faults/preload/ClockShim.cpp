// Loaded into the monitor under test with LD_PRELOAD; changes nothing unless asked.
//
// BAROMON_SHIM_UTC=SECONDS    time() answers this instant, so a run started at any
//                             moment meets a five-minute boundary with its first sentence.
// BAROMON_SHIM_REFUSE_SLEEP=1 clock_nanosleep and nanosleep fail with EPERM, as some
//                             sandboxes make them.
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool refuseSleep() {
  const char* value = getenv("BAROMON_SHIM_REFUSE_SLEEP");
  return value != nullptr && value[0] == '1';
}
} // namespace

extern "C" {

time_t time(time_t* out) noexcept {
  const char* fixed = getenv("BAROMON_SHIM_UTC");
  time_t now;
  if (fixed != nullptr) {
    now = static_cast<time_t>(std::strtoll(fixed, nullptr, 10));
  } else {
    timespec ts{};
    syscall(SYS_clock_gettime, CLOCK_REALTIME, &ts);
    now = ts.tv_sec;
  }
  if (out != nullptr) {
    *out = now;
  }
  return now;
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* request,
                    struct timespec* remain) noexcept {
  if (refuseSleep()) {
    return EPERM;
  }
  return syscall(SYS_clock_nanosleep, clock, flags, request, remain) == 0 ? 0 : errno;
}

int nanosleep(const struct timespec* request, struct timespec* remain) noexcept {
  if (refuseSleep()) {
    errno = EPERM;
    return -1;
  }
  return static_cast<int>(syscall(SYS_nanosleep, request, remain));
}
} // extern "C"
