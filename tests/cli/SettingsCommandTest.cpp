#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runBaromonIn;
using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;

std::string inLocale(const std::string& locale, const std::string& args) {
  return "env -u LC_ALL -u LC_MESSAGES LANG=" + locale + " " BAROMON_EXE " " + args;
}

const std::string kDefaults =
    "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\nERR=1\n"
    "U=0\nSIG=0\nDKS=0\nLANG=DE\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

TEST(SettingsCommand, PrintsEveryKeyWithItsValueAndMeaningAndWritesNothing) {
  TempDir dir;
  dir.write("monitor.ini", kDefaults);
  const Outcome run = runBaromonIn(dir, "settings");
  ASSERT_EQ(run.status, 0) << run.out;
  for (const char* line : {"DATA=KX ", "COM=COM2 ", "SHOW=0300 ", "LANG=DE ", "HK=+00000 ", "DP=0 "}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  EXPECT_NE(run.out.find("height correction"), std::string::npos) << run.out;
  EXPECT_EQ(dir.read("monitor.ini"), kDefaults);
  EXPECT_FALSE(dir.exists("monitor.err"));
}

TEST(SettingsCommand, ChangesValuesAsTheFileWritesThemThroughTheMonitorsSave) {
  TempDir dir;
  dir.write("monitor.ini", kDefaults);
  const Outcome run =
      runBaromonIn(dir, "settings LANG=EN HK=+00125 COM=COM3 DATA=NMEA SHOW=1800 SIG=1", true);
  ASSERT_EQ(run.status, 0) << run.out;
  std::string expected = kDefaults;
  expected.replace(5, 4, "NMEA").replace(17, 1, "3").replace(34, 4, "1800").replace(79, 1, "1");
  expected.replace(92, 2, "EN").replace(113, 6, "+00125");
  EXPECT_EQ(dir.read("monitor.ini"), expected);
  EXPECT_FALSE(dir.exists("monitor.ini.new"));
  EXPECT_EQ(runBaromonIn(dir, "settings DATA=KX").status, 0);
  EXPECT_EQ(dir.read("monitor.ini").substr(0, 10), "DATA=  KX\n");
}

TEST(SettingsCommand, RefusesAValueOutOfRangeOrAnUnknownKeyAndChangesNothing) {
  const struct {
    const char* legend;
    const char* assignment;
    const char* says;
  } cases[] = {
      {"correction beyond five digits", "HK=+100000", "HK"},
      {"no ninth port", "COM=COM9", "COM1"},
      {"Spanish is SP", "LANG=ES", "SP"},
      {"a step the barogram lacks", "SHOW=0450", "1800"},
      {"a flag is 0 or 1", "SIG=2", "0 or 1"},
      {"recording is switched off only in the menu", "SAVE=0000", "0300"},
      {"no such key", "COLOUR=1", "COLOUR"},
      {"no value", "LANG", "KEY=VALUE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TempDir dir;
    dir.write("monitor.ini", kDefaults);
    const Outcome run = runBaromonIn(dir, std::string("settings LANG=EN ") + c.assignment, true);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    EXPECT_EQ(dir.read("monitor.ini"), kDefaults) << "all or nothing";
  }
}

TEST(SettingsCommand, RefusesWhileAMonitorRunsInTheDirectory) {
  TempDir dir;
  dir.write("monitor.ini", kDefaults);
  // flock(1) holds the directory as a running monitor does while the command runs.
  const Outcome run = runShellIn(dir, "flock . " + inLocale("C", "settings LANG=EN"), true);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("monitor runs"), std::string::npos) << run.out;
  EXPECT_EQ(dir.read("monitor.ini"), kDefaults);
}

TEST(SettingsCommand, ANewFileTakesTheLanguageOfTheLocale) {
  const struct {
    const char* locale;
    const char* lang;
  } cases[] = {
      {"it_IT.UTF-8", "LANG=IT\n"}, {"es_ES", "LANG=SP\n"}, {"pt_BR.UTF-8", "LANG=DE\n"}, {"C", "LANG=DE\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    TempDir dir;
    const Outcome shown = runShellIn(dir, inLocale(c.locale, "settings"));
    EXPECT_EQ(shown.status, 0);
    EXPECT_FALSE(dir.exists("monitor.ini")) << "showing writes nothing";
    ASSERT_EQ(runShellIn(dir, inLocale(c.locale, "settings SIG=1")).status, 0);
    const std::string ini = dir.read("monitor.ini");
    ASSERT_EQ(ini.size(), 125u);
    EXPECT_NE(ini.find(c.lang), std::string::npos) << ini;
    EXPECT_NE(ini.find("SIG=1\n"), std::string::npos);
  }
}

} // namespace
