#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/program/Startup.h"
#include "core/config/EventLog.h"
#include "core/config/Settings.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;

const std::string kDefaultFile =
    "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\nERR=1\n"
    "U=0\nSIG=0\nDKS=0\nLANG=DE\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

// A file a user would want kept: not the defaults, so a test sees which one was written.
const std::string kOwnFile =
    "DATA=  KX\nCOM=COM5\nSAVE=0300\nSHOW=0600\nT1=0\nT3=1\nVAR=0\nTC=0\nAD=0\nERR=1\n"
    "U=0\nSIG=1\nDKS=0\nLANG=EN\nDW=1\nAW=0\nLO=0\nHK=-00250\nDP=0\n";

std::string randomBytes(std::size_t n) {
  std::mt19937 random(20261209);
  std::string bytes(n, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() & 0xFF);
  }
  return bytes;
}

std::string flipped(std::string file, std::size_t at) {
  file[at] = static_cast<char>(~static_cast<unsigned char>(file[at]));
  return file;
}

struct Damage {
  const char* name;
  std::string bytes;
};

// What a power cut, a bad sector or a careless editor leaves. Read leniently, each of
// these ran the monitor in NMEA mode (most on COM1): no pressure record was ever written.
std::vector<Damage> damagedFiles() {
  return {
      {"zeros", std::string(125, '\0')},
      {"0xFF bytes", std::string(125, '\xFF')},
      {"random bytes", randomBytes(125)},
      {"a flipped byte at offset 5", flipped(kOwnFile, 5)},
      {"a flipped byte in a key", flipped(kOwnFile, 40)},
      {"a line end lost", kOwnFile.substr(0, 9) + " " + kOwnFile.substr(10)},
      {"short", kOwnFile.substr(0, 100)},
      {"empty", ""},
      {"long", kOwnFile + "DP=0\n"},
  };
}

TEST(DamagedSettings, AreKeptAsideReportedAndReplacedByTheDefaults) {
  for (const Damage& damage : damagedFiles()) {
    SCOPED_TRACE(damage.name);
    TestApp t;
    t.ports.add("COM2");
    t.dir.write("monitor.ini", damage.bytes);
    ASSERT_EQ(startUp(t.app), 0);

    EXPECT_EQ(t.app.settings.dataMode, DataMode::Kx) << "KX mode: the barograph is recorded";
    EXPECT_EQ(t.app.settings.portDigit, '2');
    EXPECT_EQ(t.app.settings.logEvents, 1);
    EXPECT_TRUE(t.app.serial.open);
    ASSERT_TRUE(t.dir.exists("monitor.ini.bad"));
    EXPECT_EQ(t.dir.read("monitor.ini.bad"), damage.bytes) << "kept byte for byte";
    EXPECT_EQ(t.dir.read("monitor.ini"), kDefaultFile) << "fresh defaults, as for a missing file";

    const auto events = fakes::parseEventLog(t.dir.read("monitor.err"));
    ASSERT_EQ(events.size(), 1u) << t.dir.read("monitor.err");
    EXPECT_EQ(events[0].code, eventCode(Event::SettingsDamaged));
    EXPECT_NE(events[0].text.find("monitor.ini.bad"), std::string::npos) << events[0].text;
  }
}

TEST(DamagedSettings, AnOlderCopyIsReplacedNotAddedTo) {
  TestApp t;
  t.ports.add("COM2");
  t.dir.write("monitor.ini.bad", "an older damaged file, longer than the new one is");
  t.dir.write("monitor.ini", std::string(125, '\0'));
  ASSERT_EQ(startUp(t.app), 0);
  EXPECT_EQ(t.dir.read("monitor.ini.bad"), std::string(125, '\0'));
}

// The template with odd values in it is no damage: every value keeps its clamp, nothing
// is put aside, no event.
TEST(DamagedSettings, TheTemplateWithOddValuesIsStillReadLeniently) {
  std::string odd = kOwnFile;
  odd.replace(17, 1, "9");       // COM9: the highest port there is
  odd.replace(34, 4, "0450");    // SHOW that is no step
  odd.replace(42, 1, " ");       // a blank flag is on
  odd.replace(92, 2, "ES");      // not a language code
  odd.replace(113, 6, "+0000A"); // a letter among the digits
  odd.replace(5, 4, "NMEA");
  TestApp t;
  t.ports.add("COM8");
  t.dir.write("monitor.ini", odd);
  ASSERT_EQ(startUp(t.app), 0);
  EXPECT_FALSE(t.dir.exists("monitor.ini.bad"));
  EXPECT_EQ(t.dir.read("monitor.err"), "");
  EXPECT_EQ(t.app.settings.dataMode, DataMode::Nmea);
  EXPECT_EQ(t.app.settings.portDigit, '8');
  EXPECT_EQ(t.app.settings.displayStep, 300u);
  EXPECT_NE(t.app.settings.drawTendency1h, 0) << "on";
  EXPECT_EQ(t.app.settings.language, German);
  EXPECT_EQ(t.app.settings.heightCorrection, 17);
  EXPECT_EQ(t.app.settings.beepOnFastFall, 1);
}

TEST(DamagedSettings, AGoodFileIsLeftAsItIs) {
  TestApp t;
  t.ports.add("COM5");
  t.dir.write("monitor.ini", kOwnFile);
  ASSERT_EQ(startUp(t.app), 0);
  EXPECT_EQ(t.dir.read("monitor.ini"), kOwnFile);
  EXPECT_FALSE(t.dir.exists("monitor.ini.bad"));
  EXPECT_EQ(t.app.settings.portDigit, '5');
  EXPECT_EQ(t.app.settings.heightCorrection, -250);
}

} // namespace
} // namespace baromon
