#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "support/LogBuilder.h"
#include "support/TempDir.h"
#include "support/TideLog.h"

#ifdef BAROMON_DFT_EXE

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;

Outcome dftIn(const TempDir& dir, const std::string& args, bool withErrors = true) {
  return runShellIn(dir, "QT_QPA_PLATFORM=offscreen '" BAROMON_DFT_EXE "' " + args, withErrors);
}

// A monitor.ini that names a language, as the monitor writes it.
void settingsIn(const TempDir& dir, const char* language) {
  ASSERT_EQ(runShellIn(dir, "'" BAROMON_EXE "' settings LANG=" + std::string(language)).status, 0);
}

// The program reads the tides off a log: the values on standard output, the picture
// into the file, and nothing in the directory changed but the picture.
TEST(SpectrumProgram, ReadsTheTidesOfASimulatedLog) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::tideLog(15 * 288, {1.3, 0.4, 3.0}));
  settingsIn(dir, "EN");
  const auto before = dir.snapshot();
  const Outcome r = dftIn(dir, "--out s.png --size 640x400");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            "15.0 days analysed, 0 gaps bridged\n24 h: 0.40 hPa (24.0 h)    12 h: 1.30 hPa (12.0 h)\n");
  auto after = dir.snapshot();
  ASSERT_EQ(after.count("s.png"), 1u);
  EXPECT_EQ(after["s.png"].substr(1, 3), "PNG");
  after.erase("s.png");
  EXPECT_EQ(after, before) << "the spectrum program changed a file of the monitor's";
}

// In the monitor's language: monitor.ini's LANG, German without one.
TEST(SpectrumProgram, SpeaksTheMonitorsLanguage) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::tideLog(3 * 288));
  EXPECT_EQ(dftIn(dir, "--out s.png").out.rfind("3.0 Tage ausgewertet, 0 L\xFC", 0), 0u);
  settingsIn(dir, "FR");
  EXPECT_EQ(dftIn(dir, "--out s.png").out.rfind("3.0 jours analys\xE9s, 0 lacunes", 0), 0u);
  settingsIn(dir, "SP");
  EXPECT_EQ(dftIn(dir, "--out s.png")
                .out.rfind("3.0 d\xED"
                           "as analizados",
                           0),
            0u);
}

// No log, an empty one, one shorter than a day, a gapped one too short between its gaps:
// a clear message and a failure, no picture and no crash.
TEST(SpectrumProgram, NothingToShowIsAFailureWithAMessage) {
  struct Case {
    const char* legend;
    const char* log; // nullptr: no monitor.txt
    int records;
    const char* message;
  } cases[] = {
      {"no log", nullptr, 0, "dft: monitor.txt is missing or cannot be read\n"},
      {"empty log", "", 0, "dft: monitor.txt holds no valid record\n"},
      {"garbage", "garbage\r\n", 0, "dft: monitor.txt holds no valid record\n"},
      {"shorter than a day", "", 287, "dft: insufficient data: at least one day without a long gap needed\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    settingsIn(dir, "EN");
    if (c.log != nullptr) {
      dir.write("monitor.txt", std::string(c.log) + baromon::testlog::tideLog(c.records));
    }
    const Outcome r = dftIn(dir, "--out s.png");
    EXPECT_EQ(r.status, 1) << c.legend;
    EXPECT_EQ(r.out, c.message) << c.legend;
    EXPECT_FALSE(dir.exists("s.png")) << c.legend;
    EXPECT_FALSE(dir.exists("monitor.err")) << c.legend;
  }
}

// Gaps: two hours missing are bridged and said; the tides stay.
TEST(SpectrumProgram, SaysHowManyGapsItBridged) {
  TempDir dir;
  const std::string log = baromon::testlog::tideLog(10 * 288, {1.0, 0.0, 0.0});
  const std::size_t record = baromon::kLogRecordSize;
  dir.write("monitor.txt", log.substr(0, 500 * record) + log.substr(524 * record, 1000 * record) +
                               log.substr(1530 * record));
  settingsIn(dir, "EN");
  const Outcome r = dftIn(dir, "--out s.png");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "10.0 days analysed, 2 gaps bridged");
  EXPECT_NE(r.out.find("12 h: 1.00 hPa (12.0 h)"), std::string::npos) << r.out;
}

// Started without a screen (from a shell on a server, say), the window cannot be shown:
// a message and a failure, not an abort inside the toolkit.
TEST(SpectrumProgram, WithoutAScreenTheWindowFailsWithAMessage) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::tideLog(2 * 288));
  for (const char* args : {"", "--grab s.png"}) {
    const Outcome r = runShellIn(
        dir,
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" BAROMON_DFT_EXE "' " + std::string(args),
        true);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.out.find("dft: no display to show the window on"), std::string::npos) << r.out;
  }
  // Nor a box for a missing log: the message alone.
  TempDir empty;
  const Outcome r =
      runShellIn(empty, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" BAROMON_DFT_EXE "'", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "dft: monitor.txt fehlt oder ist nicht lesbar\n");
}

TEST(SpectrumProgram, RejectsUnusableArguments) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::tideLog(2 * 288));
  struct Case {
    const char* args;
    int status;
  } cases[] = {
      {"--size 10x10 --out a.png", 2}, {"--out", 2},  {"--colour red", 2}, {"--out a.gif", 1},
      {"--out no/dir/a.png", 1},       {"--help", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dftIn(dir, c.args).status, c.status) << c.args;
  }
}

} // namespace

#endif
