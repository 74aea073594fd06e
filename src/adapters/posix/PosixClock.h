#pragma once

#include "platform/Clock.h"

namespace baromon::platform {

class PosixClock final : public Clock {
public:
  DateTime utcNow() const override;
  DateTime localNow() const override;
  // nanosleep, or poll where nanosleep is refused.
  void pause(int milliseconds) override;
};

} // namespace baromon::platform
