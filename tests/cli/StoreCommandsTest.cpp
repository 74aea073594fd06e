#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/WaitFor.h"
#include "support/LogBuilder.h"
#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runBaromonIn;
using baromon::fakes::TempDir;

std::string goodLog(int count) { return baromon::testlog::gridLog(count, 600, 100000); }

TEST(CheckCommand, PrintsTheBoxAndTellsByStatus) {
  struct Case {
    const char* legend;
    bool haveLog;
    std::string log;
    std::string out;
    int status;
  };
  std::string withError = goodLog(6);
  withError[80 * 2 + 12] = ':';
  const Case cases[] = {
      {"a clean log", true, goodLog(10),
       "10 records read\n1 recordings\n0 errors found\n0 errors corrected\n", 0},
      {"errors found and corrected", true, withError,
       "5 records read\n2 recordings\n1 errors found\n1 errors corrected\n", 1},
      {"an empty log", true, "", "No records read\nno errors can be found\n", 0},
      {"no log", false, "", "error reading monitor.txt\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TempDir dir;
    if (c.haveLog) {
      dir.write("monitor.txt", c.log);
    }
    const Outcome run = runBaromonIn(dir, "check");
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.status, c.status);
  }
}

TEST(CheckCommand, RepairsTheLogInTheCurrentDirectory) {
  TempDir dir;
  const std::string log = baromon::testlog::gridLog(5, 600, 100000, 77);
  dir.write("monitor.txt", log);
  ASSERT_EQ(runBaromonIn(dir, "check").status, 0);
  EXPECT_EQ(dir.read("monitor.txt"), baromon::testlog::gridLog(5, 600, 100000, 1));
  EXPECT_EQ(dir.read("monitor.bak"), log);
  EXPECT_EQ(dir.read("datalist.txt"), "  0      0    5\n");
  EXPECT_FALSE(dir.exists("monitor.tmp"));
  EXPECT_EQ(runBaromonIn(dir, "check extra").status, 2);
}

TEST(ExportCommand, WritesOneCsvRowPerRecord) {
  TempDir dir;
  const std::string example =
      "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\r\n";
  std::string log = example;
  log += "000021 28.12.2003 21:05 0987,05 hPa -00,3 hPa/hr -12,0 hPa/3h 01,5 hPa/h var 0\r\n";
  log += "000022 00.13.2003 21:10 1000,00 hPa +00,0 hPa/hr +00,0 hPa/3h 55,0 hPa/h var 0\r\n";
  log += std::string(80, ' ');
  log += example.substr(0, 50); // a trailing partial record is not exported
  dir.write("monitor.txt", log);
  const std::string expected =
      "counter,date,time,pressure_hpa,tendency1h_hpa,tendency3h_hpa,variation_hpa,valid\n"
      "20,2003-12-28,21:00,988.10,+1.8,+5.2,0.0,1\n"
      "21,2003-12-28,21:05,987.05,-0.3,-12.0,1.5,1\n"
      "22,2003-12-01,21:10,1000.00,+0.0,+0.0,0.0,0\n";
  const Outcome run = runBaromonIn(dir, "export");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  // The blank record: every digit is a blank minus '0', then clamped.
  const std::string blankRow = run.out.substr(std::min(run.out.size(), expected.size()));
  EXPECT_EQ(std::count(blankRow.begin(), blankRow.end(), '\n'), 1);
  EXPECT_EQ(blankRow.substr(blankRow.size() - 3), ",0\n");
  EXPECT_EQ(dir.read("monitor.txt"), log); // nothing written
  EXPECT_FALSE(dir.exists("monitor.err"));
}

TEST(ExportCommand, ReadsTheNamedFileAnywhere) {
  TempDir dir;
  TempDir other;
  other.write("old.txt", goodLog(3000));
  const Outcome run = runBaromonIn(dir, "export '" + other.file("old.txt") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3001);
  EXPECT_NE(run.out.find("\n3000,2026-01-11,19:55,1029.99,+0.0,+0.0,0.0,1\n"), std::string::npos);
  EXPECT_EQ(runBaromonIn(dir, "export missing.txt").status, 1);
  EXPECT_EQ(runBaromonIn(dir, "export").status, 1);
}

// A fragment shifts every later record off the 80-byte grid; export finds the
// records again exactly as the check does instead of printing what straddles them.
TEST(ExportCommand, FindsTheRecordsAgainAfterAFragment) {
  TempDir dir;
  const std::string good = goodLog(288);
  dir.write("monitor.txt", good);
  const Outcome clean = runBaromonIn(dir, "export");
  ASSERT_EQ(clean.status, 0);
  ASSERT_EQ(std::count(clean.out.begin(), clean.out.end(), '\n'), 289);
  ASSERT_EQ(clean.out.find(",0\n"), std::string::npos);
  struct Case {
    const char* legend;
    std::string log;
  };
  std::string lineEnd = good;
  lineEnd.replace(80 * 150 + 78, 2, "\n\n");
  const Case cases[] = {
      {"4 bytes in the middle", good.substr(0, 80 * 100) + good.substr(0, 4) + good.substr(80 * 100)},
      {"37 bytes at the start", good.substr(0, 37) + good},
      {"two fragments", good.substr(0, 80 * 10) + good.substr(0, 61) + good.substr(80 * 10, 80 * 200) +
                            good.substr(0, 19) + good.substr(80 * 210)},
      {"a record whose line end is damaged", lineEnd},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    dir.write("monitor.txt", c.log);
    const Outcome run = runBaromonIn(dir, "export");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, clean.out);
  }
}

// Nothing holds the log while the rows wait in a full pipe: a reader that
// stops reading must not keep the monitor from appending.
TEST(ExportCommand, ReleasesTheLogWhileTheOutputIsBlocked) {
  TempDir dir;
  dir.write("monitor.txt", goodLog(5000));
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  ASSERT_GE(::fcntl(out[0], F_SETPIPE_SZ, 4096), 4096);
  const int capacity = ::fcntl(out[0], F_GETPIPE_SZ);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    if (::chdir(dir.path().c_str()) == 0) {
      ::execl(BAROMON_EXE, BAROMON_EXE, "export", static_cast<char*>(nullptr));
    }
    ::_exit(127);
  }
  ::close(out[1]);
  // The pipe fills with the first rows; from then on the exporter waits in a write.
  int queued = 0;
  baromon::fakes::waitFor(
      [&] {
        ::ioctl(out[0], FIONREAD, &queued);
        return queued >= capacity;
      },
      std::chrono::seconds(30));
  EXPECT_EQ(queued, capacity);
  const int log = ::open(dir.file("monitor.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(log, 0);
  EXPECT_EQ(::flock(log, LOCK_EX | LOCK_NB), 0);
  ::close(log);
  // Read the rest: the export still ends whole.
  std::string rows;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
    rows.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 5001);
}

} // namespace
