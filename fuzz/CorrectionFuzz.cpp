// Arbitrary text typed into the height-correction field and confirmed with OK.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/program/ChildWindows.h"
#include "core/config/Settings.h"
#include "support/TestApp.h"

using namespace baromon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fakes::TestApp t;
  AppContext& app = t.app;
  app.settings.heightCorrection = 1234;
  openCorrectionDialog(app);
  const std::string typed(reinterpret_cast<const char*>(data), size);
  t.windows.userTypes(platform::WindowId::Correction, typed);
  applyCorrectionInput(app);

  const int hk = app.settings.heightCorrection;
  FUZZ_CHECK(hk >= -kMaxCorrection && hk <= kMaxCorrection);
  FUZZ_CHECK(t.windows.windows.count(platform::WindowId::Correction) == 0); // the popup is closed
  // The same text read again gives the same value, and what the field then shows reads back as it.
  FUZZ_CHECK(correctionFromText(typed.substr(0, kCorrectionFieldChars)) == hk);
  FUZZ_CHECK(correctionFromText(correctionText(hk)) == hk);

  // The settings file holds any value the field lets through.
  saveSettings(app);
  app.settings.heightCorrection = 0;
  FUZZ_CHECK(loadSettings(app) == 1);
  FUZZ_CHECK(app.settings.heightCorrection == hk);
  return 0;
}
