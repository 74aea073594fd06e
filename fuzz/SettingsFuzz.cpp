// Arbitrary bytes as monitor.ini: the reader must always succeed with every field in its
// range, and what the writer then produces must be a fixed point of reading and writing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/config/Settings.h"
#include "support/TestApp.h"

using namespace baromon;

namespace {

// Only on/off matters for a flag; the writer turns any non-zero value into "1".
bool sameMeaning(const Settings& a, const Settings& b) {
  auto on = [](int v) { return v != 0; };
  return a.dataMode == b.dataMode && a.portDigit == b.portDigit && a.recordInterval == b.recordInterval &&
         a.displayStep == b.displayStep && on(a.drawTendency1h) == on(b.drawTendency1h) &&
         on(a.drawTendency3h) == on(b.drawTendency3h) && on(a.drawVariation) == on(b.drawVariation) &&
         on(a.storedTc) == on(b.storedTc) && on(a.storedAd) == on(b.storedAd) &&
         on(a.logEvents) == on(b.logEvents) && on(a.storedU) == on(b.storedU) &&
         on(a.beepOnFastFall) == on(b.beepOnFastFall) && on(a.variationBars) == on(b.variationBars) &&
         a.language == b.language && on(a.valuesWindow) == on(b.valuesWindow) &&
         on(a.converterWindow) == on(b.converterWindow) && on(a.lowScale) == on(b.lowScale) &&
         a.heightCorrection == b.heightCorrection && on(a.paperLook) == on(b.paperLook);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fakes::TestApp t; // one directory for the whole run; each input overwrites the file
  Settings& s = t.app.settings;
  s = Settings{};
  t.dir.write("monitor.ini", std::string(reinterpret_cast<const char*>(data), size));

  FUZZ_CHECK(loadSettings(t.app) == 1);
  FUZZ_CHECK(s.dataMode == DataMode::Nmea || s.dataMode == DataMode::Kx);
  FUZZ_CHECK(s.portDigit >= '1' && s.portDigit <= '8');
  FUZZ_CHECK(s.recordInterval == 300);
  FUZZ_CHECK(s.displayStep == 300 || s.displayStep == 600 || s.displayStep == 900 || s.displayStep == 1800);
  FUZZ_CHECK(s.heightCorrection >= -99999 && s.heightCorrection <= 99999);
  FUZZ_CHECK(s.language <= 5);
  FUZZ_CHECK(s.paperLook <= 1);
  FUZZ_CHECK(s.drawTendency1h <= 1 && s.valuesWindow <= 1 && s.lowScale <= 1);

  const Settings loaded = s;
  saveSettings(t.app);
  FUZZ_CHECK(sameMeaning(s, loaded)); // nothing left for the writer to correct
  const std::string written = t.dir.read("monitor.ini");
  FUZZ_CHECK(written.size() == kSettingsFileSize);

  s = Settings{};
  FUZZ_CHECK(loadSettings(t.app) == 1);
  FUZZ_CHECK(sameMeaning(s, loaded));
  saveSettings(t.app);
  FUZZ_CHECK(t.dir.read("monitor.ini") == written);
  FUZZ_CHECK(t.windows.calls.empty());
  return 0;
}
