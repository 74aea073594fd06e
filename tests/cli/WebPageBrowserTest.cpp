#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "support/TempDir.h"

// The page in a real browser (Debian's chromium, headless, through chromedriver): a live
// value appears and changes, and the barogram is drawn for the window's width times its
// pixel ratio. The screenshots stay in the build tree (test-artefacts/).

namespace {

using baromon::clitest::runShellIn;
using baromon::fakes::TempDir;

std::string pageCheck(const TempDir& dir, const std::string& name, const std::string& size) {
  return "/usr/bin/python3 '" BAROMON_TEST_SCRIPTS "/web_page_in_browser.py' '" BAROMON_SIM_EXE
         "' '" BAROMON_EXE "' '" +
         dir.path() + "' '" BAROMON_TEST_ARTEFACTS "' " + name + " " + size;
}

TEST(WebPageInBrowser, DesktopWindowShowsLiveValuesAndABarogramOfItsWidth) {
  TempDir dir;
  const auto run = runShellIn(dir, pageCheck(dir, "web-page-desktop", "1100 800 1"), true);
  EXPECT_EQ(run.status, 0) << run.out << dir.read("logger.txt");
  EXPECT_NE(run.out.find("\nOK\n"), std::string::npos) << run.out;
}

TEST(WebPageInBrowser, PhoneOf360PixelsAtThreeDevicePixelsEach) {
  TempDir dir;
  const auto run = runShellIn(dir, pageCheck(dir, "web-page-phone", "360 740 3"), true);
  EXPECT_EQ(run.status, 0) << run.out << dir.read("logger.txt");
  EXPECT_NE(run.out.find("\nOK\n"), std::string::npos) << run.out;
}

} // namespace
