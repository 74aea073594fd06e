#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/config/Settings.h"

namespace baromon {

// monitor.ini byte for byte, as the writer makes it.
using SettingsFileBytes = std::array<char, kSettingsFileSize>;

// The file for `s`, correcting SAVE and SHOW in `s` as every save does.
SettingsFileBytes settingsFileBytes(Settings& s);
// The record from the file's bytes, every value read as start-up reads it.
void applySettingsFileBytes(Settings& s, const SettingsFileBytes& bytes);
// A language's two letters as monitor.ini writes them (DE, EN, FR, NL, IT, SP); an unknown
// language is German's.
const char* languageCode(int language);
// The language monitor.ini names, read without leaving a trace: a monitor that ends at
// once reports nothing and writes nothing. German, the default, where it names none.
int languageOfSettingsFile(AppContext& app);
// monitor.ini as it is, into the record when it is the writer's file; nothing is reported,
// put aside or written.
SettingsLoad peekSettings(AppContext& app);

// One line of monitor.ini by its key: the value as the file writes it, and what it means.
struct SettingLine {
  std::string key;
  std::string value;
  std::string meaning;
};
// Every setting of `s` in the file's order.
std::vector<SettingLine> settingLines(const Settings& s);
// Sets one "KEY=VALUE" (the value as the file writes it; DATA also "KX") in `s`.
// Empty when done, else why not, and `s` is left as it was.
std::string changeSetting(Settings& s, const std::string& assignment);

} // namespace baromon
