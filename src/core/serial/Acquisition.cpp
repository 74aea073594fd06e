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
#include "core/serial/Sentences.h"
#include "core/serial/SerialPort.h"
#include "core/serial/ServedSentences.h"
#include "core/serial/Telemetry.h"
#include "core/serial/Tendencies.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

constexpr std::size_t kMaxBytesPerTick = 512;
constexpr std::size_t kWarnBytesWaiting = 255;
// A network source's share of one tick: seconds of a 38400 Bd stream, still a bounded tick.
constexpr std::size_t kMaxStreamBytesPerTick = std::size_t{64} * 1024;
constexpr std::size_t kNmeaRowCopy = kNmeaLineKept + 1; // the line and its terminator

std::int64_t nowSeconds(const AppContext& app) { return toEpochSeconds(app.platform.clock.utcNow()); }

// The device went away under us: release it at once (so it can come back under
// the same name), say so once, and leave reopening to later ticks.
void portVanished(AppContext& app) {
  SerialLink& link = app.serial;
  const bool network = link.device->lineStream();
  const std::string source = link.device->source();
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
    // A network source is named as one: its loss is the peer's, not a COM port's.
    if (network) {
      reportEvent(app, Event::SourceLost, source);
      link.lostSource = source;
    } else {
      reportEvent(app, Event::PortReadError);
    }
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
  openSerialPort(app, PortErrors::Quiet);
  if (!link.open) {
    link.lost = true;
  }
}

void processKxLine(AppContext& app, AcquisitionChanges& changes) {
  AcquisitionState& acq = app.acquisition;
  CurrentReading& r = app.reading;

  ++acq.sentenceCount;
  acq.ticksSinceSentence = 0;
  if (acq.sentenceCount > kCounterLimit) {
    acq.sentenceCount = 0;
  }

  const SentenceEffect effect =
      decodeSentence(r, acq.receiveBuffer.data(), acq.fillCount, app.settings.heightCorrection);
  if (effect.rejected) {
    ++acq.sentencesRejected;
  }
  // A valid $PXDR, or another barometer's pressure while the barograph is silent.
  const bool reading = adoptOtherBarometer(app, effect) || r.valid;
  if (effect.pressure || reading) {
    serveReading(app);
  }
  if (reading) {
    ++acq.sentencesAccepted;
    updateTendencies(app);
    if (app.fiveMinute[0] == 0 && r.pressure != 0) {
      app.fiveMinute[0] = r.pressure;
    }
  }

  r.utcTime = app.platform.clock.utcNow();
  const bool boundaryMinute = r.utcTime.minute / 5 * 5 == r.utcTime.minute;
  const std::int64_t slot = fiveMinuteSlot(r.utcTime);

  if (r.adValue != 0) {
    updateConverterStats(app.converter, r.adValue);
  }
  changes.barographLine = true;

  if (reading && boundaryMinute && slot != acq.lastSlot) {
    acq.lastSlot = slot;
    pushFiveMinuteHistory(app);
    if (app.settings.recordInterval != 0 && r.pressure != 0) {
      ++acq.recordCounter;
      if (acq.recordCounter > kCounterLimit) {
        acq.recordCounter = 1;
      }
      appendRecord(app);
      offerRecordToTelemetry(app);
    }
    changes.logGrew = true;
    checkPressureAlarm(app);
  }
}

void processNmeaLine(AppContext& app, AcquisitionChanges& changes) {
  AcquisitionState& acq = app.acquisition;
  if (acq.fillCount == 0 || acq.receiveBuffer[0] != '$') {
    return;
  }
  ++acq.sentencesAccepted;
  ++acq.nmeaCount;
  for (std::size_t row = kNmeaRows - 1; row > 0; --row) {
    std::memcpy(app.nmea[row].data(), app.nmea[row - 1].data(), kNmeaRowCopy);
  }
  const std::uint32_t length = std::min(acq.fillCount, static_cast<std::uint32_t>(kNmeaLineKept));
  std::memset(app.nmea[0].data(), 0, kNmeaRowCopy);
  std::memcpy(app.nmea[0].data(), acq.receiveBuffer.data(), length);
  appendNmeaSentence(app, acq.receiveBuffer.data(), acq.fillCount);
  if (app.platform.nmeaOutlet != nullptr) {
    app.platform.nmeaOutlet->send(std::string(acq.receiveBuffer.data(), acq.fillCount));
  }
  changes.sentenceList = true;
}

void processLine(AppContext& app, AcquisitionChanges& changes) {
  AcquisitionState& acq = app.acquisition;
  acq.receiveBuffer[acq.fillCount] = '\0';
  ++acq.linesReceived;
  if (isKxMode(app.settings.dataMode)) {
    processKxLine(app, changes);
  } else {
    processNmeaLine(app, changes);
  }
  acq.fillCount = 0;
}

// The one line splitter of both sources: every line feed ends a line, however many
// come in one tick, so each sentence is decoded or recorded on its own. At 4800 Bd a
// $PXDR and its $WIXDR frames mostly share a 200 ms tick, and a fast network talker
// loses nothing. Past the buffer's size the rest of a line is dropped; its line feed
// still ends it.
void takeByte(AppContext& app, std::uint8_t byte, AcquisitionChanges& changes) {
  AcquisitionState& acq = app.acquisition;
  if (acq.fillCount < static_cast<std::uint32_t>(kReceiveBufferSize)) {
    acq.receiveBuffer[acq.fillCount++] = static_cast<char>(byte);
  }
  acq.lastByte = byte;
  if (byte == '\n') {
    processLine(app, changes);
  }
}

// A network source: no event for its rate.
bool readLineStream(AppContext& app, AcquisitionChanges& changes) {
  SerialLink& link = app.serial;
  const auto status = link.device->status();
  if (!status) {
    if (link.device->hungUp()) {
      portVanished(app);
    }
    return false;
  }
  const std::size_t count = std::min(status->waiting, kMaxStreamBytesPerTick);
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = link.device->readByte();
    if (!byte) {
      break;
    }
    takeByte(app, *byte, changes);
  }
  // Back only once it speaks again: a UDP port binds and a peer may accept and close
  // at once, so a reopen alone proves nothing.
  if (!link.lostSource.empty() && app.acquisition.linesReceived != link.linesAtLoss) {
    reportEvent(app, Event::SourceBack, link.lostSource);
    link.lostSource.clear();
  }
  return true;
}

bool readPort(AppContext& app, AcquisitionChanges& changes) {
  SerialLink& link = app.serial;

  if (link.lost) {
    retryLostPort(app);
    if (link.lost) {
      return false;
    }
  }
  if (!link.open || !link.device) {
    return false; // never opened, or the handle was given away for a print job
  }
  if (link.device->lineStream()) {
    return readLineStream(app, changes);
  }

  const auto status = link.device->status();
  if (!status) {
    if (link.device->hungUp()) {
      portVanished(app);
    }
    return false;
  }
  if (status->errors.any()) {
    return false; // the query cleared the error; the bytes wait for the next tick
  }
  const std::size_t waiting = status->waiting;
  if (waiting == 0) {
    return true;
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
        return false;
      }
      reportEvent(app, Event::PortReadError);
      continue;
    }
    takeByte(app, *byte, changes);
  }
  return true;
}

} // namespace

void retryPortLater(AppContext& app) {
  app.serial.lost = true;
  app.serial.nextRetry = nowSeconds(app) + kReopenIntervalSeconds;
}

std::int64_t fiveMinuteSlot(const platform::DateTime& utc) {
  // Room for every field's range (month < 16, day < 32), so distinct times never share a slot.
  std::int64_t slot = utc.year;
  slot = slot * 16 + utc.month;
  slot = slot * 32 + utc.day;
  slot = slot * 24 + utc.hour;
  return slot * 12 + utc.minute / 5;
}

TickOutcome acquisitionTick(AppContext& app) {
  TickOutcome outcome;
  // Records held up by a failed append go out on the next tick that can write them,
  // whether or not the device sends anything and even while a print job has the port.
  if (!app.recording.pending.empty() && appendPendingRecords(app) > 0) {
    outcome.changes.logGrew = true;
  }
  outcome.portReadable = readPort(app, outcome.changes);
  return outcome;
}

} // namespace baromon
