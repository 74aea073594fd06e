#include <gtest/gtest.h>

#include <memory>

#include "adapters/posix/PosixDirectoryLock.h"
#include "support/OtherProcess.h"
#include "support/TempDir.h"

namespace baromon::platform {
namespace {

using fakes::HeldByOtherProcess;
using fakes::TempDir;

TEST(DirectoryLock, OneHolderPerDirectoryUntilItEnds) {
  TempDir dir;
  auto first = std::make_unique<PosixDirectoryLock>(dir.path());
  PosixDirectoryLock second(dir.path());
  EXPECT_EQ(first->tryLock(), LockResult::Taken);
  EXPECT_EQ(first->tryLock(), LockResult::Taken) << "asking again keeps it";
  EXPECT_EQ(second.tryLock(), LockResult::HeldByAnother);
  first.reset();
  EXPECT_EQ(second.tryLock(), LockResult::Taken);
  EXPECT_TRUE(dir.snapshot().empty()) << "the lock makes no file";
}

TEST(DirectoryLock, AnotherProcessHoldingTheDirectoryKeepsUsOut) {
  TempDir dir;
  PosixDirectoryLock lock(dir.path());
  {
    HeldByOtherProcess other(dir.path());
    ASSERT_TRUE(other.held());
    EXPECT_EQ(lock.tryLock(), LockResult::HeldByAnother);
  }
  EXPECT_EQ(lock.tryLock(), LockResult::Taken);
  EXPECT_EQ(PosixDirectoryLock(dir.path() + "/.").tryLock(), LockResult::HeldByAnother)
      << "the same directory by another name";
  TempDir elsewhere;
  HeldByOtherProcess other(elsewhere.path());
  ASSERT_TRUE(other.held());
  TempDir third;
  EXPECT_EQ(PosixDirectoryLock(third.path()).tryLock(), LockResult::Taken) << "a monitor elsewhere";
}

TEST(DirectoryLock, ADirectoryThatCannotBeOpenedHasNoLock) {
  TempDir dir;
  EXPECT_EQ(PosixDirectoryLock(dir.file("missing")).tryLock(), LockResult::Unavailable);
  dir.write("plain", "x");
  EXPECT_EQ(PosixDirectoryLock(dir.file("plain")).tryLock(), LockResult::Unavailable);
}

} // namespace
} // namespace baromon::platform
