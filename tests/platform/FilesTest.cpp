#include <gtest/gtest.h>

#include "adapters/posix/PosixFileSystem.h"
#include "support/TempDir.h"

using namespace baromon::platform;

namespace {

TEST(PosixFileSystem, SecondOpenerFailsWhileTheFirstHoldsTheFile) {
  baromon::fakes::TempDir dir;
  PosixFileSystem files(dir.path());
  auto first = files.open("monitor.txt", FileAccess::ReadWrite, OpenMode::OpenAlways);
  ASSERT_TRUE(first);
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
  // A refused CreateAlways must not have emptied the held file.
  ASSERT_TRUE(first->write("abc", 3));
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Write, OpenMode::CreateAlways));
  first.reset();
  EXPECT_EQ(dir.read("monitor.txt"), "abc");
  EXPECT_TRUE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
}

TEST(PosixFileSystem, AppendCreatesThenAppendsAtTheEnd) {
  baromon::fakes::TempDir dir;
  PosixFileSystem files(dir.path());
  EXPECT_FALSE(files.open("nmea.txt", FileAccess::Read, OpenMode::OpenExisting));
  for (const char* text : {"one\n", "two\n"}) {
    auto file = files.openForAppend("nmea.txt");
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->write(text, 4));
  }
  EXPECT_EQ(dir.read("nmea.txt"), "one\ntwo\n");
}

TEST(PosixFileSystem, SeekBeforeTheStartIsRefusedAndKeepsThePosition) {
  baromon::fakes::TempDir dir;
  dir.write("monitor.txt", "0123456789");
  PosixFileSystem files(dir.path());
  auto file = files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 10);
  EXPECT_EQ(file->seek(-4, SeekFrom::End), 6);
  EXPECT_FALSE(file->seek(-20, SeekFrom::Current));
  char c = 0;
  ASSERT_EQ(file->read(&c, 1), 1u);
  EXPECT_EQ(c, '6');
}

TEST(PosixFileSystem, CopyReplacesAndRemoveDeletes) {
  baromon::fakes::TempDir dir;
  dir.write("monitor.txt", "new");
  dir.write("monitor.bak", "old and longer");
  PosixFileSystem files(dir.path());
  EXPECT_TRUE(files.copy("monitor.txt", "monitor.bak"));
  EXPECT_EQ(dir.read("monitor.bak"), "new");
  EXPECT_FALSE(files.copy("missing.txt", "monitor.bak"));
  EXPECT_TRUE(files.remove("monitor.txt"));
  EXPECT_FALSE(dir.exists("monitor.txt"));
  EXPECT_FALSE(files.remove("monitor.txt"));
  EXPECT_TRUE(files.freeBytes().has_value());
}

} // namespace
