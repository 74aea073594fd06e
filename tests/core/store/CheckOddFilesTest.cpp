#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "support/LogBuilder.h"
#include "core/store/Store.h"
#include "support/FaultyFileSystem.h"
#include "support/OtherProcess.h"
#include "support/TestApp.h"

// The check's work and result files under names that are links, FIFOs or
// other odd objects, and a log that lives behind a link on another disk.

namespace baromon {
namespace {

using baromon::fakes::isRegular;
using baromon::fakes::isSymlink;
using baromon::fakes::lexists;
using fakes::FaultyFileSystem;
using fakes::TempDir;
using fakes::TestApp;

// Ten records on the grid with a broken one in the middle: the check has work to do.
std::string damagedLog() {
  std::string log;
  for (unsigned i = 0; i < 10; ++i) {
    std::string rec = testlog::recordAt(i + 1, 600 + 5L * i, 100000 + static_cast<int>(i));
    if (i == 4) {
      rec[9] = '/';
    }
    log += rec;
  }
  return log;
}

// The repaired form of damagedLog(): records 0-3, then (after the break) 5-9.
std::string repairedLog() {
  std::string log;
  for (unsigned i : {0u, 1u, 2u, 3u}) {
    log += testlog::recordAt(i + 1, 600 + 5L * i, 100000 + static_cast<int>(i));
  }
  for (unsigned i : {5u, 6u, 7u, 8u, 9u}) {
    log += testlog::recordAt(i - 4, 600 + 5L * i, 100000 + static_cast<int>(i));
  }
  return log;
}

std::string summary(int written, int recordings, int errors) {
  return std::to_string(written) + " records read\n" + std::to_string(recordings) + " recordings\n" +
         std::to_string(errors) + " errors found\n" + std::to_string(errors) + " errors corrected";
}

// A record at 11:00 UTC on 1 January 2026, appended as the monitor does.
void appendOneRecord(AppContext& app) {
  app.settings.dataMode = DataMode::Kx;
  app.acquisition.recordCounter = 42;
  app.reading.utcTime.year = 2026;
  app.reading.utcTime.month = 1;
  app.reading.utcTime.day = 1;
  app.reading.utcTime.hour = 11;
  app.reading.utcTime.minute = 0;
  app.reading.pressure = 101325;
  appendRecord(app);
}

// `ln -s ../victim datalist.txt` and the like must not let the check write
// outside its directory: every work and result file is made afresh, and a link
// under its name is replaced, never followed.
TEST(CheckOddFiles, LinksUnderTheWorkAndResultNamesAreReplacedNotFollowed) {
  struct Case {
    const char* legend;
    const char* name; // the link in the monitor's directory
    bool copyBackup;  // the file system makes no hard links: monitor.bak is copied
  };
  const Case cases[] = {
      {"recording list", "datalist.txt", false},
      {"work file", "monitor.tmp", false},
      {"backup", "monitor.bak", false},
      {"backup, copied", "monitor.bak", true},
      {"scratch name of the backup link", "monitor.bak.link", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    TempDir outside;
    outside.write("victim", "precious");
    ASSERT_EQ(::symlink(outside.file("victim").c_str(), t.dir.file(c.name).c_str()), 0);
    t.dir.write("monitor.txt", damagedLog());

    FaultyFileSystem files(t.files);
    files.onStep = [&](const std::string& what) {
      if (c.copyBackup && what == "link") {
        files.failAt = files.steps;
      }
    };
    AppContext app{Platform{t.clock, files, t.windows, t.ports, t.graphics}};
    EXPECT_EQ(checkLogFile(app), 1);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, summary(9, 2, 1));

    EXPECT_EQ(outside.read("victim"), "precious");
    EXPECT_TRUE(isRegular(t.dir.file("monitor.txt")));
    EXPECT_EQ(t.dir.read("monitor.txt"), repairedLog());
    EXPECT_TRUE(isRegular(t.dir.file("monitor.bak")));
    EXPECT_EQ(t.dir.read("monitor.bak"), damagedLog());
    EXPECT_TRUE(isRegular(t.dir.file("datalist.txt")));
    EXPECT_EQ(t.dir.read("datalist.txt"), "  0      0    4\n  1      4    5\n");
    EXPECT_FALSE(lexists(t.dir.file("monitor.tmp")));
    EXPECT_FALSE(lexists(t.dir.file("monitor.bak.link")));
  }
}

// A check run by root beside a monitor that runs as another user (a service's own user,
// nobody) must leave a log that user can still append to: the new monitor.txt and
// monitor.bak keep the owner, group and mode of the old log, whether the backup is a
// second name of the old log or a copy of it.
TEST(CheckOddFiles, TheNewLogAndTheBackupKeepTheOwnerAndModeOfTheOldLog) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root can give a file to another user";
  }
  for (const bool copyBackup : {false, true}) {
    SCOPED_TRACE(copyBackup ? "backup copied" : "backup linked");
    TestApp t;
    t.dir.write("monitor.txt", damagedLog());
    const std::string log = t.dir.file("monitor.txt");
    ASSERT_EQ(::chown(log.c_str(), 65534, 65533), 0);
    ASSERT_EQ(::chmod(log.c_str(), 0600), 0);
    FaultyFileSystem files(t.files);
    files.onStep = [&](const std::string& what) {
      if (copyBackup && what == "link") {
        files.failAt = files.steps;
      }
    };
    AppContext app{Platform{t.clock, files, t.windows, t.ports, t.graphics}};
    EXPECT_EQ(checkLogFile(app), 1);
    EXPECT_EQ(t.dir.read("monitor.txt"), repairedLog());
    EXPECT_EQ(t.dir.read("monitor.bak"), damagedLog());
    for (const char* name : {"monitor.txt", "monitor.bak"}) {
      SCOPED_TRACE(name);
      struct stat st {};
      ASSERT_EQ(::stat(t.dir.file(name).c_str(), &st), 0);
      EXPECT_EQ(st.st_uid, 65534u);
      EXPECT_EQ(st.st_gid, 65533u);
      EXPECT_EQ(st.st_mode & 07777, 0600u);
    }
  }
}

// A FIFO under a file's name must not hang the check. Work and result files are
// made afresh anyway; a log that is no file fails the check as a missing one.
TEST(CheckOddFiles, FifosNeverHangTheCheck) {
  struct Case {
    const char* legend;
    const char* fifo;
    const char* box;
  };
  const Case cases[] = {
      {"work file", "monitor.tmp", "9 records read\n2 recordings\n1 errors found\n1 errors corrected"},
      {"recording list", "datalist.txt", "9 records read\n2 recordings\n1 errors found\n1 errors corrected"},
      {"backup", "monitor.bak", "9 records read\n2 recordings\n1 errors found\n1 errors corrected"},
      {"log", "monitor.txt", "error reading monitor.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.txt", damagedLog());
    if (std::string(c.fifo) == "monitor.txt") {
      ASSERT_EQ(::unlink(t.dir.file("monitor.txt").c_str()), 0);
    }
    ASSERT_EQ(::mkfifo(t.dir.file(c.fifo).c_str(), 0644), 0);
    const int result = fakes::inChildProcess([&] {
      checkLogFile(t.app);
      return t.windows.boxes.size() == 1 && t.windows.boxes[0].text == c.box ? 0 : 1;
    });
    ASSERT_NE(result, fakes::kHung) << "the check hangs";
    EXPECT_EQ(result, 0) << "another box than: " << c.box;
  }
}

// The log on another disk, reached through a link: the check works beside the
// file the link leads to, so the link stays and goes on receiving records.
TEST(CheckOddFiles, ALinkedLogIsRepairedWhereItLivesAndTheLinkKeepsWorking) {
  struct Case {
    const char* legend;
    const char* target; // the log's name on the other disk
    const char* backup; // where its backup lands, beside it
  };
  const Case cases[] = {
      {"log named as usual", "monitor.txt", "monitor.bak"},
      {"log of another name", "station.log", "station.bak"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    TempDir disk;
    disk.write(c.target, damagedLog());
    ASSERT_EQ(::symlink(disk.file(c.target).c_str(), t.dir.file("monitor.txt").c_str()), 0);

    EXPECT_EQ(checkLogFile(t.app), 1);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, summary(9, 2, 1));
    EXPECT_TRUE(isSymlink(t.dir.file("monitor.txt"))) << "the link was replaced";
    EXPECT_EQ(disk.read(c.target), repairedLog());
    EXPECT_EQ(disk.read(c.backup), damagedLog());
    EXPECT_EQ(t.dir.read("datalist.txt"), "  0      0    4\n  1      4    5\n");
    EXPECT_FALSE(lexists(t.dir.file("monitor.bak")));
    EXPECT_FALSE(lexists(t.dir.file("monitor.tmp")));
    EXPECT_FALSE(lexists(disk.file("monitor.tmp")));

    // The history is read through the link, and the next record lands on the other disk.
    EXPECT_EQ(t.app.history[0].pressure, 100009);
    appendOneRecord(t.app);
    EXPECT_EQ(disk.read(c.target), repairedLog() + testlog::record(42, 1, 1, 2026, 11, 0, 101325));
    EXPECT_TRUE(isSymlink(t.dir.file("monitor.txt")));
  }
}

// A linked log whose own name is one the check would use beside it for its work
// file or backup: the check refuses rather than remove or overwrite the log.
TEST(CheckOddFiles, ALinkedLogNamedLikeAWorkFileIsLeftAlone) {
  for (const char* target : {"station.tmp", "station.bak"}) {
    SCOPED_TRACE(target);
    TestApp t;
    TempDir disk;
    disk.write(target, damagedLog());
    ASSERT_EQ(::symlink(disk.file(target).c_str(), t.dir.file("monitor.txt").c_str()), 0);
    EXPECT_EQ(checkLogFile(t.app), 0);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].caption, "write data");
    EXPECT_EQ(disk.read(target), damagedLog());
    EXPECT_TRUE(isSymlink(t.dir.file("monitor.txt")));
  }
}

} // namespace
} // namespace baromon
