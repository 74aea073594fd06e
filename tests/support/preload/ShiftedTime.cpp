// Preloaded into a monitor under test (LD_PRELOAD) to move its calendar clock by
// BAROMON_TEST_SHIFT_SECONDS: a test of the built program can then start it a few
// seconds before a five-minute boundary instead of waiting for the next one. Only
// time() moves; the monotonic clock its loop sleeps on stays as it is.
#include <cstdlib>
#include <ctime>

extern "C" std::time_t time(std::time_t* out) {
  static const long shift = [] {
    const char* text = std::getenv("BAROMON_TEST_SHIFT_SECONDS");
    return text == nullptr ? 0L : std::strtol(text, nullptr, 10);
  }();
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::time_t shifted = now.tv_sec + shift;
  if (out != nullptr) {
    *out = shifted;
  }
  return shifted;
}
