#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "adapters/posix/PosixFileSystem.h"
#include "core/serial/Decoders.h"
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

// A capture is what a device sent: a damaged sentence must not show a reading the
// monitor itself would refuse.
TEST(DecodeCommand, DamagedSentencesChangeNothingAsInTheMonitor) {
  baromon::fakes::TempDir dir;
  dir.write("capture.txt", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n"
                           "$PXDR,0A98.60,52684,+01.2,+03.5,-0300,0995.40\r\n" // one flipped bit
                           "$WIXDR,P,0.99Z6,B\r\n"
                           "$WIXDR,P,1003.4,H\r\n"
                           "$WIXDR,P,0.9990,B*7F\r\n" // wrong checksum
                           "$WIXDR,P,0.9986,B*7e\r\n" // right, in lower-case hex
                           "$WIXDR,P,101400,P\r\n");  // pascals
  const Outcome r = runCommand(std::string(BAROMON_EXE) + " decode " + dir.file("capture.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t99860\t52684\t12\t35\t-999\t0\n"
                   "0\t101400\t52684\t12\t35\t-999\t0\n");
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

// Every sort of line a device or a damaged capture brings: each sentence kind cut
// short at every length, every byte replaced by something odd, the four line ends,
// empty lines, lines around the 1024-byte limit and far beyond it, no last line feed.
std::string variedDeviceText() {
  const std::vector<std::string> sentences = {"$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40",
                                              "$PXDR,1600.00,99999,-99.9,-12.5*4A",
                                              "$PXDR,1005.82,54531,+00.0,+00.6,-0180,1005.22*00",
                                              "$pXDR,0998.60,52684,+01.2,+03.5",
                                              "$WIXDR,P,0.9986,B",
                                              "$WIXDR,p,1.0132,B*7C",
                                              "$WIXDR,C,21.5,C",
                                              "$WIXDR,c,-3.2,C*62",
                                              "$WIXDR,C,21,C",
                                              "$WIXDR,U,12.6,V",
                                              "$WIXDR,u,126,V",
                                              "$WIXDR,U,1234,V",
                                              "$WIXDR,X,1.0,B",
                                              "$GPRMC,123519,A,4807.038,N",
                                              "garbage",
                                              ""};
  const std::string endings[] = {"\r\n", "\n", "\n\r", "\r"};
  const std::string odd = std::string("-.,9A \xff") + '\0';
  std::string text;
  for (const std::string& s : sentences) {
    for (std::size_t cut = 0; cut <= s.size(); ++cut) {
      text += s.substr(0, cut) + endings[cut % 4];
    }
    for (std::size_t at = 0; at < s.size(); ++at) {
      for (const char c : odd) {
        std::string changed = s;
        changed[at] = c;
        text += changed + "\r\n";
      }
    }
    text += "\n\n";
  }
  for (const std::size_t length : {1023, 1024, 1025, 1026, 5000, 70000, 300000}) {
    const std::string pxdr = "$PXDR,1013.25,00001,+00.0,+00.0";
    text += pxdr + std::string(length - pxdr.size() - 2, 'x') + "\r\n" + pxdr.substr(0, 20) + "\n";
  }
  return text + "$PXDR,1001.00,52700,-12.5,+00.0";
}

// The command's contract spelt out one line at a time: a line runs up to and
// including its line feed (the last one also without), only its first 1024 bytes
// count, and the reading carries over from line to line.
std::string decodedLineByLine(const std::string& text, int hk) {
  baromon::CurrentReading reading;
  std::string printed;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t feed = text.find('\n', start);
    const std::size_t end = feed == std::string::npos ? text.size() : feed + 1;
    baromon::decodeSentence(reading, text.data() + start, std::min<std::size_t>(end - start, 1024), hk);
    char row[128];
    std::snprintf(row, sizeof row, "%d\t%ld\t%lu\t%ld\t%ld\t%ld\t%lu\n", reading.valid,
                  static_cast<long>(reading.pressure), static_cast<unsigned long>(reading.adValue),
                  static_cast<long>(reading.tendency1h), static_cast<long>(reading.tendency3h),
                  static_cast<long>(reading.temperature), static_cast<unsigned long>(reading.voltage));
    printed += row;
    start = end;
  }
  return printed;
}

// The first line where two outputs part, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
  std::size_t line = 1, start = 0;
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()) && expected[i] == actual[i]; ++i) {
    if (expected[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  return "line " + std::to_string(line) + ": expected '" +
         expected.substr(start, expected.find('\n', start) - start) + "', got '" +
         actual.substr(start, actual.find('\n', start) - start) + "'";
}

TEST(DecodeCommand, PrintsEveryLineOfAVariedCaptureFromAFileAndFromAPipe) {
  baromon::fakes::TempDir dir;
  const std::string text = variedDeviceText();
  dir.write("capture.txt", text);
  for (const int hk : {0, -99999}) {
    const std::string expected = decodedLineByLine(text, hk);
    const std::string decode = std::string(BAROMON_EXE) + " decode --hk " + std::to_string(hk);
    const Outcome fromFile = runCommand(decode + " " + dir.file("capture.txt"));
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_TRUE(fromFile.out == expected)
        << "file, hk " << hk << ", " << firstDifference(expected, fromFile.out);
    const Outcome fromPipe = runCommand("cat " + dir.file("capture.txt") + " | " + decode);
    EXPECT_EQ(fromPipe.status, 0);
    EXPECT_TRUE(fromPipe.out == expected)
        << "pipe, hk " << hk << ", " << firstDifference(expected, fromPipe.out);
  }
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
