#include "core/config/Settings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/config/SettingsFile.h"

namespace baromon {

namespace {

constexpr const char* kSettingsFile = "monitor.ini";

using SettingsBytes = std::array<char, kSettingsFileSize>;

// The file is this template with the values put in at fixed offsets; the key
// texts are never read back.
constexpr char kTemplate[] = "DATA=  KX\n"
                             "COM=COMX\n"
                             "SAVE=XXXX\n"
                             "SHOW=XXXX\n"
                             "T1=1\n"
                             "T3=1\n"
                             "VAR=1\n"
                             "TC=1\n"
                             "AD=0\n"
                             "ERR=0\n"
                             "U=0\n"
                             "SIG=0\n"
                             "DKS=0\n"
                             "LANG=DE\n"
                             "DW=0\n"
                             "AW=0\n"
                             "LO=0\n"
                             "HK=+00000\n"
                             "DP=0\n";
static_assert(sizeof kTemplate - 1 == kSettingsFileSize);

// Value offsets.
constexpr int kData = 5, kCom = 17, kSave = 24, kShow = 34, kT1 = 42, kT3 = 47, kVar = 53, kTc = 58, kAd = 63,
              kErr = 69, kU = 73, kSig = 79, kDks = 85, kLang = 92, kDw = 98, kAw = 103, kLo = 108, kHk = 113,
              kDp = 123;

constexpr const char* kLanguageCodes[] = {"DE", "EN", "FR", "NL", "IT", "SP"};

bool isDisplayStep(long value) { return value == 300 || value == 600 || value == 900 || value == 1800; }

// The file bytes for `s`, correcting SAVE and SHOW in `s` the way the writer always has.
SettingsBytes formatSettings(Settings& s) {
  SettingsBytes b{};
  std::memcpy(b.data(), kTemplate, b.size());

  b[kCom] = s.portDigit;

  if (s.recordInterval != 300) {
    s.recordInterval = 300;
  }
  char number[16];
  std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(s.recordInterval));
  std::memcpy(&b[kSave], number, 4);

  s.displayStep = std::clamp(s.displayStep, 300u, 1800u);
  if (!isDisplayStep(s.displayStep)) {
    s.displayStep = 300;
  }
  std::snprintf(number, sizeof number, "%04u", s.displayStep);
  std::memcpy(&b[kShow], number, 4);

  auto flag = [&b](int at, int value) { b[static_cast<std::size_t>(at)] = value != 0 ? '1' : '0'; };
  flag(kT1, s.drawTendency1h);
  flag(kT3, s.drawTendency3h);
  flag(kVar, s.drawVariation);
  flag(kTc, s.storedTc);
  flag(kAd, s.storedAd);
  flag(kErr, s.logEvents);
  flag(kU, s.storedU);
  flag(kSig, s.beepOnFastFall);
  flag(kDks, s.variationBars);
  flag(kDw, s.valuesWindow);
  flag(kAw, s.converterWindow);
  flag(kLo, s.lowScale);
  flag(kDp, s.paperLook);

  if (!isKxMode(s.dataMode)) {
    std::memcpy(&b[kData], "NMEA", 4);
  }
  if (s.language < std::size(kLanguageCodes)) {
    std::memcpy(&b[kLang], kLanguageCodes[s.language], 2);
  }

  // The field holds a sign and five digits. A correction beyond that (only
  // reachable by a caller bypassing the dialog's limits) is written as the
  // nearest value that fits instead of spilling into the next line.
  std::snprintf(number, sizeof number, "%+06d", std::clamp(s.heightCorrection, -99999, 99999));
  std::memcpy(&b[kHk], number, 6);
  return b;
}

// A value byte as the reader takes it: signed, minus '0', never tested.
int digitAt(const SettingsBytes& b, int at) {
  return static_cast<int>(static_cast<signed char>(b[static_cast<std::size_t>(at)])) - '0';
}

int numberAt(const SettingsBytes& b, int at, int digits) {
  int value = 0;
  for (int i = 0; i < digits; ++i) {
    value = value * 10 + digitAt(b, at + i);
  }
  return value;
}

// Flags read this way are on for every character but "0"; a negative value stays (on).
int flagAt(const SettingsBytes& b, int at) { return std::min(digitAt(b, at), 1); }

// What a missing tail of the file reads as: the bytes of the default file, so
// every field past the end gets its default value.
SettingsBytes defaultBytes() {
  Settings defaults;
  applyDefaultSettings(defaults);
  return formatSettings(defaults);
}

} // namespace

void applyDefaultSettings(Settings& s) {
  s.dataMode = DataMode::Kx;
  s.portDigit = '2';
  s.recordInterval = 300;
  s.displayStep = 300;
  s.drawTendency1h = 1;
  s.drawTendency3h = 1;
  s.drawVariation = 1;
  s.storedTc = 0;
  s.storedAd = 0;
  s.logEvents = 1;
  s.storedU = 0;
  s.beepOnFastFall = 0;
  s.language = German;
  s.valuesWindow = 0;
  s.converterWindow = 0;
  s.lowScale = 0;
  s.heightCorrection = 0;
  s.paperLook = 0;
}

namespace {

// What was read of the file: its first bytes over the default file's, and how many
// there were (one more than the template when the file is longer).
struct FileBytes {
  SettingsBytes bytes{};
  std::size_t size = 0;
};

std::optional<FileBytes> readSettingsFile(AppContext& app, bool reportMissing = true) {
  auto file =
      app.platform.files.open(kSettingsFile, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    if (reportMissing) {
      reportEvent(app, Event::NoSettingsFile);
    }
    return std::nullopt;
  }
  FileBytes read{defaultBytes(), 0};
  while (read.size < read.bytes.size()) {
    auto n = file->read(read.bytes.data() + read.size, read.bytes.size() - read.size);
    if (!n || *n == 0) {
      break;
    }
    read.size += *n;
  }
  char more = 0;
  if (auto n = file->read(&more, 1); n && *n > 0) {
    ++read.size;
  }
  return read;
}

// The value fields, [offset, offset + length); every other byte is the template's.
struct Field {
  int at;
  int length;
};
constexpr Field kValueFields[] = {{kData, 4}, {kCom, 1}, {kSave, 4}, {kShow, 4}, {kT1, 1},
                                  {kT3, 1},   {kVar, 1}, {kTc, 1},   {kAd, 1},   {kErr, 1},
                                  {kU, 1},    {kSig, 1}, {kDks, 1},  {kLang, 2}, {kDw, 1},
                                  {kAw, 1},   {kLo, 1},  {kHk, 6},   {kDp, 1}};

// The file as the writer makes it. Only then are its values worth the lenient reading:
// zeros, 0xFF or random bytes read leniently gave NMEA mode on COM1, and the monitor
// recorded nothing without a word. DATA is the one value held to the writer's two words,
// because it alone decides whether anything is recorded at all.
bool isTemplate(const FileBytes& read) {
  if (read.size != static_cast<std::size_t>(kSettingsFileSize)) {
    return false;
  }
  std::array<bool, kSettingsFileSize> value{};
  for (const Field& field : kValueFields) {
    std::fill_n(value.begin() + field.at, field.length, true);
  }
  for (std::size_t at = 0; at < read.bytes.size(); ++at) {
    if (!value[at] && read.bytes[at] != kTemplate[at]) {
      return false;
    }
  }
  const char* data = &read.bytes[kData];
  return std::memcmp(data, "  KX", 4) == 0 || std::memcmp(data, "NMEA", 4) == 0;
}

void applySettingsBytes(Settings& s, const SettingsBytes& b) {
  int hk = numberAt(b, kHk + 1, 5);
  if (b[kHk] == '-') {
    hk = -hk;
  }
  s.heightCorrection = hk > 99999 || hk < -99999 ? 0 : hk;

  const int show = numberAt(b, kShow, 4);
  s.displayStep = isDisplayStep(show) ? static_cast<unsigned>(show) : 300u;

  // Recording switched off lasts only until the program ends.
  s.recordInterval = 300;

  const auto com = static_cast<signed char>(b[kCom]);
  s.portDigit = com > '8' ? '8' : com < '1' ? '1' : static_cast<char>(com);

  s.drawTendency1h = flagAt(b, kT1);
  s.drawTendency3h = flagAt(b, kT3);
  s.drawVariation = flagAt(b, kVar);
  s.storedTc = flagAt(b, kTc);
  s.storedAd = flagAt(b, kAd);
  s.storedU = flagAt(b, kU);
  s.beepOnFastFall = static_cast<std::uint8_t>(flagAt(b, kSig));
  s.variationBars = static_cast<std::uint8_t>(flagAt(b, kDks));
  s.valuesWindow = flagAt(b, kDw);
  s.converterWindow = flagAt(b, kAw);
  s.lowScale = flagAt(b, kLo);
  // DP is compared without sign: every character other than "0" and "1" reads as 1.
  s.paperLook = static_cast<std::uint8_t>(std::min(static_cast<unsigned>(digitAt(b, kDp)), 1u));
  s.logEvents = static_cast<std::uint8_t>(digitAt(b, kErr));

  s.dataMode = b[kData] == ' ' ? DataMode::Kx : DataMode::Nmea;

  s.language = German;
  for (std::size_t i = 0; i < std::size(kLanguageCodes); ++i) {
    if (b[kLang] == kLanguageCodes[i][0] && b[kLang + 1] == kLanguageCodes[i][1]) {
      s.language = static_cast<std::uint8_t>(i);
      break;
    }
  }
}

} // namespace

int loadSettings(AppContext& app) {
  const auto read = readSettingsFile(app);
  if (!read) {
    return 0;
  }
  applySettingsBytes(app.settings, read->bytes);
  return 1;
}

SettingsFileBytes settingsFileBytes(Settings& s) { return formatSettings(s); }

const char* languageCode(int language) { return kLanguageCodes[languageIndex(language)]; }

int languageOfSettingsFile(AppContext& app) {
  auto file =
      app.platform.files.open(kSettingsFile, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    return German;
  }
  std::string text(kSettingsFileSize, '\0');
  std::size_t size = 0;
  while (size < text.size()) {
    const auto n = file->read(text.data() + size, text.size() - size);
    if (!n || *n == 0) {
      break;
    }
    size += *n;
  }
  text.resize(size);
  const std::size_t at = text.find("\nLANG=");
  if (at == std::string::npos || at + 9 > text.size()) {
    return German;
  }
  for (int language = 0; language < kLanguageCount; ++language) {
    if (text.compare(at + 6, 2, kLanguageCodes[language]) == 0) {
      return language;
    }
  }
  return German;
}

void applySettingsFileBytes(Settings& s, const SettingsFileBytes& bytes) { applySettingsBytes(s, bytes); }

SettingsLoad peekSettings(AppContext& app) {
  const auto read = readSettingsFile(app, false);
  if (!read) {
    return SettingsLoad::Missing;
  }
  if (!isTemplate(*read)) {
    return SettingsLoad::Damaged;
  }
  applySettingsBytes(app.settings, read->bytes);
  return SettingsLoad::Read;
}

SettingsLoad loadSettingsAtStart(AppContext& app) {
  const auto read = readSettingsFile(app);
  if (!read) {
    return SettingsLoad::Missing;
  }
  if (!isTemplate(*read)) {
    // Copied, not renamed: a linked monitor.ini stays a link, and the fresh defaults
    // are written through it.
    auto& files = app.platform.files;
    if (files.copy(files.finalName(kSettingsFile), kDamagedSettingsFile)) {
      reportEvent(app, Event::SettingsDamaged);
    } else {
      reportEvent(app, Event::ReadWriteFailed);
    }
    return SettingsLoad::Damaged;
  }
  applySettingsBytes(app.settings, read->bytes);
  return SettingsLoad::Read;
}

void saveSettings(AppContext& app) {
  using platform::FileAccess;
  using platform::OpenMode;
  const SettingsBytes b = formatSettings(app.settings);
  auto& files = app.platform.files;
  // The file is replaced whole or not at all: truncating it first and then
  // writing left it empty whenever the disk was full at shutdown. The new bytes
  // go to a scratch file beside it (beside the file a link leads to, so the link
  // stays), which is synced and renamed over the old one.
  const std::string name = files.finalName(kSettingsFile);
  const std::string scratch = name + ".new";

  // Held for the whole replacement: a file another program holds is left to it
  // (event 3, fatal error 1). Where none exists, an empty one is made and held,
  // and removed again if the replacement fails.
  bool created = false;
  auto held = files.open(name, FileAccess::ReadWrite, OpenMode::OpenExisting);
  if (!held) {
    held = files.open(name, FileAccess::ReadWrite, OpenMode::CreateNew);
    created = held != nullptr;
  }
  auto file = held ? files.open(scratch, FileAccess::Write, OpenMode::CreateFresh) : nullptr;
  if (!file) {
    if (created) {
      files.remove(name);
    }
    held.reset();
    reportEvent(app, Event::SettingsWriteFailed);
    reportFatal(app, Fatal::SettingsNotWritten);
    return;
  }
  const auto written = file->write(b.data(), b.size());
  bool replaced = written && *written == b.size() && file->sync();
  file.reset();
  replaced = replaced && files.rename(scratch, name);
  if (!replaced) {
    files.remove(scratch);
    if (created) {
      files.remove(name);
    }
    held.reset();
    reportEvent(app, Event::ReadWriteFailed);
  }
}

} // namespace baromon
