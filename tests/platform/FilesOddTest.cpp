#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "adapters/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/OtherProcess.h"
#include "support/TempDir.h"

using namespace baromon::platform;
using baromon::fakes::HeldByOtherProcess;
using baromon::fakes::inChildProcess;
using baromon::fakes::isRegular;
using baromon::fakes::isSymlink;
using baromon::fakes::kHung;
using baromon::fakes::TempDir;

namespace {

// --- Appending ----------------------------------------------------------------------

// The append's first open fails while another program holds the log; if that
// program lets go before the fallback open, the fallback must not empty the file.
TEST(AppendToAHeldFile, FailsWithoutTouchingTheFileEvenWhenTheHolderLetsGoMeanwhile) {
  TempDir dir;
  dir.write("monitor.txt", "691760 bytes of records\r\n");
  PosixFileSystem real(dir.path());
  baromon::fakes::FaultyFileSystem files(real);
  auto other = std::make_unique<HeldByOtherProcess>(dir.file("monitor.txt"));
  ASSERT_TRUE(other->held());
  int opens = 0;
  files.onStep = [&](const std::string& what) {
    if (what == "open:monitor.txt" && ++opens == 2) {
      other.reset(); // the holder lets go between the two opens
    }
  };
  EXPECT_FALSE(files.openForAppend("monitor.txt"));
  EXPECT_EQ(dir.read("monitor.txt"), "691760 bytes of records\r\n");

  auto file = real.openForAppend("monitor.txt");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("next\r\n", 6));
  file.reset();
  EXPECT_EQ(dir.read("monitor.txt"), "691760 bytes of records\r\nnext\r\n");
}

TEST(AppendToAHeldFile, FailsWhileHeldAndAppendsOnceFree) {
  TempDir dir;
  dir.write("nmea.txt", "$A\r\n");
  PosixFileSystem files(dir.path());
  {
    HeldByOtherProcess other(dir.file("nmea.txt"));
    ASSERT_TRUE(other.held());
    EXPECT_FALSE(files.openForAppend("nmea.txt"));
    EXPECT_FALSE(files.openForAppend("nmea.txt"));
  }
  EXPECT_EQ(dir.read("nmea.txt"), "$A\r\n");
  auto file = files.openForAppend("nmea.txt");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("$B\r\n", 4));
  file.reset();
  EXPECT_EQ(dir.read("nmea.txt"), "$A\r\n$B\r\n");
}

// Following links is right for the log itself: its data may live on another disk.
TEST(AppendToAHeldFile, AppendsThroughASymbolicLink) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("disk").c_str(), 0755), 0);
  dir.write("disk/monitor.txt", "one\n");
  ASSERT_EQ(::symlink("disk/monitor.txt", dir.file("monitor.txt").c_str()), 0);
  PosixFileSystem files(dir.path());
  auto file = files.openForAppend("monitor.txt");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("two\n", 4));
  file.reset();
  EXPECT_EQ(dir.read("disk/monitor.txt"), "one\ntwo\n");
  EXPECT_TRUE(isSymlink(dir.file("monitor.txt")));
}

// --- Dispositions ---------------------------------------------------------------------

TEST(CreateNew, CreatesOnlyWhereNothingIsUnderTheName) {
  TempDir dir;
  PosixFileSystem files(dir.path());
  dir.write("victim", "precious");
  ASSERT_EQ(::symlink("victim", dir.file("link").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
  dir.write("old", "old");

  auto fresh = files.open("new", FileAccess::Write, OpenMode::CreateNew);
  ASSERT_TRUE(fresh);
  EXPECT_FALSE(files.open("new", FileAccess::Write, OpenMode::CreateNew)) << "held and existing";
  fresh.reset();
  EXPECT_FALSE(files.open("new", FileAccess::Write, OpenMode::CreateNew));
  EXPECT_FALSE(files.open("old", FileAccess::ReadWrite, OpenMode::CreateNew));
  EXPECT_FALSE(files.open("link", FileAccess::Write, OpenMode::CreateNew));
  EXPECT_FALSE(files.open("dangling", FileAccess::Write, OpenMode::CreateNew));
  EXPECT_FALSE(dir.exists("nowhere"));
  EXPECT_EQ(dir.read("old"), "old");
  EXPECT_EQ(dir.read("victim"), "precious");
}

TEST(CreateFresh, ReplacesWhateverIsUnderTheNameUnlessItIsHeld) {
  TempDir dir;
  PosixFileSystem files(dir.path());
  dir.write("victim", "precious");
  ASSERT_EQ(::symlink("victim", dir.file("monitor.tmp").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.file("datalist.txt").c_str(), 0644), 0);
  dir.write("monitor.bak", "stale and long");

  for (const char* name : {"monitor.tmp", "datalist.txt", "monitor.bak", "absent"}) {
    SCOPED_TRACE(name);
    auto file = files.open(name, FileAccess::Write, OpenMode::CreateFresh);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 0);
    ASSERT_TRUE(file->write("new", 3));
    file.reset();
    EXPECT_TRUE(isRegular(dir.file(name)));
    EXPECT_EQ(dir.read(name), "new");
  }
  EXPECT_EQ(dir.read("victim"), "precious");

  {
    HeldByOtherProcess other(dir.file("monitor.bak"));
    ASSERT_TRUE(other.held());
    EXPECT_FALSE(files.open("monitor.bak", FileAccess::Write, OpenMode::CreateFresh));
  }
  EXPECT_EQ(dir.read("monitor.bak"), "new");
}

// --- Objects that are not regular files -----------------------------------------------

// A FIFO under a data file's name: no open may block on it, and none may succeed.
TEST(OddObjects, NoOpenHangsOnAFifoOrTakesIt) {
  struct Case {
    const char* legend;
    std::function<bool(FileSystem&)> opens; // true when the open returned a file
  };
  const Case cases[] = {
      {"read existing",
       [](FileSystem& f) { return !!f.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting); }},
      {"read-write existing",
       [](FileSystem& f) { return !!f.open("monitor.txt", FileAccess::ReadWrite, OpenMode::OpenExisting); }},
      {"write, open always",
       [](FileSystem& f) { return !!f.open("monitor.txt", FileAccess::Write, OpenMode::OpenAlways); }},
      {"create always",
       [](FileSystem& f) { return !!f.open("monitor.txt", FileAccess::ReadWrite, OpenMode::CreateAlways); }},
      {"append", [](FileSystem& f) { return !!f.openForAppend("monitor.txt"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("monitor.txt").c_str(), 0644), 0);
    const int result = inChildProcess([&] {
      PosixFileSystem files(dir.path());
      return c.opens(files) ? 1 : 0;
    });
    ASSERT_NE(result, kHung) << "the open blocked";
    EXPECT_EQ(result, 0) << "a FIFO was taken for a file";
  }
}

TEST(OddObjects, DirectoriesAndDevicesAreNoFiles) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("monitor.txt").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("/dev/null", dir.file("nmea.txt").c_str()), 0);
  PosixFileSystem files(dir.path());
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
  EXPECT_FALSE(files.openForAppend("monitor.txt"));
  EXPECT_FALSE(files.open("nmea.txt", FileAccess::Read, OpenMode::OpenExisting));
  EXPECT_FALSE(files.openForAppend("nmea.txt"));
}

} // namespace
