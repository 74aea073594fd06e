#pragma once

#include <cstddef>
#include <cstdint>

#include "core/domain/Modes.h"

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

// The option record. monitor.ini names each field by a key of its own (given here for a
// reader of the file); only the settings codec (Settings.cpp, SettingKeys.cpp) knows them.
// A flag is on when non-zero. Start values are those the process has before the settings
// file is read: only logEvents = 1 (so a missing file is logged) and variationBars = 0 (the
// defaults leave it alone) matter.
struct Settings {
  DataMode dataMode = DataMode::Kx; // DATA; any value but Nmea is KX (isKxMode)
  char portDigit = '2';             // COM: port digit '1'..'8'
  int recordInterval = 0;           // SAVE: seconds, 300, or 0 = recording off until the program ends
  unsigned displayStep = 0;         // SHOW: barogram step in seconds, 300, 600, 900 or 1800
  int drawTendency1h = 0;           // T1: draw the one-hour tendency curve
  int drawTendency3h = 0;           // T3: draw the three-hour tendency curve
  int drawVariation = 0;            // VAR: draw the variation curve
  int storedTc = 0;                 // TC: stored only
  int storedAd = 0;                 // AD: stored only
  std::uint8_t logEvents = 1;       // ERR: write events to monitor.err
  int storedU = 0;                  // U: stored only
  std::uint8_t beepOnFastFall = 0;  // SIG: beep on a fast pressure fall
  std::uint8_t variationBars = 0;   // DKS: variation bars on the pressure curve
  std::uint8_t language = 0;        // LANG: a Language
  int valuesWindow = 0;             // DW: show the current-values window
  int converterWindow = 0;          // AW: show the converter-values window
  int lowScale = 0;                 // LO: pressure scale 900..1000 hPa instead of 950..1050 hPa
  int heightCorrection = 0;         // HK: hundredths of a hPa added to every pressure, -99999..99999
  std::uint8_t paperLook = 0;       // DP: paper-barograph look
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
// Writes monitor.ini from the record; may correct recordInterval and displayStep in memory.
void saveSettings(AppContext& app);
// The built-in defaults; variationBars keeps its value.
void applyDefaultSettings(Settings& settings);

} // namespace baromon
