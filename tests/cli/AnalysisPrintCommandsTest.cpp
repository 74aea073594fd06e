#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/LogBuilder.h"
#include "ProgramRun.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runBaromonIn;
using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;
using baromon::testlog::LogBuilder;

LogBuilder twoDays() {
  LogBuilder log;
  log.day(1, [](int slot) { return 101300 + (slot % 2) * 200; });
  log.day(2, [](int slot) { return 101400 + (slot % 2 ? 200 : -200); });
  return log;
}

// A grey picture as pdftoppm writes it: width, height and the count of dark pixels.
struct Greys {
  int width = 0, height = 0;
  long dark = 0;
};

Greys readPgm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  Greys g;
  in >> magic >> g.width >> g.height >> maxValue;
  in.get();
  if (magic != "P5" || maxValue != 255) {
    return {};
  }
  std::string pixels((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (unsigned char p : pixels) {
    g.dark += p < 128 ? 1 : 0;
  }
  return g;
}

// The page through pdftoppm at 40 dpi.
Greys pageImage(const TempDir& dir, const std::string& pdf) {
  Outcome r = runShellIn(dir, "pdftoppm -r 40 -gray -singlefile '" + pdf + "' page");
  EXPECT_EQ(r.status, 0) << "pdftoppm (poppler-utils) must be installed";
  return readPgm(dir.file("page.pgm"));
}

TEST(DiurnalCommand, PrintsTheWindowsTwoLines) {
  TempDir dir;
  twoDays().writeTo(dir);
  Outcome r = runBaromonIn(dir, "diurnal");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "576 records of 2 days analyzed (mean 1014.00 hPa)\n"
                   "linear regression analysis: 12hr (UTC) phase angle   0 degrees\n");

  TempDir empty;
  r = runBaromonIn(empty, "diurnal");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "insufficient data (one complete day needed)\n"
                   "linear regression analysis: 12hr (UTC) phase angle   0 degrees\n");
  EXPECT_FALSE(empty.exists("monitor.err")) << "a missing settings file is not an event here";
}

TEST(DiurnalCommand, PaintsTheClientAreaIntoAPicture) {
  TempDir dir;
  twoDays().writeTo(dir);
  ASSERT_EQ(runBaromonIn(dir, "diurnal mean-day.png --size 300x200").status, 0);
  std::string png = dir.read("mean-day.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&png](std::size_t at) {
    return (unsigned char)png[at] << 24 | (unsigned char)png[at + 1] << 16 | (unsigned char)png[at + 2] << 8 |
           (unsigned char)png[at + 3];
  };
  EXPECT_EQ(be32(16), 300);
  EXPECT_EQ(be32(20), 200);

  struct Case {
    const char* legend;
    const char* args;
  } bad[] = {{"size without a height", "diurnal a.png --size 300"},
             {"zero size", "diurnal a.png --size 0x200"},
             {"too small for the plot", "diurnal a.png --size 100x200"},
             {"larger than a picture is drawn", "diurnal a.png --size 20001x200"},
             {"gigabytes of picture", "diurnal a.png --size 40000x40000"},
             {"two pictures", "diurnal a.png b.png"},
             {"unknown option", "diurnal --colour"}};
  for (const auto& c : bad) {
    EXPECT_EQ(runBaromonIn(dir, c.args).status, 2) << c.legend;
  }
  EXPECT_EQ(runBaromonIn(dir, "diurnal a.bmp").status, 1) << "unknown picture type";
  EXPECT_FALSE(dir.exists("a.png"));
  const Outcome told = runBaromonIn(dir, "diurnal a.png --size 40000x40000", true);
  EXPECT_NE(told.out.find("101x71 to 20000x20000"), std::string::npos) << told.out;
  ASSERT_EQ(runBaromonIn(dir, "diurnal small.png --size 101x71").status, 0);
  EXPECT_EQ(dir.read("small.png").substr(1, 3), "PNG");
}

// A file name is a string of bytes: one that is not UTF-8 is written as given,
// not under a name with the bytes replaced.
TEST(DiurnalAndPrintCommands, WriteFilesUnderTheirExactByteNames) {
  TempDir dir;
  twoDays().writeTo(dir);
  ASSERT_EQ(runBaromonIn(dir, "diurnal \"$(printf 'd\\377.svg')\"").status, 0);
  EXPECT_NE(dir.read("d\xff.svg").find("<svg"), std::string::npos);
  ASSERT_EQ(runBaromonIn(dir, "print \"$(printf 'p\\377\\351.pdf')\"").status, 0);
  EXPECT_EQ(dir.read("p\xff\xe9.pdf").substr(0, 5), "%PDF-");
  EXPECT_EQ(runShellIn(dir, "ls | grep -c '\xef\xbf\xbd'").out, "0\n") << "no name with U+FFFD";
}

// The barogram page in both orientations and the NMEA page, looked at through pdftoppm.
TEST(PrintCommand, WritesOnePageThatIsNotEmpty) {
  TempDir dir;
  twoDays().writeTo(dir);
  struct Case {
    const char* legend;
    const char* args;
    bool wide;
    long minimumDark;
  } cases[] = {
      {"portrait barogram", "print page.pdf", false, 2000},
      {"landscape barogram", "print page.pdf --page 6600x4800", true, 2000},
      {"NMEA table: only its heading outside a running monitor", "print page.pdf --nmea", false, 5},
  };
  for (const auto& c : cases) {
    Outcome r = runBaromonIn(dir, c.args);
    ASSERT_EQ(r.status, 0) << c.legend;
    Greys page = pageImage(dir, "page.pdf");
    // 8 x 11 inches at 40 dpi, turned for the landscape page.
    EXPECT_EQ(page.width, c.wide ? 440 : 320) << c.legend;
    EXPECT_EQ(page.height, c.wide ? 320 : 440) << c.legend;
    EXPECT_GT(page.dark, c.minimumDark) << c.legend;
  }
  EXPECT_EQ(runBaromonIn(dir, "print page.txt").status, 2);
  EXPECT_EQ(runBaromonIn(dir, "print page.pdf --page 4800").status, 2);
}

// A page the PDF cannot be written for is the job's failure, told as such.
TEST(PrintCommand, UnwritablePdfFailsWithThePrintingBox) {
  TempDir dir;
  Outcome r = runBaromonIn(dir, "print no-such-dir/page.pdf", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Fehler beim Drucken"), std::string::npos) << r.out;
}

} // namespace
