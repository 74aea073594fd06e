#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/ProgramRun.h"
#include "core/store/LogRecord.h"
#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

// The built logger on real files: the check keeps every record, and the monitor appends
// to a log off the 80-byte grid without losing any.

namespace {

using baromon::Event;
using baromon::clitest::BaromonChild;
using baromon::clitest::Outcome;
using baromon::clitest::RawTerminal;
using baromon::clitest::runBaromonIn;
using baromon::fakes::eventCount;
using baromon::fakes::TempDir;
using baromon::testlog::gridLog;

// KX mode on COM2, recording every five minutes, events on, English boxes.
const std::string kKxSettings = "DATA=  KX\nCOM=COM2\nSAVE=0300\nSHOW=0300\nT1=1\nT3=1\nVAR=1\nTC=0\nAD=0\n"
                                "ERR=1\nU=0\nSIG=0\nDKS=0\nLANG=EN\nDW=0\nAW=0\nLO=0\nHK=+00000\nDP=0\n";

// The date and time of a record that starts at `at`.
std::string keyAt(const std::string& log, std::size_t at) { return log.substr(at + 7, 16); }

// A day of a monitor stopped twice for half an hour and a check run twice: every
// record stays, and the second check finds nothing to change. The records of each
// recording are numbered from 1 already, as the check numbers them.
TEST(CheckedLog, EveryRecordAfterAGapIsKeptAndASecondCheckChangesNothing) {
  TempDir dir;
  const std::string log =
      gridLog(100, 600, 100000) + gridLog(100, 600 + 500 + 25, 110000) + gridLog(76, 600 + 1000 + 50, 120000);
  dir.write("monitor.txt", log);
  const std::string summary = "276 records read\n3 recordings\n0 errors found\n0 errors corrected\n";
  const std::string datalist = "  0      0  100\n  1    100  100\n  2    200   76\n";
  for (int check = 1; check <= 2; ++check) {
    SCOPED_TRACE("check " + std::to_string(check));
    const Outcome run = runBaromonIn(dir, "check");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, summary);
    EXPECT_TRUE(dir.read("monitor.txt") == log) << dir.read("monitor.txt").size() / 80 << " records left";
    EXPECT_TRUE(dir.read("monitor.bak") == log);
    EXPECT_EQ(dir.read("datalist.txt"), datalist);
  }
}

// The logger, its clock shifted (tests/preload/TestClock.cpp) to two seconds before
// 10:05 UTC on 1 March 2026 and running thirty times as fast: boundaries come ten
// seconds apart. The barograph is a pseudo-terminal sending a sentence about every
// quarter of a second.
struct ShiftedLogger {
  TempDir& dir;
  RawTerminal device;

  explicit ShiftedLogger(TempDir& where) : dir(where) {}

  // Runs the logger until the log has grown by `records` records or `seconds` passed.
  int runUntilGrown(std::size_t before, std::size_t records, int seconds) {
    // 2026-03-01 10:04:58 UTC, thirty times as fast.
    BaromonChild run(dir.path(), {"--headless", "--port", "2=" + device.name()}, dir.file("out.txt"),
                     baromon::clitest::testClockEnvironment("1772359498 30"));
    auto nextSentence = std::chrono::steady_clock::now();
    baromon::fakes::waitFor(
        [&] {
          if (std::chrono::steady_clock::now() >= nextSentence) {
            device.send("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
            nextSentence += std::chrono::milliseconds(250);
          }
          return dir.read("monitor.txt").size() >= before + records * baromon::kLogRecordSize;
        },
        std::chrono::seconds(seconds));
    return run.stop(SIGTERM);
  }
};

// A log converted to LF line ends, or with a byte-order mark in front, is off the
// 80-byte grid. The monitor must append after every byte of it (cutting it back to a
// multiple of 80 bytes took its newest record) and say so once, not at every boundary.
TEST(OffGridLog, TheMonitorAppendsAfterEveryRecordAndReportsItOnce) {
  std::string unix = gridLog(5, 600, 100000);
  std::string::size_type at = 0;
  while ((at = unix.find('\r', at)) != std::string::npos) {
    unix.erase(at, 1);
  }
  const struct {
    const char* legend;
    std::string log;
  } cases[] = {
      {"LF line ends", unix},
      {"a byte-order mark in front", "\xEF\xBB\xBF" + gridLog(5, 600, 100000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TempDir dir;
    dir.write("monitor.ini", kKxSettings);
    dir.write("monitor.txt", c.log);
    ShiftedLogger logger(dir);
    ASSERT_TRUE(logger.device.ok());
    EXPECT_EQ(logger.runUntilGrown(c.log.size(), 2, 60), 0) << dir.read("out.txt");

    const std::string after = dir.read("monitor.txt");
    ASSERT_GE(after.size(), c.log.size() + 2 * baromon::kLogRecordSize) << dir.read("out.txt");
    EXPECT_TRUE(after.compare(0, c.log.size(), c.log) == 0) << "the old log is no longer whole";
    const std::size_t added = after.size() - c.log.size();
    ASSERT_EQ(added % baromon::kLogRecordSize, 0u);
    for (std::size_t r = c.log.size(); r < after.size(); r += baromon::kLogRecordSize) {
      baromon::LastDecodedRecord decoded;
      EXPECT_EQ(baromon::parseLogRecord(decoded, baromon::LogRecordMode::Decode, after.data() + r), 1);
      EXPECT_EQ(after.substr(r + 78, 2), "\r\n");
    }
    EXPECT_EQ(keyAt(after, c.log.size()), "01.03.2026 10:05");
    EXPECT_EQ(keyAt(after, c.log.size() + baromon::kLogRecordSize), "01.03.2026 10:10");
    EXPECT_EQ(eventCount(dir.read("monitor.err"), Event::LogOffGrid), 1u) << dir.read("monitor.err");

    // The check puts it back on the grid with every record.
    const Outcome check = runBaromonIn(dir, "check");
    EXPECT_EQ(check.out.substr(0, check.out.find('\n')),
              std::to_string(5 + added / baromon::kLogRecordSize) + " records read");
    const std::string checked = dir.read("monitor.txt");
    ASSERT_EQ(checked.size(), (5 + added / baromon::kLogRecordSize) * baromon::kLogRecordSize);
    EXPECT_EQ(keyAt(checked, 0), "01.01.2026 10:00");
    EXPECT_EQ(keyAt(checked, 4 * baromon::kLogRecordSize), "01.01.2026 10:20");
    EXPECT_EQ(keyAt(checked, 5 * baromon::kLogRecordSize), "01.03.2026 10:05");
  }
}

} // namespace
