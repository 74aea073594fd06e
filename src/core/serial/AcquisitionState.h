#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/domain/Units.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace baromon {

// The latest decoded device values.
struct CurrentReading {
  std::int32_t pressure = 0;   // hundredths of a hPa, height correction included; 0 until the first pressure
  std::uint32_t adValue = 0;   // converter counts, 0..kMaxConverterCounts
  std::int32_t tendency1h = 0; // tenths of a hPa, -999..999
  std::int32_t tendency3h = 0; // tenths of a hPa, -999..999
  std::int32_t tendency6h = 0; // tenths of a hPa, -999..999, computed only
  std::int32_t temperature = kNoTemperature; // tenths of a degree C
  std::uint32_t voltage = 0;                 // tenths of a volt; 0 = none received
  bool valid = false;                        // the line just processed was a well-formed $PXDR
  platform::DateTime utcTime;                // when the last KX-mode line was processed
};

// Converter values the statistics cover.
constexpr std::size_t kConverterValuesKept = 100;

// Statistics of the last converter values (entry 0 newest, 0 = none yet).
struct ConverterStats {
  std::array<std::uint32_t, kConverterValuesKept> history{};
  std::uint32_t mean = 0;
  std::uint32_t minimum = kMaxConverterCounts;
  std::uint32_t maximum = 0;
  std::uint32_t range = 0;
  std::uint32_t variation = 0; // range clamped to 999; recorded as tenths of a hPa
};

// Recorded NMEA lines, row 0 the newest: the latest sentences, each cut to
// kNmeaLineKept characters. A row moves as the line and its terminator; its last byte
// is never written, so a row still ends after the list painter blanked its control bytes.
constexpr int kNmeaRows = 82;
constexpr std::size_t kNmeaLineKept = 126;
constexpr int kNmeaRowSize = static_cast<int>(kNmeaLineKept) + 2;
using NmeaTable = std::array<std::array<char, kNmeaRowSize>, kNmeaRows>;

// The pressure at each five-minute boundary, hundredths of a hPa, entry 0 newest, 0 = none:
// back to the boundary 400 minutes before the newest, more than the six-hour tendency needs.
constexpr std::size_t kFiveMinuteEntries = 81;
using FiveMinuteHistory = std::array<std::int32_t, kFiveMinuteEntries>;

constexpr int kReceiveBufferSize = 1024;

// No $PXDR heard yet: the start value of lastDeviceSecond.
constexpr std::int64_t kNoDeviceSecond = INT64_MIN;

// The five-minute slot no boundary has: the start value of lastSlot.
constexpr std::int64_t kNoFiveMinuteSlot = INT64_MIN;

struct AcquisitionState {
  std::array<char, kReceiveBufferSize + 1> receiveBuffer{};
  std::uint32_t fillCount = 0;
  std::uint8_t lastByte = 0;
  std::uint32_t sentenceCount = 0; // lines processed in KX mode, 0..999999
  std::uint32_t nmeaCount = 0;     // lines recorded in NMEA mode
  std::uint32_t recordCounter = 0; // stamped into each record, 0..999999
  std::uint32_t ticksSinceSentence = 1000;
  // Five-minute slot of the last boundary (fiveMinuteSlot: UTC date, hour and minute / 5).
  std::int64_t lastSlot = kNoFiveMinuteSlot;
  bool acquisitionPaused = false; // set while the log check swaps the files
  // Totals for the whole life of the process, for reports on long runs; the counters
  // above wrap or are reset at start-up and cannot serve. Never reset.
  std::uint64_t linesReceived = 0;     // lines taken out of the receive buffer, either mode
  std::uint64_t sentencesAccepted = 0; // valid $PXDR (KX mode) or recorded sentences (NMEA mode)
  std::uint64_t sentencesRejected = 0; // device sentences refused as damaged (KX mode)
  // The UTC second (since 1970) of the last pressure served to chart plotters.
  std::int64_t lastServedSecond = INT64_MIN;
  // The UTC second of the barograph's last valid $PXDR; other barometers wait while it is recent.
  std::int64_t lastDeviceSecond = kNoDeviceSecond;
};

// The one serial port.
struct SerialLink {
  std::string portName = "COM2";                  // "COM" and the COM setting's digit, set by each open
  std::unique_ptr<platform::SerialDevice> device; // null when closed or after a failed open
  bool open = false;
  // The device went away, or was missing at start-up; the acquisition quietly tries to
  // open it every few seconds.
  bool lost = false;
  std::int64_t nextRetry = 0; // seconds since 1970 (UTC) of the next reopen attempt
  // The loss was reported and no line has come since (`linesAtLoss`: the lifetime line
  // count then): a network source that keeps refusing, or accepts and closes at once,
  // is reported once, not at every attempt.
  bool lossReported = false;
  std::uint64_t linesAtLoss = 0;
  // The network source whose loss was reported and which has not spoken since; empty
  // otherwise.
  std::string lostSource;
};

} // namespace baromon
