#pragma once

#include <cstddef>

#include "core/serial/AcquisitionState.h"

namespace baromon {

struct AppContext;

// Places in the five-minute history of the boundaries 55, 175 and 355 minutes before the newest.
inline constexpr std::size_t kOneHourBack = 11;
inline constexpr std::size_t kThreeHoursBack = 35;
inline constexpr std::size_t kSixHoursBack = 71;
static_assert(kSixHoursBack < kFiveMinuteEntries);

// Until a pressure from six hours back exists, the six-hour tendency means nothing.
inline bool sixHourTendencyKnown(const FiveMinuteHistory& history) { return history[kSixHoursBack] != 0; }

// Supplies the one- and three-hour tendencies where the device reported exactly
// 0, and the six-hour tendency, from the five-minute pressure history.
void updateTendencies(AppContext& app);
// At a five-minute boundary: the history moves one place older and takes the current pressure.
void pushFiveMinuteHistory(AppContext& app);
// At a five-minute boundary: one beep when beepOnFastFall is on and the pressure falls fast.
void checkPressureAlarm(AppContext& app);

} // namespace baromon
