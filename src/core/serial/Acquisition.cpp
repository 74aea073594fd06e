#include "core/serial/Acquisition.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/domain/Rules.h"
#include "core/domain/Units.h"
#include "core/serial/Decoders.h"
#include "core/serial/Epoch.h"
#include "core/serial/SerialPort.h"
#include "core/serial/Telemetry.h"
#include "core/serial/Tendencies.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

using platform::WindowId;

constexpr std::size_t kMaxBytesPerTick = 512;
constexpr std::size_t kWarnBytesWaiting = 255;
// A network source's share of one tick: seconds of a 38400 Bd stream, still a bounded tick.
constexpr std::size_t kMaxStreamBytesPerTick = std::size_t{64} * 1024;
constexpr std::size_t kNmeaKeptRows = 82;   // rows 0..81 hold sentences
constexpr std::size_t kNmeaRowCopy = 127;   // bytes moved per row
constexpr std::uint32_t kNmeaMaxLine = 126; // characters kept of one sentence

constexpr const char* kLiveTitles[] = {
    "Dureridarovidozi %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/Std %+4.1f hPa/3Std ",
    "Air pressure monitor %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/hr %+4.1f hPa/3hrs ",
    "Moniteur pression atmospherique %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/hr %+4.1f hPa/3hr ",
    "Duvozarezeroduva %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/uur %+4.1f hPa/3uur ",
    "Pressione atmosferica %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/ora %+4.1f hPa/3ore ",
    "monitor pression atmosferica %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/ora %+4.1f hPa/3oras ",
};

std::int64_t nowSeconds(const AppContext& app) { return toEpochSeconds(app.platform.clock.utcNow()); }

// The device went away under us: release it at once (so it can come back under
// the same name), say so once, and leave reopening to later ticks.
void portVanished(AppContext& app) {
  SerialLink& link = app.serial;
  link.device.reset();
  link.open = false;
  retryPortLater(app);
  // A line cut by the loss would otherwise be glued to the first line after the return.
  app.acquisition.fillCount = 0;
  app.acquisition.lastByte = 0;
  // A loss is news again only when the source brought a line since the last one
  // reported: a peer that accepts and closes at once is one event, not one per attempt.
  if (app.acquisition.linesReceived != link.linesAtLoss) {
    link.lossReported = false;
  }
  if (!link.lossReported) {
    reportEvent(app, Event::PortReadError);
  }
  link.lossReported = true;
  link.linesAtLoss = app.acquisition.linesReceived;
}

void retryLostPort(AppContext& app) {
  SerialLink& link = app.serial;
  const std::int64_t now = nowSeconds(app);
  // A clock set back must not postpone the attempts by the size of the jump.
  if (now < link.nextRetry && now > link.nextRetry - kReopenIntervalSeconds - 1) {
    return;
  }
  link.nextRetry = now + kReopenIntervalSeconds;
  openSerialPort(app, 0);
  if (!link.open) {
    link.lost = true;
  }
}

void processKxLine(AppContext& app) {
  AcquisitionState& acq = app.acquisition;
  CurrentReading& r = app.reading;

  ++acq.sentenceCount;
  acq.ticksSinceSentence = 0;
  if (acq.sentenceCount > kCounterLimit) {
    acq.sentenceCount = 0;
  }

  SentenceEffect effect;
  decodeSentence(app, &effect);
  if (effect.rejected) {
    ++acq.sentencesRejected;
  }
  if (effect.pressure && app.platform.nmeaOutlet != nullptr) {
    // The barograph sends its pressure twice a second ($PXDR and $WIXDR); plotters want it once.
    const std::int64_t second = nowSeconds(app);
    if (second != acq.lastServedSecond) {
      acq.lastServedSecond = second;
      app.platform.nmeaOutlet->send(servedPressureSentence(r.pressure));
    }
  }
  if (r.valid == 1) {
    ++acq.sentencesAccepted;
    updateTendencies(app);
    if (app.fiveMinute[0] == 0 && r.pressure != 0) {
      app.fiveMinute[0] = r.pressure;
    }
  }

  r.utcTime = app.platform.clock.utcNow();
  const bool boundaryMinute = r.utcTime.minute / 5 * 5 == r.utcTime.minute;
  const std::int64_t slot = fiveMinuteSlot(r.utcTime);

  char values[64];
  std::snprintf(values, sizeof values, "NMEA link %3lu", static_cast<unsigned long>(acq.sentenceCount));
  app.platform.windows.setTitle(WindowId::Values, values);

  if (r.adValue != 0) {
    updateConverterStats(app.converter, r.adValue);
  }

  app.platform.windows.setTitle(WindowId::Main, barographLiveTitle(app));
  app.platform.windows.invalidate(WindowId::Values);
  app.platform.windows.invalidate(WindowId::Converter);

  if (r.valid == 1 && boundaryMinute && slot != acq.lastSlot) {
    acq.lastSlot = slot;
    pushFiveMinuteHistory(app);
    if (app.settings.SAVE != 0 && r.pressure != 0) {
      ++acq.recordCounter;
      if (acq.recordCounter > kCounterLimit) {
        acq.recordCounter = 1;
      }
      appendRecord(app);
      offerRecordToTelemetry(app);
    }
    loadHistory(app);
    app.platform.windows.invalidate(WindowId::Main);
    checkPressureAlarm(app);
  }
}

void processNmeaLine(AppContext& app) {
  AcquisitionState& acq = app.acquisition;
  if (acq.fillCount == 0 || acq.receiveBuffer[0] != '$') {
    return;
  }
  ++acq.sentencesAccepted;
  ++acq.nmeaCount;
  for (std::size_t row = kNmeaKeptRows - 1; row > 0; --row) {
    std::memcpy(app.nmea[row].data(), app.nmea[row - 1].data(), kNmeaRowCopy);
  }
  const std::uint32_t length = std::min(acq.fillCount, kNmeaMaxLine);
  std::memset(app.nmea[0].data(), 0, kNmeaRowCopy);
  std::memcpy(app.nmea[0].data(), acq.receiveBuffer.data(), length);
  appendNmeaSentence(app, acq.receiveBuffer.data(), acq.fillCount);
  if (app.platform.nmeaOutlet != nullptr) {
    app.platform.nmeaOutlet->send(std::string(acq.receiveBuffer.data(), acq.fillCount));
  }
  app.platform.windows.invalidate(WindowId::Main);
  char title[64];
  std::snprintf(title, sizeof title, "%lu NMEA - Datens\xE4tze ", static_cast<unsigned long>(acq.nmeaCount));
  app.platform.windows.setTitle(WindowId::Main, title);
}

void processLine(AppContext& app) {
  AcquisitionState& acq = app.acquisition;
  acq.receiveBuffer[acq.fillCount] = '\0';
  ++acq.linesReceived;
  if (app.settings.DATA == 1) {
    processKxLine(app);
  } else {
    processNmeaLine(app);
  }
  acq.fillCount = 0;
}

// The one line splitter of both sources: every line feed ends a line, however many
// come in one tick, so each sentence is decoded or recorded on its own. At 4800 Bd a
// $PXDR and its $WIXDR frames mostly share a 200 ms tick, and a fast network talker
// loses nothing. Past the buffer's size the rest of a line is dropped; its line feed
// still ends it.
void takeByte(AppContext& app, std::uint8_t byte) {
  AcquisitionState& acq = app.acquisition;
  if (acq.fillCount < static_cast<std::uint32_t>(kReceiveBufferSize)) {
    acq.receiveBuffer[acq.fillCount++] = static_cast<char>(byte);
  }
  acq.lastByte = byte;
  if (byte == '\n') {
    processLine(app);
  }
}

// A network source: no event for its rate.
int readLineStream(AppContext& app) {
  SerialLink& link = app.serial;
  const auto status = link.device->status();
  if (!status) {
    if (link.device->hungUp()) {
      portVanished(app);
    }
    return 1;
  }
  const std::size_t count = std::min(status->waiting, kMaxStreamBytesPerTick);
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = link.device->readByte();
    if (!byte) {
      break;
    }
    takeByte(app, *byte);
  }
  return 0;
}

} // namespace

void retryPortLater(AppContext& app) {
  app.serial.lost = true;
  app.serial.nextRetry = nowSeconds(app) + kReopenIntervalSeconds;
}

std::string servedPressureSentence(std::int32_t pressure) {
  // Hundredths of a hPa are hundred-thousandths of a bar: five decimals, exactly.
  const std::uint32_t magnitude =
      pressure < 0 ? 0u - static_cast<std::uint32_t>(pressure) : static_cast<std::uint32_t>(pressure);
  char body[64];
  std::snprintf(body, sizeof body, "WIXDR,P,%s%lu.%05lu,B,Barometer", pressure < 0 ? "-" : "",
                static_cast<unsigned long>(magnitude / 100000),
                static_cast<unsigned long>(magnitude % 100000));
  unsigned checksum = 0;
  for (const char* c = body; *c != '\0'; ++c) {
    checksum ^= static_cast<unsigned char>(*c);
  }
  char line[80];
  std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, checksum);
  return line;
}

std::int64_t fiveMinuteSlot(const platform::DateTime& utc) {
  // Room for every field's range (month < 16, day < 32), so distinct times never share a slot.
  std::int64_t slot = utc.year;
  slot = slot * 16 + utc.month;
  slot = slot * 32 + utc.day;
  slot = slot * 24 + utc.hour;
  return slot * 12 + utc.minute / 5;
}

std::string barographLiveTitle(const AppContext& app) {
  const CurrentReading& r = app.reading;
  char buffer[256];
  int n = std::snprintf(buffer, sizeof buffer, inLanguage(kLiveTitles, app.settings.LANG),
                        static_cast<unsigned long>(app.acquisition.sentenceCount), r.utcTime.hour,
                        r.utcTime.minute, hpaFromHundredths(r.pressure), hpaFromTenths(r.tendency1h),
                        hpaFromTenths(r.tendency3h));
  std::string title(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
  if (r.voltage != 0) {
    std::snprintf(buffer, sizeof buffer, "U: %2.1fV ", voltsFromTenths(static_cast<std::int32_t>(r.voltage)));
    title += buffer;
  }
  if (r.temperature > -999) {
    std::snprintf(buffer, sizeof buffer, "Temp: %+4.1f C ", celsiusFromTenths(r.temperature));
    title += buffer;
  }
  return title;
}

int acquisitionTick(AppContext& app) {
  SerialLink& link = app.serial;

  // Records held up by a failed append go out on the next tick that can write them,
  // whether or not the device sends anything and even while a print job has the port.
  if (!app.recording.pending.empty() && appendPendingRecords(app) > 0) {
    loadHistory(app);
    app.platform.windows.invalidate(WindowId::Main);
  }

  if (link.lost) {
    retryLostPort(app);
    if (link.lost) {
      return 1;
    }
  }
  if (!link.open || !link.device) {
    return 1; // never opened, or the handle was given away for a print job
  }
  if (link.device->lineStream()) {
    return readLineStream(app);
  }

  const auto status = link.device->status();
  if (!status) {
    if (link.device->hungUp()) {
      portVanished(app);
    }
    return 1;
  }
  if (status->errors.any()) {
    return 1; // the query cleared the error; the bytes wait for the next tick
  }
  const std::size_t waiting = status->waiting;
  if (waiting == 0) {
    return 0;
  }
  if (waiting > kWarnBytesWaiting) {
    reportEvent(app, Event::ManyBytesWaiting);
  }

  const std::size_t count = std::min(waiting, kMaxBytesPerTick);
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = link.device->readByte();
    if (!byte) {
      if (link.device->hungUp()) {
        portVanished(app);
        return 1;
      }
      reportEvent(app, Event::PortReadError);
      continue;
    }
    takeByte(app, *byte);
  }
  return 0;
}

} // namespace baromon
