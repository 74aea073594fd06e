#include "core/program/LiveValues.h"

#include "core/domain/Rules.h"
#include "core/serial/Tendencies.h"
#include "core/state/AppContext.h"

namespace baromon {

LiveValues liveValues(const AppContext& app) {
  const CurrentReading& r = app.reading;
  LiveValues v;
  v.published = true;
  v.hasPressure = r.pressure != 0;
  v.utcTime = r.utcTime;
  v.pressure = r.pressure;
  v.tendency1h = r.tendency1h;
  v.tendency3h = r.tendency3h;
  v.tendency6h = r.tendency6h;
  v.sixHourKnown = sixHourTendencyKnown(app.fiveMinute);
  v.variation = app.converter.variation;
  v.temperature = r.temperature;
  v.hasTemperature = r.temperature > -99;
  v.voltage = r.voltage;
  v.valid = r.valid;
  v.fallsFast1h = fallsFastInOneHour(r.tendency1h);
  v.fallsFast3h = fallsFastInThreeHours(r.tendency3h);
  v.fallsMarkedly6h = v.sixHourKnown && fallsMarkedlyInSixHours(r.tendency6h);
  v.fastFall = isFastFall(r.tendency1h, r.tendency3h);
  v.linesReceived = app.acquisition.linesReceived;
  v.sentencesValid = app.acquisition.sentencesAccepted;
  v.sentencesRejected = app.acquisition.sentencesRejected;
  v.recordsWritten = app.recording.written;
  v.recordsWaiting = app.recording.pending.size();
  v.events = app.events;
  v.settings = app.settings;
  return v;
}

} // namespace baromon
