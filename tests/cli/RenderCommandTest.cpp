#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

#include "support/LogBuilder.h"
#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::fakes::TempDir;

int renderIn(const TempDir& dir, const std::string& args) {
  return baromon::clitest::runShellIn(dir, "QT_QPA_PLATFORM=offscreen '" BAROMON_EXE "' render " + args)
      .status;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Width and height from a PNG's header chunk.
std::pair<unsigned, unsigned> pngSize(const std::string& png) {
  auto be32 = [&](std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      v = (v << 8) | static_cast<unsigned char>(png.at(at + i));
    }
    return v;
  };
  return {be32(16), be32(20)};
}

void writeLog(const TempDir& dir, int records) {
  std::ofstream(dir.file("monitor.txt"), std::ios::binary) << baromon::testlog::gridLog(records, 600, 100000);
}

} // namespace

TEST(RenderCommand, WritesThePictureAndNoOtherFile) {
  TempDir dir;
  writeLog(dir, 400);
  EXPECT_EQ(renderIn(dir, "b.png"), 0);
  EXPECT_EQ(pngSize(contents(dir.file("b.png"))), (std::pair<unsigned, unsigned>{1100, 600}));
  EXPECT_EQ(renderIn(dir, "--size 640x480 --paper --offset 100 c.png"), 0);
  EXPECT_EQ(pngSize(contents(dir.file("c.png"))), (std::pair<unsigned, unsigned>{640, 480}));
  EXPECT_EQ(renderIn(dir, "d.svg"), 0);
  EXPECT_NE(contents(dir.file("d.svg")).find("<svg"), std::string::npos);
  EXPECT_EQ(renderIn(dir, "e.pdf"), 0);
  EXPECT_EQ(contents(dir.file("e.pdf")).substr(0, 5), "%PDF-");
  // The settings file is missing, yet neither it nor an event protocol appears.
  EXPECT_FALSE(exists(dir.file("monitor.ini")));
  EXPECT_FALSE(exists(dir.file("monitor.err")));
}

// A file name is a string of bytes: one that is not UTF-8 is written as given.
TEST(RenderCommand, WritesThePictureUnderItsExactByteName) {
  TempDir dir;
  writeLog(dir, 40);
  for (const char* type : {"png", "svg", "pdf"}) {
    SCOPED_TRACE(type);
    const std::string name = std::string("o\xff\xfe.") + type;
    EXPECT_EQ(renderIn(dir, std::string("\"$(printf 'o\\377\\376.") + type + "')\""), 0);
    EXPECT_GT(contents(dir.file(name)).size(), 4u);
  }
  EXPECT_EQ(baromon::clitest::runShellIn(dir, "ls | grep -c '\xef\xbf\xbd'").out, "0\n")
      << "no name with U+FFFD";
}

// The picture is the same on every machine: a user's font configuration that asks for
// the autohinter and emboldened letters changes nothing, and the machine's own
// configuration, when named, draws the same letters as the command's.
TEST(RenderCommand, TheFontConfigurationDoesNotChangeThePicture) {
  TempDir dir;
  writeLog(dir, 400);
  std::filesystem::create_directories(dir.file("user/fontconfig"));
  dir.write("user/fontconfig/fonts.conf", R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <match target="font">
    <edit name="autohint" mode="assign"><bool>true</bool></edit>
    <edit name="embolden" mode="assign"><bool>true</bool></edit>
  </match>
</fontconfig>
)");
  std::filesystem::create_directories(dir.file("nobody"));
  const std::string render = "QT_QPA_PLATFORM=offscreen '" BAROMON_EXE "' render ";
  const std::string nobody = "XDG_CONFIG_HOME='" + dir.file("nobody") + "' ";
  EXPECT_EQ(baromon::clitest::runShellIn(dir, nobody + render + "plain.png").status, 0);
  EXPECT_EQ(
      baromon::clitest::runShellIn(dir, "XDG_CONFIG_HOME='" + dir.file("user") + "' " + render + "user.png")
          .status,
      0);
  EXPECT_EQ(baromon::clitest::runShellIn(dir, nobody + "FONTCONFIG_FILE=/etc/fonts/fonts.conf " + render +
                                                  "machine.png")
                .status,
            0);
  const std::string plain = contents(dir.file("plain.png"));
  EXPECT_GT(plain.size(), 1000u);
  EXPECT_TRUE(contents(dir.file("user.png")) == plain) << "the user's configuration changed the letters";
  EXPECT_TRUE(contents(dir.file("machine.png")) == plain) << "not the letters of the machine's configuration";
}

TEST(RenderCommand, WithoutALogTheBarogramIsEmptyButDrawn) {
  TempDir dir;
  EXPECT_EQ(renderIn(dir, "empty.png"), 0);
  EXPECT_EQ(pngSize(contents(dir.file("empty.png"))).first, 1100u);
}

TEST(RenderCommand, RejectsUnusableArguments) {
  struct Case {
    const char* legend;
    const char* args;
    int status;
  } cases[] = {
      {"no output file", "", 2},
      {"size without a height", "--size 800 a.png", 2},
      {"size too small for a plot", "--size 100x600 a.png", 2},
      {"offset below 1", "--offset 0 a.png", 2},
      {"offset not a number", "--offset x a.png", 2},
      {"unknown option", "--colour a.png", 2},
      {"two outputs", "a.png b.png", 2},
      {"unknown picture type", "a.gif", 1},
      {"unwritable place", "no/such/dir/a.png", 1},
  };
  TempDir dir;
  for (const Case& c : cases) {
    EXPECT_EQ(renderIn(dir, c.args), c.status) << c.legend;
  }
  EXPECT_FALSE(exists(dir.file("a.png")));
}
