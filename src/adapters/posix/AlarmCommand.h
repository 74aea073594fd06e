#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/Outlets.h"

namespace baromon::platform {

// `--on-alarm CMD`: each fast-fall alarm runs CMD through /bin/sh in a process group
// of its own, the values in BAROMON_PRESSURE_HPA, BAROMON_TENDENCY_1H_HPA,
// BAROMON_TENDENCY_3H_HPA and BAROMON_TIME_UTC (never in the command line, so no
// reading becomes shell text). The monitor never waits: `poll` collects the ended
// ones without blocking and ends, with its whole group, one still running after
// `kRunLimitSeconds`. With `reportOnStderr` (headless) every alarm is also one line
// on standard error, command or not.
class AlarmCommand final : public AlarmHook {
public:
  static constexpr std::int64_t kRunLimitSeconds = 60;

  // `monotonicSeconds` defaults to CLOCK_MONOTONIC; tests step their own.
  AlarmCommand(std::string command, bool reportOnStderr, std::function<std::int64_t()> monotonicSeconds = {});
  void alarm(const AlarmReport& report) override;
  void poll() override;
  std::size_t running() const { return children_.size(); }

private:
  struct Child {
    pid_t pid;
    std::int64_t started;
  };
  std::string command_;
  bool reportOnStderr_;
  std::function<std::int64_t()> now_;
  std::vector<Child> children_;
};

} // namespace baromon::platform
