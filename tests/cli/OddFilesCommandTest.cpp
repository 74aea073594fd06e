#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "support/LogBuilder.h"
#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;

constexpr int kTimedOut = 124; // timeout(1) ended the command

int runBounded(const TempDir& dir, const std::string& args) {
  return runShellIn(dir, "QT_QPA_PLATFORM=offscreen timeout 30 '" BAROMON_EXE "' " + args).status;
}

// A FIFO under any of the program's file names: every command ends, and does what
// it can without the odd file.
TEST(OddFilesCommands, AFifoUnderAFileNameHangsNoCommand) {
  struct Case {
    const char* fifo;
    int checkStatus; // the log is clean, so 0 when the check can run
  };
  const Case cases[] = {{"monitor.txt", 2}, {"monitor.ini", 0}, {"monitor.tmp", 0}, {"datalist.txt", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fifo);
    TempDir dir;
    if (std::string(c.fifo) != "monitor.txt") {
      dir.write("monitor.txt", baromon::testlog::gridLog(12, 600, 100000));
    }
    ASSERT_EQ(::mkfifo(dir.file(c.fifo).c_str(), 0644), 0);
    EXPECT_EQ(runBounded(dir, "check"), c.checkStatus);
    for (const char* command : {"export", "render barogram.png", "diurnal"}) {
      SCOPED_TRACE(command);
      EXPECT_NE(runBounded(dir, command), kTimedOut);
    }
  }
}

TEST(OddFilesCommands, TheCheckWritesNothingOutsideItsDirectory) {
  TempDir dir;
  TempDir outside;
  outside.write("victim", "precious");
  outside.write("victim2", "precious too");
  dir.write("monitor.txt", baromon::testlog::gridLog(12, 600, 100000, 50));
  ASSERT_EQ(::symlink(outside.file("victim").c_str(), dir.file("datalist.txt").c_str()), 0);
  ASSERT_EQ(::symlink(outside.file("victim2").c_str(), dir.file("monitor.tmp").c_str()), 0);
  EXPECT_EQ(runBounded(dir, "check"), 0);
  EXPECT_EQ(outside.read("victim"), "precious");
  EXPECT_EQ(outside.read("victim2"), "precious too");
  EXPECT_EQ(dir.read("datalist.txt"), "  0      0   12\n");
  EXPECT_EQ(dir.read("monitor.txt"), baromon::testlog::gridLog(12, 600, 100000, 1));
}

} // namespace
