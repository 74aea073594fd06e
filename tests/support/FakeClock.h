#pragma once

#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace baromon::fakes {

using namespace baromon::platform;

// A clock the test sets; local time is UTC plus a fixed offset in hours.
class FakeClock final : public Clock {
public:
  DateTime utc{2026, 12, 7, 7, 5, 0, 1};
  int localOffsetHours = 0;

  DateTime utcNow() const override { return utc; }
  DateTime localNow() const override;
  // Advances UTC by whole seconds, carrying into minutes, hours and days.
  void advanceSeconds(long seconds);

  // Every pause asked for, in milliseconds; each moves the clock on (whole seconds as
  // they fill up) and then calls `onPause` with the number of pauses so far.
  std::vector<int> pauses;
  std::function<void(std::size_t)> onPause;
  void pause(int milliseconds) override;

private:
  long pausedMillis_ = 0;
};

} // namespace baromon::fakes
