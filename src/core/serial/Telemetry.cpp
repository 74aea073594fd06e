#include "core/serial/Telemetry.h"

#include <cstdio>

#include "core/config/EventLog.h"
#include "core/domain/Rules.h"
#include "core/domain/Units.h"
#include "core/serial/Epoch.h"
#include "core/state/AppContext.h"

namespace baromon {

void reportTelemetryLink(AppContext& app) {
  platform::TelemetryOutlet* outlet = app.platform.telemetry;
  if (outlet == nullptr) {
    return;
  }
  for (auto change = outlet->poll(); change != platform::LinkChange::None; change = outlet->poll()) {
    reportEvent(app, change == platform::LinkChange::Lost ? Event::BrokerLost : Event::BrokerBack);
  }
}

void serveTelemetry(AppContext& app) {
  platform::TelemetryOutlet* outlet = app.platform.telemetry;
  if (outlet == nullptr) {
    return;
  }
  reportTelemetryLink(app);
  const CurrentReading& r = app.reading;
  // Nothing to tell before the first pressure, nor in NMEA mode, where no value is decoded.
  if (!isKxMode(app.settings.dataMode) || r.pressure == 0) {
    return;
  }
  platform::TelemetryReading values;
  values.utcSeconds = toEpochSeconds(app.platform.clock.utcNow());
  values.pressure = r.pressure;
  values.tendency1h = r.tendency1h;
  values.tendency3h = r.tendency3h;
  values.tendency6h = r.tendency6h;
  values.variation = static_cast<std::int32_t>(app.converter.variation);
  values.hasTemperature = r.temperature != kNoTemperature;
  values.temperature = r.temperature;
  values.hasVoltage = r.voltage != 0;
  values.voltage = static_cast<std::int32_t>(r.voltage);
  values.alarm = isFastFall(r.tendency1h, r.tendency3h);
  outlet->reading(values);
}

void offerRecordToTelemetry(AppContext& app) {
  if (app.platform.telemetry == nullptr || !isKxMode(app.settings.dataMode)) {
    return;
  }
  const platform::DateTime& t = app.reading.utcTime;
  char time[32];
  std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:00Z", t.year, t.month, t.day, t.hour, t.minute);
  platform::TelemetryRecord record;
  record.timeUtc = time;
  record.counter = app.acquisition.recordCounter;
  record.pressure = app.reading.pressure;
  record.tendency1h = app.reading.tendency1h;
  record.tendency3h = app.reading.tendency3h;
  record.variation = static_cast<std::int32_t>(app.converter.variation);
  app.platform.telemetry->record(record);
}

} // namespace baromon
