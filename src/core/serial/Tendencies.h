#pragma once

namespace baromon {

struct AppContext;

// Supplies the one- and three-hour tendencies where the device reported exactly
// 0, and the six-hour tendency, from the five-minute pressure history.
void updateTendencies(AppContext& app);
// At a five-minute boundary: the history moves one place older and takes the current pressure.
void pushFiveMinuteHistory(AppContext& app);
// At a five-minute boundary: one beep when beepOnFastFall is on and the pressure falls fast.
void checkPressureAlarm(AppContext& app);

} // namespace baromon
