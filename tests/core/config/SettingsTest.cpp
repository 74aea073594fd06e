#include <gtest/gtest.h>

#include <filesystem>
#include <climits>
#include <functional>
#include <string>

#include "core/config/EventLog.h"
#include "core/config/Settings.h"
#include "support/FaultyFileSystem.h"
#include "support/TestApp.h"

using namespace baromon;
using baromon::fakes::TestApp;

namespace {

const std::string kDefaultFile =
    "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\nERR=1\n"
    "U=0\nSIG=0\nDKS=0\nLANG=DE\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

std::string patched(std::string file, std::size_t at, const std::string& text) {
  return file.replace(at, text.size(), text);
}

Settings defaults() {
  Settings s;
  applyDefaultSettings(s);
  return s;
}

bool sameRecord(const Settings& a, const Settings& b) {
  return a.dataMode == b.dataMode && a.portDigit == b.portDigit && a.recordInterval == b.recordInterval &&
         a.displayStep == b.displayStep && a.drawTendency1h == b.drawTendency1h &&
         a.drawTendency3h == b.drawTendency3h && a.drawVariation == b.drawVariation &&
         a.storedTc == b.storedTc && a.storedAd == b.storedAd && a.logEvents == b.logEvents &&
         a.storedU == b.storedU && a.beepOnFastFall == b.beepOnFastFall &&
         a.variationBars == b.variationBars && a.language == b.language && a.valuesWindow == b.valuesWindow &&
         a.converterWindow == b.converterWindow && a.lowScale == b.lowScale &&
         a.heightCorrection == b.heightCorrection && a.paperLook == b.paperLook;
}

TEST(SettingsFile, DefaultsWriteTheDefaultFileExactly) {
  ASSERT_EQ(kDefaultFile.size(), 125u);
  TestApp t;
  applyDefaultSettings(t.app.settings);
  saveSettings(t.app);
  EXPECT_EQ(t.dir.read("monitor.ini"), kDefaultFile);
  EXPECT_FALSE(t.dir.exists("monitor.err"));
  EXPECT_TRUE(t.windows.calls.empty());
}

TEST(SettingsFile, StartValuesAndDefaults) {
  const Settings start;
  EXPECT_EQ(start.dataMode, DataMode::Kx);
  EXPECT_EQ(start.logEvents, 1);
  EXPECT_EQ(start.portDigit, '2');
  EXPECT_EQ(start.displayStep, 0u);
  EXPECT_EQ(start.variationBars, 0);
  // The defaults leave DKS as it is.
  Settings s;
  s.variationBars = 1;
  applyDefaultSettings(s);
  EXPECT_EQ(s.variationBars, 1);
  s.variationBars = 0;
  EXPECT_TRUE(sameRecord(s, defaults()));
}

TEST(SettingsFile, ReaderEdgeCases) {
  struct Case {
    const char* legend;
    std::size_t at;
    std::string text;
    std::function<bool(const Settings&)> holds;
  };
  const Case cases[] = {
      {"SHOW 0600 kept", 34, "0600", [](const Settings& s) { return s.displayStep == 600; }},
      {"SHOW 0900 kept", 34, "0900", [](const Settings& s) { return s.displayStep == 900; }},
      {"SHOW 1800 kept", 34, "1800", [](const Settings& s) { return s.displayStep == 1800; }},
      {"SHOW 0450 loads as 300", 34, "0450", [](const Settings& s) { return s.displayStep == 300; }},
      {"SHOW 2000 loads as 300, no clamp to 1800 on reading", 34, "2000",
       [](const Settings& s) { return s.displayStep == 300; }},
      {"SHOW with letters loads as 300", 34, "XXXX", [](const Settings& s) { return s.displayStep == 300; }},
      {"SAVE 0000 loads as 300", 24, "0000", [](const Settings& s) { return s.recordInterval == 300; }},
      {"SAVE 0600 loads as 300", 24, "0600", [](const Settings& s) { return s.recordInterval == 300; }},
      {"HK -00250 is -2.50 hPa", 113, "-00250", [](const Settings& s) { return s.heightCorrection == -250; }},
      {"HK +99999 stays", 113, "+99999", [](const Settings& s) { return s.heightCorrection == 99999; }},
      {"HK -99999 stays", 113, "-99999", [](const Settings& s) { return s.heightCorrection == -99999; }},
      {"HK with a letter counts its code minus 48", 113, "+0000A",
       [](const Settings& s) { return s.heightCorrection == 17; }},
      {"HK with a letter and minus", 113, "-0000A",
       [](const Settings& s) { return s.heightCorrection == -17; }},
      {"HK any sign other than minus is positive", 113, " 00250",
       [](const Settings& s) { return s.heightCorrection == 250; }},
      {"HK above 99999 becomes 0", 113, "+:0000", [](const Settings& s) { return s.heightCorrection == 0; }},
      {"HK below -99999 becomes 0", 113, "-:0000", [](const Settings& s) { return s.heightCorrection == 0; }},
      {"HK from blanks is far below range and becomes 0", 113, "      ",
       [](const Settings& s) { return s.heightCorrection == 0; }},
      {"COM 5 kept", 17, "5", [](const Settings& s) { return s.portDigit == '5'; }},
      {"COM 9 loads as 8", 17, "9", [](const Settings& s) { return s.portDigit == '8'; }},
      {"COM letter loads as 8", 17, "X", [](const Settings& s) { return s.portDigit == '8'; }},
      {"COM 0 loads as 1", 17, "0", [](const Settings& s) { return s.portDigit == '1'; }},
      {"COM blank loads as 1", 17, " ", [](const Settings& s) { return s.portDigit == '1'; }},
      {"COM byte 0x80 and up counts as below 1", 17, "\xE9",
       [](const Settings& s) { return s.portDigit == '1'; }},
      {"LANG EN", 92, "EN", [](const Settings& s) { return s.language == English; }},
      {"LANG FR", 92, "FR", [](const Settings& s) { return s.language == French; }},
      {"LANG NL", 92, "NL", [](const Settings& s) { return s.language == Dutch; }},
      {"LANG IT", 92, "IT", [](const Settings& s) { return s.language == Italian; }},
      {"LANG SP is Spanish", 92, "SP", [](const Settings& s) { return s.language == Spanish; }},
      {"LANG ES is not recognised", 92, "ES", [](const Settings& s) { return s.language == German; }},
      {"LANG in lower case is not recognised", 92, "en",
       [](const Settings& s) { return s.language == German; }},
      {"DATA NMEA", 5, "NMEA", [](const Settings& s) { return s.dataMode == DataMode::Nmea; }},
      {"DATA any first character but a blank is NMEA", 5, "X KX",
       [](const Settings& s) { return s.dataMode == DataMode::Nmea; }},
      {"DATA only the first character counts", 5, " XYZ",
       [](const Settings& s) { return s.dataMode == DataMode::Kx; }},
      {"flag blank is on", 42, " ", [](const Settings& s) { return s.drawTendency1h != 0; }},
      {"flag digit above 1 is 1", 42, "7", [](const Settings& s) { return s.drawTendency1h == 1; }},
      {"flag letter is 1", 103, "Z", [](const Settings& s) { return s.converterWindow == 1; }},
      {"byte flag blank is on", 79, " ", [](const Settings& s) { return s.beepOnFastFall != 0; }},
      {"DP blank is 1", 123, " ", [](const Settings& s) { return s.paperLook == 1; }},
      {"DP digit 5 is 1", 123, "5", [](const Settings& s) { return s.paperLook == 1; }},
      {"ERR 0 is off", 69, "0", [](const Settings& s) { return s.logEvents == 0; }},
      {"ERR 5 is not clamped and on", 69, "5", [](const Settings& s) { return s.logEvents == 5; }},
      {"ERR blank is on", 69, " ", [](const Settings& s) { return s.logEvents != 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.ini", patched(kDefaultFile, c.at, c.text));
    ASSERT_EQ(loadSettings(t.app), 1);
    EXPECT_TRUE(c.holds(t.app.settings));
    EXPECT_FALSE(t.dir.exists("monitor.err"));
  }
}

TEST(SettingsFile, EachFlagReadsAndWritesItsOwnPosition) {
  struct Flag {
    const char* key;
    std::size_t at;
    std::function<int(const Settings&)> get;
    std::function<void(Settings&, int)> set;
  };
  const Flag flags[] = {
      {"T1", 42, [](const Settings& s) { return s.drawTendency1h; },
       [](Settings& s, int v) { s.drawTendency1h = v; }},
      {"T3", 47, [](const Settings& s) { return s.drawTendency3h; },
       [](Settings& s, int v) { s.drawTendency3h = v; }},
      {"VAR", 53, [](const Settings& s) { return s.drawVariation; },
       [](Settings& s, int v) { s.drawVariation = v; }},
      {"TC", 58, [](const Settings& s) { return s.storedTc; }, [](Settings& s, int v) { s.storedTc = v; }},
      {"AD", 63, [](const Settings& s) { return s.storedAd; }, [](Settings& s, int v) { s.storedAd = v; }},
      {"ERR", 69, [](const Settings& s) { return int{s.logEvents}; },
       [](Settings& s, int v) { s.logEvents = static_cast<std::uint8_t>(v); }},
      {"U", 73, [](const Settings& s) { return s.storedU; }, [](Settings& s, int v) { s.storedU = v; }},
      {"SIG", 79, [](const Settings& s) { return int{s.beepOnFastFall}; },
       [](Settings& s, int v) { s.beepOnFastFall = static_cast<std::uint8_t>(v); }},
      {"DKS", 85, [](const Settings& s) { return int{s.variationBars}; },
       [](Settings& s, int v) { s.variationBars = static_cast<std::uint8_t>(v); }},
      {"DW", 98, [](const Settings& s) { return s.valuesWindow; },
       [](Settings& s, int v) { s.valuesWindow = v; }},
      {"AW", 103, [](const Settings& s) { return s.converterWindow; },
       [](Settings& s, int v) { s.converterWindow = v; }},
      {"LO", 108, [](const Settings& s) { return s.lowScale; }, [](Settings& s, int v) { s.lowScale = v; }},
      {"DP", 123, [](const Settings& s) { return int{s.paperLook}; },
       [](Settings& s, int v) { s.paperLook = static_cast<std::uint8_t>(v); }},
  };
  for (const Flag& f : flags) {
    SCOPED_TRACE(f.key);
    for (char stored : {'0', '1'}) {
      // Every other flag holds the opposite value, so a swapped offset shows.
      std::string file = kDefaultFile;
      for (const Flag& other : flags) {
        file[other.at] = stored == '0' ? '1' : '0';
      }
      file[f.at] = stored;
      TestApp t;
      t.dir.write("monitor.ini", file);
      ASSERT_EQ(loadSettings(t.app), 1);
      EXPECT_EQ(f.get(t.app.settings), stored - '0');
      for (const Flag& other : flags) {
        if (other.at != f.at) {
          EXPECT_EQ(other.get(t.app.settings) != 0, stored == '0') << other.key;
        }
      }
      // Written back unchanged.
      saveSettings(t.app);
      EXPECT_EQ(t.dir.read("monitor.ini"), file);
    }
    // Any non-zero value is written as "1".
    TestApp t;
    applyDefaultSettings(t.app.settings);
    f.set(t.app.settings, -16);
    saveSettings(t.app);
    EXPECT_EQ(t.dir.read("monitor.ini")[f.at], '1');
  }
}

TEST(SettingsFile, BlankFlagIsWrittenBackAsOne) {
  TestApp t;
  t.dir.write("monitor.ini", patched(kDefaultFile, 98, " "));
  ASSERT_EQ(loadSettings(t.app), 1);
  saveSettings(t.app);
  EXPECT_EQ(t.dir.read("monitor.ini"), patched(kDefaultFile, 98, "1"));
}

TEST(SettingsFile, MissingFileReportsEventTwoAndLeavesTheRecord) {
  TestApp t;
  t.app.settings.displayStep = 900;
  t.app.settings.heightCorrection = 123;
  const Settings before = t.app.settings;
  EXPECT_EQ(loadSettings(t.app), 0);
  EXPECT_TRUE(sameRecord(t.app.settings, before));
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 2 error: no file MONITOR.INI !\r\n");
  EXPECT_FALSE(t.dir.exists("monitor.ini"));
}

TEST(SettingsFile, LockedFileCannotBeReadEither) {
  TestApp t;
  t.dir.write("monitor.ini", patched(kDefaultFile, 34, "0900"));
  auto holder = t.files.open("monitor.ini", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  ASSERT_TRUE(holder);
  EXPECT_EQ(loadSettings(t.app), 0);
  EXPECT_EQ(t.app.settings.displayStep, 0u);
}

TEST(SettingsFile, ShortFilesGiveMissingFieldsTheirDefaults) {
  struct Case {
    const char* legend;
    std::string contents;
    std::function<void(Settings&)> expect; // changes from the defaults
  };
  const std::string custom =
      "DATA=NMEA\nCOM=COM5\nSAVE=0000\nSHOW=1800\nT1=0\nT3=0\nVAR=0\nTC=1\nAD=1\nERR=0\n"
      "U=1\nSIG=1\nDKS=1\nLANG=IT\nDW=1\nAW=1\nLO=1\nHK=-01234\nDP=1\n";
  // The record `custom` holds, up to and including the field that ends at `upTo`.
  auto customUpTo = [](Settings& s, int upTo) {
    const std::function<void()> steps[] = {[&] { s.dataMode = DataMode::Nmea; },
                                           [&] { s.portDigit = '5'; },
                                           [&] { s.displayStep = 1800; },
                                           [&] { s.drawTendency1h = 0; },
                                           [&] { s.drawTendency3h = 0; },
                                           [&] { s.drawVariation = 0; },
                                           [&] { s.storedTc = 1; },
                                           [&] { s.storedAd = 1; },
                                           [&] { s.logEvents = 0; },
                                           [&] { s.storedU = 1; },
                                           [&] { s.beepOnFastFall = 1; },
                                           [&] { s.variationBars = 1; },
                                           [&] { s.language = Italian; },
                                           [&] { s.valuesWindow = 1; },
                                           [&] { s.converterWindow = 1; },
                                           [&] { s.lowScale = 1; },
                                           [&] { s.heightCorrection = -1234; },
                                           [&] { s.paperLook = 1; }};
    for (int i = 0; i < upTo; ++i) {
      steps[i]();
    }
  };
  const Case cases[] = {
      {"empty file", "", [](Settings&) {}},
      {"cut after SHOW", custom.substr(0, 39), [&](Settings& s) { customUpTo(s, 3); }},
      {"cut inside the HK digits", custom.substr(0, 117),
       [&](Settings& s) {
         customUpTo(s, 16);
         s.heightCorrection = -1200; // digits "012" from the file, the last two from the default "00"
       }},
      {"cut before the last flag", custom.substr(0, 122), [&](Settings& s) { customUpTo(s, 17); }},
      {"whole file", custom, [&](Settings& s) { customUpTo(s, 18); }},
      {"longer file reads only the first 125 bytes", custom + "garbage after the end\n",
       [&](Settings& s) { customUpTo(s, 18); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    // Start far from the defaults so that a field left untouched shows.
    Settings& s = t.app.settings;
    s.dataMode = static_cast<DataMode>(7), s.portDigit = '7', s.recordInterval = 1, s.displayStep = 7,
    s.drawTendency1h = 7, s.drawTendency3h = 7, s.drawVariation = 7, s.storedTc = 7, s.storedAd = 7,
    s.logEvents = 7;
    s.storedU = 7, s.beepOnFastFall = 7, s.variationBars = 7, s.language = 7, s.valuesWindow = 7,
    s.converterWindow = 7, s.lowScale = 7, s.heightCorrection = 7, s.paperLook = 7;
    t.dir.write("monitor.ini", c.contents);
    ASSERT_EQ(loadSettings(t.app), 1);
    Settings expected = defaults();
    expected.variationBars = 0;
    c.expect(expected);
    EXPECT_TRUE(sameRecord(s, expected));
  }
}

TEST(SettingsFile, UnreadableContentsGiveDefaults) {
  // Opens, but every read fails.
  TestApp t;
  t.dir.write("monitor.ini", "DATA=NMEA\nCOM=COM5\n");
  fakes::FaultyFileSystem files(t.files);
  files.failAllReads = true;
  AppContext app{Platform{t.clock, files, t.windows, t.ports, t.graphics}};
  EXPECT_EQ(loadSettings(app), 1);
  Settings expected = defaults();
  expected.variationBars = 0;
  EXPECT_TRUE(sameRecord(app.settings, expected));
}

TEST(SettingsFile, ADirectoryUnderTheNameIsNoSettingsFile) {
  TestApp t;
  ASSERT_TRUE(std::filesystem::create_directory(t.dir.file("monitor.ini")));
  EXPECT_EQ(loadSettings(t.app), 0);
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 2 error: no file MONITOR.INI !\r\n");
}

TEST(SettingsFile, WriterClampsAndSpecialCases) {
  struct Case {
    const char* legend;
    std::function<void(Settings&)> change;
    std::size_t at;
    std::string written;
    std::function<bool(const Settings&)> afterwards;
  };
  const Case cases[] = {
      {"SAVE 0 (recording off) is written and kept as 300", [](Settings& s) { s.recordInterval = 0; }, 24,
       "0300", [](const Settings& s) { return s.recordInterval == 300; }},
      {"SAVE 600 becomes 300", [](Settings& s) { s.recordInterval = 600; }, 24, "0300",
       [](const Settings& s) { return s.recordInterval == 300; }},
      {"SAVE negative becomes 300", [](Settings& s) { s.recordInterval = -5; }, 24, "0300",
       [](const Settings& s) { return s.recordInterval == 300; }},
      {"SHOW 0 is raised to 300", [](Settings& s) { s.displayStep = 0; }, 34, "0300",
       [](const Settings& s) { return s.displayStep == 300; }},
      {"SHOW 299 is raised to 300", [](Settings& s) { s.displayStep = 299; }, 34, "0300",
       [](const Settings& s) { return s.displayStep == 300; }},
      {"SHOW 600 kept", [](Settings& s) { s.displayStep = 600; }, 34, "0600",
       [](const Settings& s) { return s.displayStep == 600; }},
      {"SHOW 900 kept", [](Settings& s) { s.displayStep = 900; }, 34, "0900",
       [](const Settings& s) { return s.displayStep == 900; }},
      {"SHOW 1800 kept", [](Settings& s) { s.displayStep = 1800; }, 34, "1800",
       [](const Settings& s) { return s.displayStep == 1800; }},
      {"SHOW 1801 is lowered to 1800", [](Settings& s) { s.displayStep = 1801; }, 34, "1800",
       [](const Settings& s) { return s.displayStep == 1800; }},
      {"SHOW far above is lowered to 1800", [](Settings& s) { s.displayStep = 4000000000u; }, 34, "1800",
       [](const Settings& s) { return s.displayStep == 1800; }},
      {"SHOW 450 becomes 300", [](Settings& s) { s.displayStep = 450; }, 34, "0300",
       [](const Settings& s) { return s.displayStep == 300; }},
      {"DATA 0 is NMEA", [](Settings& s) { s.dataMode = DataMode::Nmea; }, 5, "NMEA",
       [](const Settings& s) { return s.dataMode == DataMode::Nmea; }},
      {"DATA other than 0 is KX", [](Settings& s) { s.dataMode = static_cast<DataMode>(5); }, 5, "  KX",
       [](const Settings& s) { return s.dataMode == static_cast<DataMode>(5); }},
      {"COM digit", [](Settings& s) { s.portDigit = '8'; }, 17, "8",
       [](const Settings& s) { return s.portDigit == '8'; }},
      {"LANG SP", [](Settings& s) { s.language = Spanish; }, 92, "SP", [](const Settings&) { return true; }},
      {"LANG NL", [](Settings& s) { s.language = Dutch; }, 92, "NL", [](const Settings&) { return true; }},
      {"LANG out of range leaves DE", [](Settings& s) { s.language = 6; }, 92, "DE",
       [](const Settings& s) { return s.language == 6; }},
      {"HK negative", [](Settings& s) { s.heightCorrection = -250; }, 113, "-00250",
       [](const Settings&) { return true; }},
      {"HK largest", [](Settings& s) { s.heightCorrection = 99999; }, 113, "+99999",
       [](const Settings&) { return true; }},
      {"HK beyond the field is written as the nearest that fits",
       [](Settings& s) { s.heightCorrection = -100000; }, 110, "HK=-99999\nDP=0\n",
       [](const Settings& s) { return s.heightCorrection == -100000; }},
      {"HK at the int limit stays within its line", [](Settings& s) { s.heightCorrection = INT_MAX; }, 110,
       "HK=+99999\nDP=0\n", [](const Settings&) { return true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    applyDefaultSettings(t.app.settings);
    c.change(t.app.settings);
    saveSettings(t.app);
    const std::string file = t.dir.read("monitor.ini");
    ASSERT_EQ(file.size(), 125u);
    EXPECT_EQ(file, patched(kDefaultFile, c.at, c.written));
    EXPECT_TRUE(c.afterwards(t.app.settings));
  }
}

TEST(SettingsFile, SavedRecordLoadsBack) {
  TestApp t;
  Settings& s = t.app.settings;
  s.dataMode = DataMode::Nmea, s.portDigit = '3', s.recordInterval = 300, s.displayStep = 900,
  s.drawTendency1h = 0, s.drawTendency3h = 1, s.drawVariation = 0, s.storedTc = 1, s.storedAd = 0;
  s.logEvents = 1, s.storedU = 1, s.beepOnFastFall = 1, s.variationBars = 1, s.language = French,
  s.valuesWindow = 1, s.converterWindow = 0, s.lowScale = 1, s.heightCorrection = -99999, s.paperLook = 1;
  const Settings saved = s;
  saveSettings(t.app);
  s = Settings{};
  ASSERT_EQ(loadSettings(t.app), 1);
  EXPECT_TRUE(sameRecord(s, saved));
}

TEST(SettingsFile, UncreatableFileReportsEventThreeThenFatalOne) {
  TestApp t;
  t.dir.write("monitor.ini", "old contents");
  auto holder = t.files.open("monitor.ini", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  ASSERT_TRUE(holder);
  applyDefaultSettings(t.app.settings);
  saveSettings(t.app);
  holder.reset();
  EXPECT_EQ(t.dir.read("monitor.ini"), "old contents");
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 3 error writing in file MONITOR.INI !\r\n"
                                       "07.12.2026 07:05 fatal error # 001\n");
  EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"box:Error", "beep!", "quit"}));
}

// Files whose writes fail, as on a full disk.
class FailingWrites final : public platform::FileSystem {
public:
  explicit FailingWrites(platform::FileSystem& real) : real_(real) {}
  std::unique_ptr<platform::File> open(const std::string& name, platform::FileAccess access,
                                       platform::OpenMode mode) override {
    auto file = real_.open(name, access, mode);
    if (!file || name.rfind("monitor.ini", 0) != 0) { // the file and its scratch copy
      return file;
    }
    return std::make_unique<Failing>(std::move(file));
  }
  bool copy(const std::string& from, const std::string& to) override { return real_.copy(from, to); }
  bool remove(const std::string& name) override { return real_.remove(name); }
  bool rename(const std::string& from, const std::string& to) override { return real_.rename(from, to); }
  bool linkReplacing(const std::string& from, const std::string& to) override {
    return real_.linkReplacing(from, to);
  }
  bool copyAccess(const std::string& from, const std::string& to) override {
    return real_.copyAccess(from, to);
  }
  std::string finalName(const std::string& name) override { return real_.finalName(name); }
  std::optional<std::uint64_t> freeBytes() override { return real_.freeBytes(); }

private:
  struct Failing final : platform::File {
    explicit Failing(std::unique_ptr<platform::File> f) : inner(std::move(f)) {}
    std::optional<std::size_t> read(void* b, std::size_t n) override { return inner->read(b, n); }
    std::optional<std::size_t> write(const void*, std::size_t) override { return std::nullopt; }
    std::optional<std::int64_t> seek(std::int64_t o, platform::SeekFrom f) override {
      return inner->seek(o, f);
    }
    std::optional<std::int64_t> size() override { return inner->size(); }
    bool sync() override { return inner->sync(); }
    bool resize(std::int64_t length) override { return inner->resize(length); }
    std::unique_ptr<platform::File> inner;
  };
  platform::FileSystem& real_;
};

TEST(SettingsFile, FailedWriteReportsEventTwentyOneAndGoesOn) {
  TestApp t;
  FailingWrites files(t.files);
  AppContext app{Platform{t.clock, files, t.windows, t.ports, t.graphics}};
  applyDefaultSettings(app.settings);
  saveSettings(app);
  EXPECT_EQ(t.dir.read("monitor.err"), "07.12.2026 07:05  event # 21 error: WriteFile/ReadFile\r\n");
  EXPECT_TRUE(t.windows.calls.empty());
}

} // namespace
