#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/LogBuilder.h"
#include "support/WaitFor.h"
#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::clitest::RawTerminal;
using baromon::fakes::TempDir;

// `baromon export | head` and the like: once nobody reads the output any more, the
// command ends with 1 (not killed by SIGPIPE, and not 0 as if all had been written).
TEST(ClosedOutput, EndsExportAndDecodeWithOne) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::logRecords(2000));
  std::string lines;
  for (int i = 0; i < 2000; ++i) {
    lines += "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  }
  dir.write("lines.txt", lines);
  {
    BaromonChild run(dir.path(), {"export"}, "");
    EXPECT_EQ(run.waitExit(30), 1);
  }
  {
    BaromonChild run(dir.path(), {"decode", "lines.txt"}, "");
    EXPECT_EQ(run.waitExit(30), 1);
  }
}

// A decode of a live device whose reader went away must end, not read on forever.
TEST(ClosedOutput, EndsADecodeOfALiveDevice) {
  TempDir dir;
  RawTerminal device;
  ASSERT_TRUE(device.ok());
  BaromonChild run(dir.path(), {"decode", device.name()}, "");
  // Lines keep coming (at most 100) until the decoder notices nobody reads them.
  int lines = 0;
  bool sent = true;
  baromon::fakes::waitFor(
      [&] {
        if (lines < 100) {
          ++lines;
          sent = device.send("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
        }
        return !sent || run.waitExit(0) != -1;
      },
      std::chrono::seconds(2));
  ASSERT_TRUE(sent);
  EXPECT_EQ(run.waitExit(10), 1);
}

} // namespace
