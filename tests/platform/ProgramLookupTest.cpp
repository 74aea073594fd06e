#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "adapters/posix/Programs.h"
#include "support/TempDir.h"

namespace baromon::platform {
namespace {

// The menu's spectrum command names "dft.exe"; the program shipped for it lives beside the
// monitor (libexec/baromon/ when installed), which is neither the user's directory nor on
// the PATH. The user's own program in the current directory still comes first.
class ProgramLookup : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(::getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(::chdir(work_.path().c_str()), 0);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    ::setenv("PATH", pathDir_.path().c_str(), 1);
  }
  void TearDown() override {
    ::setenv("PATH", oldPath_.c_str(), 1);
    ASSERT_EQ(::chdir(previous_), 0);
  }
  static void executable(const fakes::TempDir& dir, const std::string& name) {
    dir.write(name, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(dir.file(name).c_str(), 0755), 0);
  }

  fakes::TempDir work_, beside_, pathDir_;
  char previous_[4096] = {};
  std::string oldPath_;
};

TEST_F(ProgramLookup, FindsTheShippedProgramBesideTheMonitor) {
  executable(beside_, "dft");
  EXPECT_EQ(findProgram("dft.exe", beside_.path()), beside_.file("dft"));
  // Nowhere at all: nothing, so the menu says the program was not found.
  EXPECT_EQ(findProgram("other.exe", beside_.path()), std::nullopt);
}

TEST_F(ProgramLookup, TheCurrentDirectoryComesFirst) {
  executable(beside_, "dft");
  executable(pathDir_, "dft");
  executable(work_, "dft.exe");
  EXPECT_EQ(findProgram("dft.exe", beside_.path()), "./dft.exe");
}

TEST_F(ProgramLookup, TheMonitorsOwnProgramComesBeforeAForeignOneOnThePath) {
  executable(beside_, "dft");
  executable(pathDir_, "dft");
  EXPECT_EQ(findProgram("dft.exe", beside_.path()), beside_.file("dft"));
}

TEST_F(ProgramLookup, AFileThatIsNotExecutableBesideTheMonitorIsPassedOver) {
  beside_.write("dft", "not a program");
  executable(pathDir_, "dft");
  EXPECT_EQ(findProgram("dft.exe", beside_.path()), pathDir_.path() + "/dft");
  // An unknown own directory (empty) leaves the current directory and the PATH.
  EXPECT_EQ(findProgram("dft.exe", ""), pathDir_.path() + "/dft");
}

// Without a directory named, the lookup uses the running program's own: this test program
// finds itself by its bare name though neither the current directory nor the PATH holds it.
TEST_F(ProgramLookup, TheRunningProgramsDirectoryIsItsOwn) {
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string path = self;
  EXPECT_EQ(findProgram(path.substr(path.rfind('/') + 1)), path);
}

} // namespace
} // namespace baromon::platform
