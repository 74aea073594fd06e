#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "assembly/ConsoleCodePage.h"

namespace baromon {
namespace {

// A console of its own, in the OEM code page a German Windows gives it. Wine makes
// a working console only with a display: the ctest console_code_page runs these under
// Xvfb and sets BAROMON_CONSOLE_REQUIRED, so that there they cannot be skipped.
class OwnConsole : public ::testing::Test {
protected:
  void SetUp() override {
    ::FreeConsole();
    if (!::AllocConsole() || !::SetConsoleOutputCP(850) || ::GetConsoleOutputCP() != 850) {
      ASSERT_EQ(std::getenv("BAROMON_CONSOLE_REQUIRED"), nullptr) << "no working console";
      GTEST_SKIP() << "no working console here (no display)";
    }
  }
  void TearDown() override { ::FreeConsole(); }
};

TEST_F(OwnConsole, TextsReachTheConsoleInWindows1252AndThePageComesBack) {
  {
    assembly::ConsoleCodePage page;
    EXPECT_EQ(::GetConsoleOutputCP(), 1252U);
    EXPECT_EQ(page.previous(), 850U);
  }
  EXPECT_EQ(::GetConsoleOutputCP(), 850U);
}

TEST(ConsoleCodePage, RedirectedOutputLeavesTheConsoleAlone) {
  // Under ctest the standard handles are pipes: no console page is changed.
  DWORD mode = 0;
  if (::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
      ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode)) {
    GTEST_SKIP() << "standard output is a console here";
  }
  assembly::ConsoleCodePage page;
  EXPECT_EQ(page.previous(), 0U);
}

} // namespace
} // namespace baromon
