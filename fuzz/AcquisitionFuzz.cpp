// Arbitrary bytes from the serial port, cut into ticks by the input itself, through the
// acquisition cycle in KX or NMEA mode; afterwards a clean sentence must still decode.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "core/program/AcquisitionDisplay.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/TestApp.h"

using namespace baromon;

namespace {

void checkInvariants(const AppContext& app) {
  const CurrentReading& r = app.reading;
  FUZZ_CHECK(app.acquisition.fillCount <= 1024);
  FUZZ_CHECK(r.tendency1h >= -999 && r.tendency1h <= 999);
  FUZZ_CHECK(r.tendency3h >= -999 && r.tendency3h <= 999);
  FUZZ_CHECK(r.tendency6h >= -999 && r.tendency6h <= 999);
  FUZZ_CHECK(r.temperature >= -999 && r.temperature <= 999);
  FUZZ_CHECK(r.voltage <= 999);
  FUZZ_CHECK(app.converter.variation <= 999);
  FUZZ_CHECK(app.acquisition.sentenceCount <= 999999);
  FUZZ_CHECK(app.acquisition.sentencesRejected + app.acquisition.sentencesAccepted <=
             app.acquisition.linesReceived);
  for (const auto& row : app.nmea) {
    FUZZ_CHECK(std::memchr(row.data(), 0, 127) != nullptr);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  fakes::TestApp t;
  t.app.settings.dataMode = (data[0] & 1) != 0 ? DataMode::Kx : DataMode::Nmea;
  t.app.settings.recordInterval = 300;
  t.app.settings.heightCorrection = static_cast<int>(data[1]) * 100 - 12800;
  t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
  auto device = t.ports.add("COM2");
  openSerialPort(t.app, PortErrors::Show);
  FUZZ_CHECK(t.app.serial.open);

  // The rest comes in chunks: a length byte (high bit: move the clock a minute), then the bytes.
  std::size_t pos = 2;
  while (pos < size) {
    const std::uint8_t head = data[pos++];
    if (head & 0x80) {
      t.clock.advanceSeconds(60);
    }
    const std::size_t n = std::min<std::size_t>(head & 0x7F, size - pos);
    device->bytes.insert(device->bytes.end(), data + pos, data + pos + n);
    pos += n;
    showAcquisitionChanges(t.app, acquisitionTick(t.app).changes);
    checkInvariants(t.app);
  }
  while (!device->bytes.empty()) {
    showAcquisitionChanges(t.app, acquisitionTick(t.app).changes);
    checkInvariants(t.app);
  }

  // What was recorded is whole records, and sentences only, each in its own mode.
  const std::string log = t.dir.read(kLogFileName);
  FUZZ_CHECK(log.size() % kLogRecordSize == 0);
  for (std::size_t r = 0; r < log.size(); r += kLogRecordSize) {
    FUZZ_CHECK(log[r + kLogRecordSize - 2] == '\r' && log[r + kLogRecordSize - 1] == '\n');
  }
  // Every sentence on a line of its own: each line begins with "$" and ends with its line feed.
  const std::string sentences = t.dir.read(kNmeaFileName);
  FUZZ_CHECK(sentences.empty() || sentences.back() == '\n');
  for (std::size_t at = 0; at < sentences.size(); at = sentences.find('\n', at) + 1) {
    FUZZ_CHECK(sentences[at] == '$');
  }
  FUZZ_CHECK(t.app.settings.dataMode == DataMode::Nmea || sentences.empty());
  FUZZ_CHECK(t.app.settings.dataMode == DataMode::Kx || log.empty());

  const std::string clean = "\n$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  t.app.settings.dataMode = DataMode::Kx;
  for (std::size_t i = 0; i < clean.size(); ++i) {
    device->bytes.push_back(static_cast<std::uint8_t>(clean[i]));
    if (clean[i] == '\n') {
      showAcquisitionChanges(t.app, acquisitionTick(t.app).changes);
    }
  }
  FUZZ_CHECK(t.app.reading.valid);
  FUZZ_CHECK(t.app.reading.pressure == 99860 + t.app.settings.heightCorrection);
  FUZZ_CHECK(t.app.reading.adValue == 52684);
  return 0;
}
