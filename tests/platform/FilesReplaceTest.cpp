#include <gtest/gtest.h>

#include "adapters/posix/PosixFileSystem.h"
#include "support/TempDir.h"

using namespace baromon::platform;

namespace {

// The log check replaces files by name while it holds them; readers of the
// old file keep it, the name moves to the new one.
TEST(PosixFileSystem, RenameAndLinkReplaceFilesByName) {
  baromon::fakes::TempDir dir;
  PosixFileSystem files(dir.path());
  dir.write("monitor.txt", "old log");
  dir.write("monitor.tmp", "new log");
  dir.write("monitor.bak", "older backup");

  auto held = files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
  ASSERT_TRUE(held);
  EXPECT_TRUE(files.linkReplacing("monitor.txt", "monitor.bak"));
  EXPECT_TRUE(files.rename("monitor.tmp", "monitor.txt"));
  char text[16] = {};
  ASSERT_EQ(held->read(text, sizeof text), 7u);
  EXPECT_STREQ(text, "old log");
  held.reset();

  EXPECT_EQ(dir.read("monitor.txt"), "new log");
  EXPECT_EQ(dir.read("monitor.bak"), "old log");
  EXPECT_FALSE(dir.exists("monitor.tmp"));
  EXPECT_FALSE(dir.exists("monitor.bak.link"));
  // The new file under the old name is a file of its own, free to open.
  EXPECT_TRUE(files.open("monitor.txt", FileAccess::ReadWrite, OpenMode::OpenExisting));
  EXPECT_FALSE(files.rename("missing", "monitor.txt"));
  EXPECT_FALSE(files.linkReplacing("missing", "monitor.bak"));
  EXPECT_EQ(dir.read("monitor.bak"), "old log");
}

TEST(PosixFileSystem, ResizeCutsAndSyncSucceeds) {
  baromon::fakes::TempDir dir;
  PosixFileSystem files(dir.path());
  auto file = files.openForAppend("nmea.txt");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("0123456789", 10));
  EXPECT_TRUE(file->sync());
  EXPECT_TRUE(file->resize(4));
  EXPECT_FALSE(file->resize(-1));
  file.reset();
  EXPECT_EQ(dir.read("nmea.txt"), "0123");
}

} // namespace
