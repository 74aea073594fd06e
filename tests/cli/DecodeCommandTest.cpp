#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ProgramRun.h"
#include "adapters/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runCommand;

TEST(DecodeCommand, PrintsTheReadingAfterEachLineWithStateCarriedOver) {
  baromon::fakes::TempDir dir;
  dir.write("device.txt", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n"
                          "$WIXDR,C,-3.2,C\r\n"
                          "$WIXDR,U,126,V\r\n"
                          "garbage\n"
                          "$WIXDR,P,1.0132,B\r\n"
                          "$pXDR,0998.60,52684,+01.2,+03.5\r\n"
                          "$PXDR,1001.00,52700,-12.5,+00.0"); // no line feed at the end
  const Outcome r = runCommand(std::string(BAROMON_EXE) + " decode --hk -250 " + dir.file("device.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\t99610\t52684\t12\t35\t-999\t0\n"
                   "0\t99610\t52684\t12\t35\t-32\t0\n"
                   "0\t99610\t52684\t12\t35\t-32\t126\n"
                   "0\t99610\t52684\t12\t35\t-32\t126\n"
                   "0\t101070\t52684\t12\t35\t-32\t126\n"
                   "0\t101070\t52684\t12\t35\t-32\t126\n"
                   "1\t99850\t52700\t-125\t0\t-32\t126\n");
}

TEST(DecodeCommand, ReadsStandardInputAndKeepsTheFirst1024BytesOfALine) {
  baromon::fakes::TempDir dir;
  dir.write("long.txt", std::string(10000, 'x') + "\n$PXDR,1013.25,00001,+00.0,+00.0\r\n");
  const Outcome r = runCommand(std::string(BAROMON_EXE) + " decode < " + dir.file("long.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0\t0\t0\t0\t0\t-999\t0\n1\t101325\t1\t0\t0\t-999\t0\n");
}

// Output nobody reads (a full pipe) must not keep the monitor away from the file
// being decoded, such as the nmea.txt it appends to.
TEST(DecodeCommand, AStalledOutputDoesNotHoldTheInputFile) {
  baromon::fakes::TempDir dir;
  std::string sentences;
  constexpr int kLines = 20000; // far more output than a pipe holds
  for (int i = 0; i < kLines; ++i) {
    sentences += "$PXDR,0998.60,52684,+01.2,+03.5\r\n";
  }
  dir.write("nmea.txt", sentences);
  std::FILE* decode = ::popen((std::string(BAROMON_EXE) + " decode " + dir.file("nmea.txt")).c_str(), "r");
  ASSERT_NE(decode, nullptr);
  char line[256] = {};
  ASSERT_NE(std::fgets(line, sizeof line, decode), nullptr) << "decode has started writing";

  // The command is now writing into a pipe this test does not read.
  baromon::platform::PosixFileSystem files(dir.path());
  auto other = files.open("nmea.txt", baromon::platform::FileAccess::ReadWrite,
                          baromon::platform::OpenMode::OpenExisting);
  EXPECT_NE(other, nullptr) << "nmea.txt is held while decode waits for its reader";
  other.reset();

  int lines = 1;
  while (std::fgets(line, sizeof line, decode) != nullptr) {
    ++lines;
  }
  EXPECT_EQ(::pclose(decode), 0);
  EXPECT_EQ(lines, kLines);
}

TEST(DecodeCommand, RefusesBadArguments) {
  EXPECT_EQ(runCommand(std::string(BAROMON_EXE) + " decode --hk 100000 /dev/null 2>/dev/null").status, 2);
  EXPECT_EQ(runCommand(std::string(BAROMON_EXE) + " decode --hk abc /dev/null 2>/dev/null").status, 2);
  EXPECT_EQ(runCommand(std::string(BAROMON_EXE) + " decode /nonexistent/file 2>/dev/null").status, 1);
  EXPECT_EQ(runCommand(std::string(BAROMON_EXE) + " --port 9=/dev/x decode /dev/null 2>/dev/null").status, 2);
  EXPECT_EQ(runCommand(std::string(BAROMON_EXE) + " --port 2=/dev/ttyUSB0 decode /dev/null").status, 0);
}

TEST(DecodeCommand, ADeviceThatHangsUpEndsTheInputWithoutAnError) {
  baromon::clitest::RawTerminal device;
  ASSERT_TRUE(device.ok());
  ASSERT_TRUE(device.send("$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  std::FILE* decode =
      ::popen((std::string(BAROMON_EXE) + " decode < " + device.name() + "; echo rc=$?").c_str(), "r");
  ASSERT_NE(decode, nullptr);
  char first[256] = {};
  ASSERT_NE(std::fgets(first, sizeof first, decode), nullptr);
  EXPECT_STREQ(first, "1\t99860\t52684\t12\t35\t-999\t0\n");
  device.hangUp();
  char rest[256] = {};
  ASSERT_NE(std::fgets(rest, sizeof rest, decode), nullptr);
  EXPECT_STREQ(rest, "rc=0\n");
  ::pclose(decode);
}

} // namespace
