#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "adapters/win32/Win32DirectoryLock.h"
#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32SerialPorts.h"
#include "support/LogBuilder.h"
#include "core/store/Store.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using namespace platform;
using fakes::TempDir;

// Another program's handle on a file: opened by the system call itself, with the
// sharing a program that knows nothing of ours would ask for.
struct ForeignHandle {
  HANDLE handle;
  ForeignHandle(const std::string& path, DWORD share)
      : handle(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~ForeignHandle() {
    if (handle != INVALID_HANDLE_VALUE) {
      ::CloseHandle(handle);
    }
  }
};

TEST(Win32FileSystem, SecondOpenerFailsWhileTheFirstHoldsTheFile) {
  TempDir dir;
  Win32FileSystem files(dir.path());
  auto first = files.open("monitor.txt", FileAccess::ReadWrite, OpenMode::OpenAlways);
  ASSERT_TRUE(first);
  ASSERT_TRUE(first->write("abc", 3));
  for (auto mode : {OpenMode::OpenExisting, OpenMode::OpenAlways, OpenMode::CreateAlways}) {
    for (auto access : {FileAccess::Read, FileAccess::Write, FileAccess::ReadWrite}) {
      EXPECT_FALSE(files.open("monitor.txt", access, mode))
          << static_cast<int>(mode) << "/" << static_cast<int>(access);
    }
  }
  EXPECT_FALSE(files.openForAppend("monitor.txt"));
  // Nor does another program get in, whatever sharing it offers.
  EXPECT_EQ(
      ForeignHandle(dir.file("monitor.txt"), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE).handle,
      INVALID_HANDLE_VALUE);
  first.reset();
  // The refused CreateAlways did not empty the held file.
  EXPECT_EQ(dir.read("monitor.txt"), "abc");
  EXPECT_TRUE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
}

TEST(Win32FileSystem, AFileAnotherProgramHoldsIsNotOpened) {
  TempDir dir;
  dir.write("monitor.txt", "kept");
  Win32FileSystem files(dir.path());
  ForeignHandle other(dir.file("monitor.txt"), FILE_SHARE_READ);
  ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
  EXPECT_FALSE(files.openForAppend("monitor.txt"));
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Write, OpenMode::CreateFresh));
  EXPECT_EQ(dir.read("monitor.txt"), "kept");
}

TEST(Win32FileSystem, AppendNeverTruncates) {
  TempDir dir;
  Win32FileSystem files(dir.path());
  for (const char* text : {"one\n", "two\n"}) {
    auto file = files.openForAppend("nmea.txt");
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->write(text, 4));
  }
  EXPECT_EQ(dir.read("nmea.txt"), "one\ntwo\n");
  // A file that is there but cannot be opened is never replaced by a new one.
  auto held = files.open("nmea.txt", FileAccess::Read, OpenMode::OpenExisting);
  EXPECT_FALSE(files.openForAppend("nmea.txt"));
  held.reset();
  EXPECT_EQ(dir.read("nmea.txt"), "one\ntwo\n");
  EXPECT_FALSE(files.open("nmea.txt", FileAccess::Write, OpenMode::CreateNew));
  EXPECT_EQ(dir.read("nmea.txt"), "one\ntwo\n");
}

TEST(Win32FileSystem, OnlyFilesOnADiskAreOpened) {
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("monitor.txt")));
  Win32FileSystem files(dir.path());
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting));
  EXPECT_FALSE(files.openForAppend("monitor.txt"));
  EXPECT_FALSE(files.open("monitor.txt", FileAccess::Write, OpenMode::CreateFresh));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("monitor.txt")));
  // Device names are no files, in any directory.
  EXPECT_FALSE(files.open("NUL", FileAccess::ReadWrite, OpenMode::OpenAlways));
  EXPECT_FALSE(files.open("CON", FileAccess::Read, OpenMode::OpenExisting));
}

TEST(Win32FileSystem, SeekResizeAndSize) {
  TempDir dir;
  dir.write("monitor.txt", "0123456789");
  Win32FileSystem files(dir.path());
  auto file = files.open("monitor.txt", FileAccess::ReadWrite, OpenMode::OpenExisting);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), 10);
  EXPECT_EQ(file->seek(-4, SeekFrom::End), 6);
  EXPECT_FALSE(file->seek(-20, SeekFrom::Current));
  char c = 0;
  ASSERT_EQ(file->read(&c, 1), 1u);
  EXPECT_EQ(c, '6');
  EXPECT_TRUE(file->resize(4));
  EXPECT_EQ(file->size(), 4);
  EXPECT_TRUE(file->sync());
  file.reset();
  EXPECT_EQ(dir.read("monitor.txt"), "0123");
}

TEST(Win32FileSystem, CreateFreshReplacesWhatHadTheName) {
  TempDir dir;
  dir.write("monitor.tmp", "an older and longer work file");
  Win32FileSystem files(dir.path());
  auto file = files.open("monitor.tmp", FileAccess::Write, OpenMode::CreateFresh);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("new", 3));
  file.reset();
  EXPECT_EQ(dir.read("monitor.tmp"), "new");
}

// The log check's swap: the new log renamed over the old one while both are held.
TEST(Win32FileSystem, RenameReplacesAHeldFileInOneStep) {
  TempDir dir;
  dir.write("monitor.txt", "old");
  Win32FileSystem files(dir.path());
  auto log = files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
  auto tmp = files.open("monitor.tmp", FileAccess::Write, OpenMode::CreateFresh);
  ASSERT_TRUE(log && tmp);
  ASSERT_TRUE(tmp->write("new", 3));
  ASSERT_TRUE(tmp->sync());
  const bool linked = files.linkReplacing("monitor.txt", "monitor.bak");
  if (!linked) {
    ASSERT_TRUE(files.copy("monitor.txt", "monitor.bak") || dir.read("monitor.bak").empty());
  }
  EXPECT_TRUE(files.rename("monitor.tmp", "monitor.txt"));
  tmp.reset();
  log.reset();
  EXPECT_EQ(dir.read("monitor.txt"), "new");
  EXPECT_FALSE(dir.exists("monitor.tmp"));
}

TEST(Win32FileSystem, LogCheckSwapsAndKeepsTheBackup) {
  fakes::TestApp t;
  const std::string log = testlog::record(1, 8, 12, 2026, 10, 0, 101325) +
                          testlog::record(2, 8, 12, 2026, 10, 5, 101320) +
                          testlog::record(3, 8, 12, 2026, 10, 10, 101310);
  const std::string old = log + "stray bytes\r\n";
  t.dir.write("monitor.txt", old);
  const LogCheckOutcome outcome = runLogCheck(t.app);
  EXPECT_EQ(outcome.status, LogCheckOutcome::Status::Repaired);
  EXPECT_EQ(t.dir.read("monitor.txt"), log);
  EXPECT_EQ(t.dir.read("monitor.bak"), old);
  EXPECT_FALSE(t.dir.exists("monitor.tmp"));
}

TEST(Win32DirectoryLock, OneMonitorPerDirectoryAndNothingLeftBehind) {
  TempDir dir;
  {
    Win32DirectoryLock first(dir.path());
    EXPECT_EQ(first.tryLock(), LockResult::Taken);
    EXPECT_EQ(first.tryLock(), LockResult::Taken);
    Win32DirectoryLock second(dir.path());
    EXPECT_EQ(second.tryLock(), LockResult::HeldByAnother);
  }
  EXPECT_FALSE(dir.exists(Win32DirectoryLock::kLockFileName));
  Win32DirectoryLock again(dir.path());
  EXPECT_EQ(again.tryLock(), LockResult::Taken);
  EXPECT_EQ(Win32DirectoryLock(dir.path() + "\\missing").tryLock(), LockResult::Unavailable);
}

TEST(Win32PortMap, WindowsDeviceNames) {
  Win32PortMap map;
  EXPECT_EQ(map.resolve("COM2"), "\\\\.\\COM2");
  EXPECT_EQ(map.resolve("COM9"), std::nullopt);
  EXPECT_EQ(map.resolve("LPT1"), std::nullopt);
  EXPECT_TRUE(map.parseAssignment("2=COM12"));
  EXPECT_EQ(map.resolve("COM2"), "\\\\.\\COM12");
  EXPECT_TRUE(map.parseAssignment("3=\\\\.\\COM13"));
  EXPECT_EQ(map.resolve("COM3"), "\\\\.\\COM13");
  EXPECT_FALSE(map.parseAssignment("9=COM1"));
  EXPECT_FALSE(map.parseAssignment("2="));
  ::SetEnvironmentVariableA("BAROMON_COM4", "COM21");
  _putenv("BAROMON_COM4=COM21");
  EXPECT_EQ(map.resolve("COM4"), "\\\\.\\COM21");
  _putenv("BAROMON_COM4=");
}

TEST(Win32SerialPorts, AMissingPortOrAFileIsNoPort) {
  TempDir dir;
  dir.write("notaport", "x");
  Win32PortMap map;
  map.set(1, "COM199");
  map.set(2, dir.file("notaport"));
  Win32SerialPorts ports(map);
  EXPECT_FALSE(ports.open("COM1"));
  EXPECT_FALSE(ports.open("COM2"));
  EXPECT_FALSE(ports.open("COM0"));
}

} // namespace
} // namespace baromon
