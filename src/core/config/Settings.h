#pragma once

#include <cstddef>
#include <cstdint>

namespace baromon {

struct AppContext;

// User-interface language, stored in monitor.ini as "DE", "EN", "FR", "NL", "IT", "SP".
enum Language : std::uint8_t { German = 0, English = 1, French = 2, Dutch = 3, Italian = 4, Spanish = 5 };
inline constexpr int kLanguageCount = 6;

// A language number outside the six (never written by the settings reader) reads as German,
// whichever table it selects from.
constexpr int languageIndex(int language) {
  return language >= 0 && language < kLanguageCount ? language : German;
}

// The entry of a per-language table, German first, Spanish last.
template <typename T, std::size_t N> constexpr const T& inLanguage(const T (&table)[N], int language) {
  static_assert(N == kLanguageCount, "a per-language table has one entry per language");
  return table[languageIndex(language)];
}

// The option record, fields named after their monitor.ini keys. A flag is on when non-zero.
// Start values are those the process has before the settings file is read: only
// ERR = 1 (so a missing file is logged) and DKS = 0 (the defaults leave it alone) matter.
struct Settings {
  int DATA = 1;          // DataMode: 1 = KX mode (decode and record), 0 = NMEA mode (record raw)
  char COM = '2';        // port digit '1'..'8'
  int SAVE = 0;          // record interval in seconds: 300, or 0 = recording off until the program ends
  unsigned SHOW = 0;     // DisplayStep in seconds: 300, 600, 900 or 1800
  int T1 = 0;            // draw the one-hour tendency curve
  int T3 = 0;            // draw the three-hour tendency curve
  int VAR = 0;           // draw the variation curve
  int TC = 0;            // stored only
  int AD = 0;            // stored only
  std::uint8_t ERR = 1;  // write events to monitor.err
  int U = 0;             // stored only
  std::uint8_t SIG = 0;  // beep on a fast pressure fall
  std::uint8_t DKS = 0;  // variation bars on the pressure curve
  std::uint8_t LANG = 0; // Language
  int DW = 0;            // show the current-values window
  int AW = 0;            // show the converter-values window
  int LO = 0;            // pressure scale 900..1000 hPa instead of 950..1050 hPa
  int HK = 0;            // height correction, hundredths of a hPa, -99999..99999
  std::uint8_t DP = 0;   // paper-barograph look
};

constexpr int kSettingsFileSize = 125;

// Reads monitor.ini; 0 (and event 2) when it cannot be opened, leaving the record unchanged.
// Every value is read leniently, whatever the rest of the file holds (the commands).
int loadSettings(AppContext& app);

// Where start-up found its settings.
enum class SettingsLoad { Read, Missing, Damaged };
inline constexpr const char* kDamagedSettingsFile = "monitor.ini.bad";
// The monitor's reading at start-up. A file that is not the template (length other than
// 125 bytes, a key, "=" or line end not at its place, DATA neither "  KX" nor "NMEA") is
// Damaged: it is copied to monitor.ini.bad (replacing an older one), event 68 is
// reported and the record is left unchanged. Missing is loadSettings's 0.
SettingsLoad loadSettingsAtStart(AppContext& app);
// Writes monitor.ini from the record; may correct SAVE and SHOW in memory.
void saveSettings(AppContext& app);
// The built-in defaults; DKS keeps its value.
void applyDefaultSettings(Settings& settings);

} // namespace baromon
