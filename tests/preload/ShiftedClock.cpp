// Preloaded (LD_PRELOAD) into a program under test so that its calendar clock
// runs from a chosen instant at a chosen speed: five-minute boundaries then pass
// in seconds, on the real program, its real files and a real device. Only time()
// is replaced; it is what the program reads the date and time through.
//
// BAROMON_TEST_CLOCK holds "START SPEED": the epoch second the clock shows when
// the program starts, and how many of its seconds pass per real second. Without
// it the clock is the system's.

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct Shift {
  bool on = false;
  double start = 0;     // epoch seconds shown at the program's start
  double speed = 1;     // shown seconds per real second
  double realStart = 0; // real epoch seconds at the program's start
};

double realNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

const Shift& shift() {
  static const Shift value = [] {
    Shift s;
    s.realStart = realNow();
    const char* text = std::getenv("BAROMON_TEST_CLOCK");
    s.on = text != nullptr && std::sscanf(text, "%lf %lf", &s.start, &s.speed) == 2 && s.speed > 0;
    return s;
  }();
  return value;
}

} // namespace

extern "C" std::time_t time(std::time_t* out) {
  const Shift& s = shift();
  const double now = realNow();
  const auto shown = static_cast<std::time_t>(s.on ? s.start + (now - s.realStart) * s.speed : now);
  if (out != nullptr) {
    *out = shown;
  }
  return shown;
}
