#include <cstddef>
#include <string>
#include <vector>

#include "core/config/SettingsFile.h"

namespace baromon {

namespace {

struct KeyText {
  const char* key;
  const char* meaning;
  const char* allowed; // told when a value is refused
};

// What each key of monitor.ini means; the file itself gives the keys' order and places.
constexpr KeyText kKeys[] = {
    {"DATA",
     "data mode: KX decodes the barograph and records monitor.txt, NMEA records every sentence to nmea.txt",
     "KX or NMEA"},
    {"COM", "serial port (--port n=PATH says which device or network source stands for COMn)",
     "COM1 to COM8"},
    {"SAVE", "record interval in seconds (recording is switched off only from the menu, until the end)",
     "always 0300"},
    {"SHOW", "barogram step in seconds", "0300, 0600, 0900 or 1800"},
    {"T1", "draw the 1-hour tendency curve", "0 or 1"},
    {"T3", "draw the 3-hour tendency curve", "0 or 1"},
    {"VAR", "draw the variation curve", "0 or 1"},
    {"TC", "kept, used by nothing", "0 or 1"},
    {"AD", "kept, used by nothing", "0 or 1"},
    {"ERR", "write events to monitor.err (and, headless, to standard error)", "0 or 1"},
    {"U", "kept, used by nothing", "0 or 1"},
    {"SIG", "beep on a fast pressure fall", "0 or 1"},
    {"DKS", "variation bars on the pressure curve", "0 or 1"},
    {"LANG", "language of menus, boxes and messages", "DE, EN, FR, NL, IT or SP"},
    {"DW", "show the current-values window", "0 or 1"},
    {"AW", "show the converter-values window", "0 or 1"},
    {"LO", "pressure scale 900..1000 hPa instead of 950..1050 hPa", "0 or 1"},
    {"HK", "height correction in hundredths of a hPa, added to every pressure", "-99999 to +99999 as +00125"},
    {"DP", "paper-barograph look", "0 or 1"},
};

const KeyText* keyText(const std::string& key) {
  for (const KeyText& k : kKeys) {
    if (key == k.key) {
      return &k;
    }
  }
  return nullptr;
}

// Where the value of `key` stands in the file: [first, last).
struct ValueSpan {
  std::size_t first = 0;
  std::size_t last = 0;
};

bool findValue(const SettingsFileBytes& bytes, const std::string& key, ValueSpan& span) {
  const std::string file(bytes.begin(), bytes.end());
  for (std::size_t line = 0; line < file.size();) {
    const std::size_t end = file.find('\n', line);
    if (file.compare(line, key.size() + 1, key + "=") == 0) {
      span = {line + key.size() + 1, end};
      return true;
    }
    line = end + 1;
  }
  return false;
}

std::string valueAt(const SettingsFileBytes& bytes, const ValueSpan& span) {
  std::string value(bytes.begin() + static_cast<long>(span.first),
                    bytes.begin() + static_cast<long>(span.last));
  return value.substr(value.find_first_not_of(' ')); // DATA's "  KX" reads as KX
}

} // namespace

std::vector<SettingLine> settingLines(const Settings& s) {
  Settings copy = s;
  const SettingsFileBytes bytes = settingsFileBytes(copy);
  std::vector<SettingLine> lines;
  for (const KeyText& k : kKeys) {
    ValueSpan span;
    if (findValue(bytes, k.key, span)) {
      lines.push_back({k.key, valueAt(bytes, span), std::string(k.meaning) + " (" + k.allowed + ")"});
    }
  }
  return lines;
}

// The value is put into the file's bytes and read back as start-up reads it: the reader's
// own clamps then tell whether it is allowed, with nothing about a key known twice.
std::string changeSetting(Settings& s, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) {
    return "'" + assignment + "' is no KEY=VALUE";
  }
  const std::string key = assignment.substr(0, equals);
  std::string value = assignment.substr(equals + 1);
  const KeyText* known = keyText(key);
  Settings trial = s;
  SettingsFileBytes bytes = settingsFileBytes(trial);
  ValueSpan span;
  if (known == nullptr || !findValue(bytes, key, span)) {
    return "monitor.ini has no key " + key;
  }
  const std::size_t width = span.last - span.first;
  if (value.size() < width && key == "DATA") {
    value.insert(0, width - value.size(), ' ');
  }
  const std::string refused = key + "=" + value + " refused: " + key + " is " + known->allowed;
  if (value.size() != width) {
    return refused;
  }
  value.copy(bytes.data() + span.first, width);
  applySettingsFileBytes(trial, bytes);
  const SettingsFileBytes again = settingsFileBytes(trial);
  if (std::string(again.begin(), again.end()) != std::string(bytes.begin(), bytes.end())) {
    return refused;
  }
  s = trial;
  return {};
}

} // namespace baromon
