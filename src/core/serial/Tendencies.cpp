#include "core/serial/Tendencies.h"

#include <cstdio>

#include "core/state/AppContext.h"
#include "core/domain/Rules.h"
#include "core/domain/Units.h"

namespace baromon {

void updateTendencies(AppContext& app) {
  CurrentReading& r = app.reading;
  const FiveMinuteHistory& h = app.fiveMinute;
  const std::int32_t p = r.pressure;
  // Differences in hundredths become tenths by truncation toward zero, as C division does.
  if (r.tendency1h == 0 && h[kOneHourBack] != 0) {
    r.tendency1h = tenthsFromHundredths(p - h[kOneHourBack]);
  }
  if (r.tendency3h == 0 && h[kThreeHoursBack] != 0) {
    r.tendency3h = tenthsFromHundredths(p - h[kThreeHoursBack]);
  }
  if (sixHourTendencyKnown(h)) {
    r.tendency6h = tenthsFromHundredths(p - h[kSixHoursBack]);
  }
  r.tendency1h = clampTenths(r.tendency1h);
  r.tendency3h = clampTenths(r.tendency3h);
  r.tendency6h = clampTenths(r.tendency6h);
}

void pushFiveMinuteHistory(AppContext& app) {
  FiveMinuteHistory& h = app.fiveMinute;
  for (std::size_t i = h.size() - 1; i > 0; --i) {
    h[i] = h[i - 1];
  }
  h[0] = app.reading.pressure;
}

namespace {

platform::AlarmReport alarmReport(const CurrentReading& r) {
  platform::AlarmReport report;
  char text[64];
  const std::int32_t p = r.pressure;
  const std::uint32_t magnitude = p < 0 ? 0u - static_cast<std::uint32_t>(p) : static_cast<std::uint32_t>(p);
  std::snprintf(text, sizeof text, "%s%lu.%02lu", p < 0 ? "-" : "",
                static_cast<unsigned long>(magnitude / 100), static_cast<unsigned long>(magnitude % 100));
  report.pressureHpa = text;
  std::snprintf(text, sizeof text, "%.1f", hpaFromTenths(r.tendency1h));
  report.tendency1hHpa = text;
  std::snprintf(text, sizeof text, "%.1f", hpaFromTenths(r.tendency3h));
  report.tendency3hHpa = text;
  const platform::DateTime& t = r.utcTime;
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  report.timeUtc = text;
  return report;
}

} // namespace

void checkPressureAlarm(AppContext& app) {
  const bool hooked = app.platform.alarmHook != nullptr;
  if (app.settings.beepOnFastFall == 0 && !hooked) {
    return;
  }
  if (!isFastFall(app.reading.tendency1h, app.reading.tendency3h)) {
    return;
  }
  if (app.settings.beepOnFastFall != 0) {
    app.platform.boxes.beep(platform::BeepKind::Default);
  }
  // The hook hears of every alarm, whether the beep is on or not.
  if (hooked) {
    app.platform.alarmHook->alarm(alarmReport(app.reading));
  }
}

} // namespace baromon
