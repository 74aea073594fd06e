#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::BaromonChild;
using baromon::clitest::RawTerminal;
using baromon::fakes::TempDir;

std::string records(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    char line[96];
    std::snprintf(line, sizeof line,
                  "%06d 07.12.2026 %02d:%02d 1013,25 hPa +00,5 hPa/hr -01,0 hPa/3h 00,2 hPa/h var 0\r\n",
                  i + 1, (i / 12) % 24, (i % 12) * 5);
    text += line;
  }
  return text;
}

// `baromon export | head` and the like: once nobody reads the output any more, the
// command ends with 1 (not killed by SIGPIPE, and not 0 as if all had been written).
TEST(ClosedOutput, EndsExportAndDecodeWithOne) {
  TempDir dir;
  dir.write("monitor.txt", records(2000));
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
  for (int i = 0; i < 100 && run.waitExit(0) == -1; ++i) {
    ASSERT_TRUE(device.send("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(run.waitExit(10), 1);
}

} // namespace
