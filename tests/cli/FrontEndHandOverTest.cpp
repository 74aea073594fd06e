#include <gtest/gtest.h>

#include <fstream>
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

} // namespace
