#include "core/program/LiveValues.h"

#include "core/domain/Rules.h"
#include "core/serial/Epoch.h"
#include "core/serial/Sentences.h"
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
  // The barograph's $WIXDR frames follow its $PXDR within the second, so "the last line"
  // would read as invalid most of the time: a reader wants to know whether the values are live.
  // "Never" is the lowest second there is, which no subtraction survives.
  const std::int64_t last = app.acquisition.lastReadingSecond;
  if (last != kNoDeviceSecond) {
    const std::int64_t since = toEpochSeconds(app.platform.clock.utcNow()) - last;
    v.valid = since >= 0 && since < kDeviceHoldSeconds;
  }
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
