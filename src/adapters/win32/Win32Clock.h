#pragma once

#include "platform/Clock.h"

namespace baromon::platform {

// GetSystemTime for UTC, GetLocalTime for the local time of the event log.
class Win32Clock final : public Clock {
public:
  DateTime utcNow() const override;
  DateTime localNow() const override;
  void pause(int milliseconds) override; // Sleep
};

} // namespace baromon::platform
