// Arbitrary bytes from the serial port, cut into arbitrary ticks, through the acquisition
// cycle in either data mode, with the clock running on across five-minute boundaries.
//
// Input: one byte of set-up (bit 0: data mode, bits 1-2: language, bit 3: event log on,
// bits 4-7: the minute the clock starts at), then chunks: a control byte (bits 0-5: bytes
// that arrive before the tick, bit 6: the clock moves on a minute, bit 7: a line error)
// followed by those bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "platform/testing/TestApp.h"

using namespace baromon;

namespace {

void checkState(const AppContext& app) {
  const AcquisitionState& acq = app.acquisition;
  FUZZ_CHECK(acq.fillCount <= kReceiveBufferSize);
  FUZZ_CHECK(acq.sentenceCount <= 999999 && acq.recordCounter <= 999999);
  const CurrentReading& r = app.reading;
  // The converter field is taken digit by digit without a test, so a damaged line can
  // give any count; the statistics must stay consistent whatever it is.
  FUZZ_CHECK(r.tendency1h >= -999 && r.tendency1h <= 999);
  FUZZ_CHECK(r.tendency3h >= -999 && r.tendency3h <= 999);
  FUZZ_CHECK(r.tendency6h >= -999 && r.tendency6h <= 999);
  FUZZ_CHECK(app.converter.variation <= 999);
  FUZZ_CHECK(app.converter.range <= app.converter.maximum);
  for (const auto& row : app.nmea) {
    FUZZ_CHECK(std::memchr(row.data(), 0, row.size()) != nullptr); // every row ends within itself
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  fakes::TestApp t;
  AppContext& app = t.app;
  const std::uint8_t setup = data[0];
  app.settings.DATA = setup & 1;
  app.settings.LANG = (setup >> 1) & 3;
  app.settings.ERR = (setup >> 3) & 1;
  app.settings.SAVE = 300;
  t.clock.utc = {2026, 12, 7, 23, (setup >> 4) * 4 % 60, 0, 1};
  auto device = t.ports.add(std::string("COM") + static_cast<char>(app.settings.COM));
  openSerialPort(app, 0);
  FUZZ_CHECK(app.serial.open);

  std::size_t at = 1;
  while (at < size) {
    const std::uint8_t control = data[at++];
    const std::size_t count = std::min<std::size_t>(control & 0x3F, size - at);
    for (std::size_t i = 0; i < count; ++i) {
      device->bytes.push_back(data[at + i]);
    }
    at += count;
    if (control & 0x40) {
      t.clock.advanceSeconds(60);
    }
    device->pendingErrors.framing = (control & 0x80) != 0;
    const int result = acquisitionTick(app);
    FUZZ_CHECK(result == 0 || result == 1);
    checkState(app);
    t.windows.calls.clear();
    t.windows.invalidated.clear();
  }

  // What was recorded is whole records, and sentences one per line.
  const std::string log = t.dir.read(kLogFileName);
  FUZZ_CHECK(log.size() % kLogRecordSize == 0);
  for (std::size_t r = 0; r < log.size(); r += kLogRecordSize) {
    FUZZ_CHECK(log[r + kLogRecordSize - 2] == '\r' && log[r + kLogRecordSize - 1] == '\n');
  }
  const std::string sentences = t.dir.read(kNmeaFileName);
  FUZZ_CHECK(sentences.empty() || sentences[0] == '$');
  FUZZ_CHECK(app.settings.DATA == 0 || sentences.empty());
  FUZZ_CHECK(app.settings.DATA == 1 || log.empty());
  return 0;
}
