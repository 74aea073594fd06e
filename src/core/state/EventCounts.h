#pragma once

#include <array>
#include <cstdint>

namespace baromon {

// How often each event number was reported in this run, whether or not logEvents let it into
// monitor.err (the metrics of the web server show them). Numbers of 128 and more are
// not counted.
struct EventCounts {
  static constexpr int kNumbers = 128;
  std::array<std::uint64_t, kNumbers> byNumber{};
};

} // namespace baromon
