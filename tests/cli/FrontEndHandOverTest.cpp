#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/LogBuilder.h"
#include "support/TempDir.h"

namespace {

using baromon::clitest::Outcome;
using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;

// The logger copied alone into bin/ of a scratch directory: no front end beside it and
// none in ../libexec/baromon/, as on a machine with only the logger's package.
struct LoggerAlone {
  TempDir root;
  std::string exe = root.file("bin/baromon");
  TempDir work;

  LoggerAlone() {
    ::mkdir(root.file("bin").c_str(), 0755);
    const Outcome copied = runShellIn(root, "cp '" BAROMON_EXE "' bin/baromon");
    EXPECT_EQ(copied.status, 0);
    std::ofstream(work.file("monitor.txt"), std::ios::binary) << baromon::testlog::gridLog(600, 600, 100000);
  }
  // Bounded: a logger that ran the windows itself would never end (status 124 then).
  Outcome run(const std::string& args) const {
    return runShellIn(work, "QT_QPA_PLATFORM=offscreen timeout 60 '" + exe + "' " + args + " </dev/null",
                      true);
  }
};

TEST(FrontEndHandOver, WithoutTheFrontEndWindowsAndPicturesEndWithAMessageNamingIt) {
  if (::access(BAROMON_INSTALLED_FRONT_END, X_OK) == 0) {
    GTEST_SKIP() << "a front end is installed at " BAROMON_INSTALLED_FRONT_END;
  }
  LoggerAlone logger;
  for (const char* args : {"render a.png", "print a.pdf", "diurnal a.png", "--port 2=/nonexistent/tty"}) {
    SCOPED_TRACE(args);
    const Outcome r = logger.run(args);
    EXPECT_EQ(r.status, 127);
    EXPECT_NE(r.out.find("baromon-gui"), std::string::npos) << r.out;
  }
  // The windowed monitor did not start headless instead: it wrote nothing.
  EXPECT_FALSE(logger.work.exists("monitor.ini"));
  EXPECT_FALSE(logger.work.exists("monitor.err"));
  EXPECT_FALSE(logger.work.exists("a.png"));
  EXPECT_FALSE(logger.work.exists("a.pdf"));
}

TEST(FrontEndHandOver, WithoutTheFrontEndTheCommandsThatDrawNothingStillRun) {
  LoggerAlone logger;
  EXPECT_EQ(logger.run("--version").status, 0);
  const Outcome exported = logger.run("export");
  EXPECT_EQ(exported.status, 0);
  EXPECT_NE(exported.out.find("\n"), std::string::npos);
  const Outcome diurnal = logger.run("diurnal");
  EXPECT_EQ(diurnal.status, 0);
  EXPECT_NE(diurnal.out.find("records of"), std::string::npos) << diurnal.out;
  // An unusable argument is told by the logger itself, not handed on.
  const Outcome wrong = logger.run("diurnal --size 1x1 a.png");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out.find("baromon-gui"), std::string::npos) << wrong.out;
}

#ifdef BAROMON_PICTURES_EXE

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// With the picture program beside it and no front end anywhere, the logger still makes
// PNG pictures; every other kind, and the windows, still need the front end.
TEST(PictureProgram, TheLoggerHandsPngPicturesToThePictureProgramAndTheRestToTheFrontEnd) {
  if (::access(BAROMON_INSTALLED_FRONT_END, X_OK) == 0) {
    GTEST_SKIP() << "a front end is installed at " BAROMON_INSTALLED_FRONT_END;
  }
  LoggerAlone logger;
  ASSERT_EQ(runShellIn(logger.root, "cp '" BAROMON_PICTURES_EXE "' bin/baromon-pictures").status, 0);
  for (const char* args : {"render a.png", "render --size 320x200 B.PNG", "diurnal c.png"}) {
    SCOPED_TRACE(args);
    const Outcome r = logger.run(args);
    EXPECT_EQ(r.status, 0) << r.out;
  }
  EXPECT_EQ(contentsOf(logger.work.file("a.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_TRUE(logger.work.exists("B.PNG"));
  EXPECT_TRUE(logger.work.exists("c.png"));
  for (const char* args :
       {"render a.svg", "render a.pdf", "diurnal a.svg", "print a.pdf", "--port 2=/nonexistent/tty"}) {
    SCOPED_TRACE(args);
    const Outcome r = logger.run(args);
    EXPECT_EQ(r.status, 127);
    EXPECT_NE(r.out.find("baromon-gui"), std::string::npos) << r.out;
  }
  EXPECT_FALSE(logger.work.exists("a.svg"));
  EXPECT_FALSE(logger.work.exists("monitor.ini"));
}

// A picture is the same file whether the picture program or the front end drew it: the
// same pixels (letters included) and the same encoding.
TEST(PictureProgram, DrawsTheFrontEndsPicturesByteForByte) {
  TempDir work;
  ASSERT_EQ(runShellIn(work, "'" BAROMON_SIM_EXE "' --log 3.5 --out monitor.txt").status, 0);
  const char* const cases[] = {
      "render OUT",
      "render --paper OUT",
      "render --size 640x480 --offset 300 OUT",
      "render --size 1920x1080 OUT",
      "render --size 101x71 OUT",
      "diurnal OUT",
      "diurnal --size 800x400 OUT",
  };
  for (const char* args : cases) {
    SCOPED_TRACE(args);
    std::string pictures = args;
    std::string front = args;
    pictures.replace(pictures.find("OUT"), 3, "p.png");
    front.replace(front.find("OUT"), 3, "q.png");
    const Outcome byPictures = runShellIn(work, "'" BAROMON_PICTURES_EXE "' " + pictures);
    const Outcome byFront = runShellIn(work, "QT_QPA_PLATFORM=offscreen '" BAROMON_GUI_EXE "' " + front);
    EXPECT_EQ(byPictures.status, 0);
    EXPECT_EQ(byFront.status, 0);
    EXPECT_EQ(byPictures.out, byFront.out);
    const std::string p = contentsOf(work.file("p.png"));
    EXPECT_GT(p.size(), 100u);
    EXPECT_TRUE(p == contentsOf(work.file("q.png"))) << "the two files differ";
  }
}

#endif

} // namespace
