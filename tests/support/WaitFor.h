#pragma once

#include <chrono>
#include <thread>

namespace baromon::fakes {

// Waits until `condition()` holds or the deadline has passed, asking every few
// milliseconds; true when it held. Tests of other processes and threads wait for what
// they need to see, never a fixed time: a loaded machine only makes them slower.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

} // namespace baromon::fakes
