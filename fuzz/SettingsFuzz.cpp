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
  return a.DATA == b.DATA && a.COM == b.COM && a.SAVE == b.SAVE && a.SHOW == b.SHOW && on(a.T1) == on(b.T1) &&
         on(a.T3) == on(b.T3) && on(a.VAR) == on(b.VAR) && on(a.TC) == on(b.TC) && on(a.AD) == on(b.AD) &&
         on(a.ERR) == on(b.ERR) && on(a.U) == on(b.U) && on(a.SIG) == on(b.SIG) && on(a.DKS) == on(b.DKS) &&
         a.LANG == b.LANG && on(a.DW) == on(b.DW) && on(a.AW) == on(b.AW) && on(a.LO) == on(b.LO) &&
         a.HK == b.HK && on(a.DP) == on(b.DP);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fakes::TestApp t; // one directory for the whole run; each input overwrites the file
  Settings& s = t.app.settings;
  s = Settings{};
  t.dir.write("monitor.ini", std::string(reinterpret_cast<const char*>(data), size));

  FUZZ_CHECK(loadSettings(t.app) == 1);
  FUZZ_CHECK(s.DATA == 0 || s.DATA == 1);
  FUZZ_CHECK(s.COM >= '1' && s.COM <= '8');
  FUZZ_CHECK(s.SAVE == 300);
  FUZZ_CHECK(s.SHOW == 300 || s.SHOW == 600 || s.SHOW == 900 || s.SHOW == 1800);
  FUZZ_CHECK(s.HK >= -99999 && s.HK <= 99999);
  FUZZ_CHECK(s.LANG <= 5);
  FUZZ_CHECK(s.DP <= 1);
  FUZZ_CHECK(s.T1 <= 1 && s.DW <= 1 && s.LO <= 1);

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
