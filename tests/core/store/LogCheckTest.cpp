#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <vector>

#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/FaultyFileSystem.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::FaultyFileSystem;
using fakes::TestApp;
using platform::FileAccess;
using platform::OpenMode;

// One input record: its time on the grid (minutes since 1 Jan 2026), its
// pressure (which identifies it) and whether its date dot is broken.
struct In {
  long minutes;
  int pressure;
  bool broken = false;
};

std::string buildLog(const std::vector<In>& records, unsigned firstCounter = 7) {
  std::string log;
  unsigned counter = firstCounter;
  for (const auto& r : records) {
    std::string rec = testlog::recordAt(counter++, r.minutes, r.pressure);
    if (r.broken) {
      rec[9] = '/';
    }
    log += rec;
  }
  return log;
}

// The repaired log: the given input records, renumbered within their recordings.
std::string repaired(const std::vector<In>& records, const std::vector<std::pair<int, unsigned>>& kept) {
  std::string log;
  for (const auto& [index, counter] : kept) {
    const In& r = records[static_cast<std::size_t>(index)];
    log += testlog::recordAt(counter, r.minutes, r.pressure);
  }
  return log;
}

std::vector<In> grid(int count, long start = 600, int pressure = 100000) {
  std::vector<In> out;
  for (int i = 0; i < count; ++i) {
    out.push_back({start + 5L * i, pressure + i});
  }
  return out;
}

std::string summary(int written, int recordings, int errors) {
  return std::to_string(written) + " records read\n" + std::to_string(recordings) + " recordings\n" +
         std::to_string(errors) + " errors found\n" + std::to_string(errors) + " errors corrected";
}

bool eventLogged(const TestApp& t, Event code) { return fakes::hasEvent(t.dir.read("monitor.err"), code); }

TEST(CheckLogFile, RepairsKeepsBackupAndSummarises) {
  struct Case {
    const char* legend;
    std::vector<In> input;
    std::vector<std::pair<int, unsigned>> kept; // input index, new counter
    std::string summary;
    std::string datalist;
    int errors;
  };
  std::vector<In> gap = grid(6);
  for (const In& r : grid(4, 600 + 25 + 60, 120000)) {
    gap.push_back(r);
  }
  std::vector<In> brokenDot = grid(6);
  brokenDot[3].broken = true;
  std::vector<In> duplicate = grid(3);
  duplicate.push_back({610, 130000}); // the same minute as the third record
  duplicate.push_back({615, 130001});
  const std::vector<In> midnight = {{1430, 1}, {1435, 2}, {1440, 3}, {1445, 4}};
  const std::vector<In> midnightAfterGap = {{1400, 1}, {1405, 2}, {1440, 3}, {1445, 4}};
  const std::vector<In> laterDay = {{600, 1}, {605, 2}, {4 * 1440 + 610, 3}};
  std::vector<In> firstInvalid = grid(4);
  firstInvalid[0].broken = true;

  const Case cases[] = {
      {"10 good records: one recording, nothing to correct",
       grid(10),
       {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10}},
       summary(10, 1, 0),
       "  0      0   10\n",
       0},
      {"6 good, an hour's gap, 4 good: the first after the gap starts the second recording",
       gap,
       {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}, {7, 2}, {8, 3}, {9, 4}},
       summary(10, 2, 0),
       "  0      0    6\n  1      6    4\n",
       0},
      {"a broken date dot is one error; the next good record starts a recording",
       brokenDot,
       {{0, 1}, {1, 2}, {2, 3}, {4, 1}, {5, 2}},
       summary(5, 2, 1),
       "  0      0    3\n  1      3    2\n",
       1},
      {"a second record for the same minute is an error and a break, and is dropped",
       duplicate,
       {{0, 1}, {1, 2}, {2, 3}, {4, 1}},
       summary(4, 2, 1),
       "  0      0    3\n  1      3    1\n",
       1},
      {"23:50, 23:55, 00:00, 00:05 continue the grid",
       midnight,
       {{0, 1}, {1, 2}, {2, 3}, {3, 4}},
       summary(4, 1, 0),
       "  0      0    4\n",
       0},
      {"a record at 00:00 continues the grid even after a gap",
       midnightAfterGap,
       {{0, 1}, {1, 2}, {2, 3}, {3, 4}},
       summary(4, 1, 0),
       "  0      0    4\n",
       0},
      {"the same time of day on a later date continues the grid",
       laterDay,
       {{0, 1}, {1, 2}, {2, 3}},
       summary(3, 1, 0),
       "  0      0    3\n",
       0},
      {"an invalid first record: the first valid one starts the recording",
       firstInvalid,
       {{1, 1}, {2, 2}, {3, 3}},
       summary(3, 1, 1),
       "  0      0    3\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    const std::string old = buildLog(c.input);
    t.dir.write("monitor.txt", old);
    t.app.settings.displayStep = 300;
    EXPECT_EQ(checkLogFile(t.app), c.errors);
    EXPECT_EQ(t.dir.read("monitor.txt"), repaired(c.input, c.kept));
    EXPECT_EQ(t.dir.read("monitor.bak"), old);
    EXPECT_EQ(t.dir.read("datalist.txt"), c.datalist);
    EXPECT_FALSE(t.dir.exists("monitor.tmp"));
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, c.summary);
    EXPECT_EQ(t.windows.boxes[0].caption, "Data check");
    // The history was reloaded from the new log before the box.
    EXPECT_EQ(t.app.history[0].pressure, c.input[static_cast<std::size_t>(c.kept.back().first)].pressure);
    EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"invalidate", "box:Data check"}));
    EXPECT_EQ(t.app.view.recordCount, static_cast<int>(c.kept.size()));
    EXPECT_FALSE(t.app.acquisition.acquisitionPaused);
    EXPECT_FALSE(t.dir.exists("monitor.err"));
  }
}

// Date and time of every record of a log on the grid: what a check must never lose.
std::vector<std::string> keysOf(const std::string& log) {
  std::vector<std::string> keys;
  for (std::size_t at = 0; at + kLogRecordSize <= log.size(); at += kLogRecordSize) {
    keys.push_back(log.substr(at + 7, 16));
  }
  return keys;
}

// A break in the grid starts a new recording with the record that breaks it. A second
// check then finds nothing to change: every check used to drop the next record of every
// recording.
TEST(CheckLogFile, KeepsTheRecordAfterEveryBreakAndASecondCheckChangesNothing) {
  struct Case {
    const char* legend;
    std::vector<In> input;
    std::vector<int> dropped; // input indexes that are not kept
    int recordings;
    std::string datalist;
  };
  std::vector<In> twoGaps = grid(100);
  for (const In& r : grid(100, 600 + 500 + 25, 110000)) {
    twoGaps.push_back(r);
  }
  for (const In& r : grid(76, 600 + 1000 + 50, 120000)) {
    twoGaps.push_back(r);
  }
  // A monitor stopped for a quarter of an hour.
  std::vector<In> stopped = grid(3);
  for (const In& r : grid(3, 600 + 15 + 15, 110000)) {
    stopped.push_back(r);
  }
  // The clock set back by twenty minutes.
  std::vector<In> clockBack = grid(4);
  for (const In& r : grid(3, 600 + 15 - 20, 110000)) {
    clockBack.push_back(r);
  }
  // Stopped for exactly one day: the same time of day on the next date is no duplicate.
  const std::vector<In> aDayLater = {{600, 1}, {605, 2}, {605 + 1440, 3}, {610 + 1440, 4}};
  const Case cases[] = {
      {"two half-hour gaps", twoGaps, {}, 3, "  0      0  100\n  1    100  100\n  2    200   76\n"},
      {"a monitor stopped for 15 minutes", stopped, {}, 2, "  0      0    3\n  1      3    3\n"},
      {"a clock set back", clockBack, {}, 2, "  0      0    4\n  1      4    3\n"},
      {"a day later at the same time", aDayLater, {}, 2, "  0      0    2\n  1      2    2\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    const std::string old = buildLog(c.input);
    t.dir.write("monitor.txt", old);
    const int errors = static_cast<int>(c.dropped.size());
    EXPECT_EQ(checkLogFile(t.app), errors);
    const std::string once = t.dir.read("monitor.txt");
    std::vector<std::string> expectedKeys;
    for (std::size_t i = 0; i < c.input.size(); ++i) {
      if (std::find(c.dropped.begin(), c.dropped.end(), static_cast<int>(i)) == c.dropped.end()) {
        expectedKeys.push_back(testlog::recordOf(old, static_cast<int>(i)).substr(7, 16));
      }
    }
    EXPECT_EQ(keysOf(once), expectedKeys);
    EXPECT_EQ(t.dir.read("datalist.txt"), c.datalist);
    const int kept = static_cast<int>(expectedKeys.size());
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, summary(kept, c.recordings, errors));

    EXPECT_EQ(checkLogFile(t.app), 0);
    EXPECT_TRUE(t.dir.read("monitor.txt") == once) << "the second check changed the log";
    EXPECT_TRUE(t.dir.read("monitor.bak") == once);
    EXPECT_EQ(t.dir.read("datalist.txt"), c.datalist);
    ASSERT_EQ(t.windows.boxes.size(), 2u);
    EXPECT_EQ(t.windows.boxes[1].text, summary(kept, c.recordings, 0));
  }
}

// A second record for the same minute is dropped by the first check; what it leaves is
// kept whole by every check after it.
TEST(CheckLogFile, ADuplicateIsDroppedOnceAndNothingElseAfterwards) {
  std::vector<In> duplicate = grid(3);
  duplicate.push_back({610, 130000});
  duplicate.push_back({615, 130001});
  TestApp t;
  const std::string old = buildLog(duplicate);
  t.dir.write("monitor.txt", old);
  EXPECT_EQ(checkLogFile(t.app), 1);
  std::vector<std::string> expected;
  for (const int i : {0, 1, 2, 4}) {
    expected.push_back(testlog::recordOf(old, i).substr(7, 16));
  }
  EXPECT_EQ(keysOf(t.dir.read("monitor.txt")), expected);
  EXPECT_EQ(checkLogFile(t.app), 0);
  EXPECT_EQ(keysOf(t.dir.read("monitor.txt")), expected);
  // Nothing breaks the grid any more: one recording, numbered through.
  EXPECT_EQ(t.dir.read("datalist.txt"), "  0      0    4\n");
}

TEST(CheckLogFile, KeptRecordsAreNormalisedToTheWritersLayout) {
  TestApp t;
  t.dir.write("monitor.txt",
              "000412 28.12.2003 21:00 0988.10 hPa +01.8 hPa/hr -05.2 hPa/3h 55.0 hPa/h var 1\r\n"
              "000413 28.12.2003 21:05 0988,20 hPa  01,8 hPa/hr +05,2 hPa/3h 01,5 hPa/h var 0\r\n");
  EXPECT_EQ(checkLogFile(t.app), 0);
  EXPECT_EQ(t.dir.read("monitor.txt"),
            "000001 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr -05,2 hPa/3h 00,0 hPa/h var 0\r\n"
            "000002 28.12.2003 21:05 0988,20 hPa -01,8 hPa/hr +05,2 hPa/3h 01,5 hPa/h var 0\r\n");
}

TEST(CheckLogFile, NothingToCheck) {
  for (const std::string& log : {std::string(), std::string(79, '0')}) {
    SCOPED_TRACE(log.size());
    TestApp t;
    t.dir.write("monitor.txt", log);
    EXPECT_EQ(checkLogFile(t.app), 0);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, "No records read\nno errors can be found");
    EXPECT_EQ(t.windows.boxes[0].caption, "Data check");
    EXPECT_EQ(t.dir.read("monitor.txt"), log);
    EXPECT_FALSE(t.dir.exists("monitor.bak"));
    EXPECT_FALSE(t.dir.exists("datalist.txt"));
    EXPECT_TRUE(t.windows.invalidated.empty());
  }
}

TEST(CheckLogFile, FilesThatCannotBeOpenedChangeNothing) {
  struct Case {
    const char* legend;
    bool haveLog;
    const char* held; // a file another opener holds, or nullptr
    const char* text;
    const char* caption;
  };
  const Case cases[] = {
      {"no log", false, nullptr, "error reading monitor.txt", "read data"},
      {"log held by another program", true, "monitor.txt", "error reading monitor.txt", "read data"},
      {"work file held by another program", true, "monitor.tmp", "error writing monitor.tmp", "write data"},
      {"recording list held by another program", true, "datalist.txt", "error writing datalist.txt",
       "write data"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    const std::string old = buildLog(grid(5));
    if (c.haveLog) {
      t.dir.write("monitor.txt", old);
    }
    std::unique_ptr<platform::File> holder;
    if (c.held) {
      holder = t.files.open(c.held, FileAccess::ReadWrite, OpenMode::OpenAlways);
      ASSERT_TRUE(holder);
    }
    EXPECT_EQ(checkLogFile(t.app), 0);
    holder.reset();
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, c.text);
    EXPECT_EQ(t.windows.boxes[0].caption, c.caption);
    EXPECT_TRUE(eventLogged(t, Event::FileOpenFailed));
    EXPECT_EQ(t.dir.exists("monitor.txt"), c.haveLog);
    EXPECT_EQ(t.dir.read("monitor.txt"), c.haveLog ? old : "");
    EXPECT_FALSE(t.app.acquisition.acquisitionPaused);
  }
}

// A box may stay open for hours while the timer goes on recording: by then the
// check must hold no file and the acquisition must run again.
TEST(CheckLogFile, BoxesComeAfterTheFilesAreClosed) {
  struct ProbingWindows : fakes::FakeWindows {
    AppContext* app = nullptr;
    std::vector<std::string> seen;
    void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override {
      FakeWindows::messageBox(text, caption, icon);
      const bool free = app->platform.files.openForAppend("monitor.txt") != nullptr;
      seen.push_back(caption + (free ? " log free" : " log held") +
                     (app->acquisition.acquisitionPaused ? " paused" : ""));
    }
  };
  struct Case {
    const char* legend;
    std::string log;
    const char* failingStep; // or nullptr
    std::string seen;
  };
  const Case cases[] = {
      {"summary", buildLog(grid(5)), nullptr, "Data check log free"},
      {"nothing to check", "", nullptr, "Data check log free"},
      {"a failure during the swap", buildLog(grid(5)), "rename", "write data log free"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.txt", c.log);
    FaultyFileSystem faulty(t.files);
    faulty.onStep = [&](const std::string& what) {
      if (c.failingStep && what == c.failingStep) {
        faulty.failAt = faulty.steps;
      }
    };
    ProbingWindows windows;
    AppContext app{Platform{t.clock, faulty, windows, t.ports, t.graphics}};
    windows.app = &app;
    checkLogFile(app);
    EXPECT_EQ(windows.seen, std::vector<std::string>{c.seen});
  }
}

// Leftovers of an earlier run must not reach the new files.
TEST(CheckLogFile, StaleWorkFileAndListAreEmptiedFirst) {
  TestApp t;
  t.dir.write("monitor.tmp", buildLog(grid(50, 3000, 50000)));
  t.dir.write("datalist.txt", std::string(16 * 40, '9'));
  const std::vector<In> input = grid(3);
  t.dir.write("monitor.txt", buildLog(input));
  EXPECT_EQ(checkLogFile(t.app), 0);
  EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, {{0, 1}, {1, 2}, {2, 3}}));
  EXPECT_EQ(t.dir.read("datalist.txt"), "  0      0    3\n");
}

TEST(CheckLogFile, CoversTheWholeLogAndWidensWideCounts) {
  TestApp t;
  const std::vector<In> input = grid(32010, 0, 1000);
  t.dir.write("monitor.txt", buildLog(input, 1));
  EXPECT_EQ(checkLogFile(t.app), 0);
  EXPECT_EQ(t.windows.boxes.at(0).text, summary(32010, 1, 0));
  const std::string log = t.dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 32010u * 80u);
  EXPECT_EQ(testlog::recordOf(log, 32009),
            testlog::recordAt(32010, input.back().minutes, input.back().pressure));
  EXPECT_EQ(t.dir.read("datalist.txt"), "  0      0 32010\n");
}

TEST(CheckLogFile, RecordingsPastTheTableStillCount) {
  TestApp t;
  std::vector<In> input;
  for (int r = 0; r < 200; ++r) {
    input.push_back({r * 95L, 2 * r}); // never at 00:00, which would continue the grid
    input.push_back({r * 95L + 5, 2 * r + 1});
  }
  t.dir.write("monitor.txt", buildLog(input));
  EXPECT_EQ(checkLogFile(t.app), 0);
  // Every recording keeps both its records; the table lists the first 128.
  EXPECT_EQ(t.windows.boxes.at(0).text, summary(400, 200, 0));
  std::string expected;
  for (int i = 0; i < 128; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%3d %6d %4d\n", i, 2 * i, 2);
    expected += line;
  }
  EXPECT_EQ(t.dir.read("datalist.txt"), expected);
  EXPECT_EQ(t.dir.read("monitor.txt").size(), 400u * 80u);
}

// A fragment shifts everything after it off the 80-byte grid; the check finds
// the records again instead of dropping the rest of the log.
TEST(CheckLogFile, FindsRecordsAgainAfterFragmentsAndNoise) {
  struct Case {
    const char* legend;
    std::string log;
    std::vector<std::pair<int, unsigned>> kept;
    int errors;
  };
  const std::vector<In> input = grid(10);
  const std::string good = buildLog(input);
  const std::string fragment = good.substr(0, 37);
  std::vector<std::pair<int, unsigned>> all;
  for (int i = 0; i < 10; ++i) {
    all.push_back({i, static_cast<unsigned>(i + 1)});
  }
  const Case cases[] = {
      {"a fragment in the middle", good.substr(0, 400) + fragment + good.substr(400), all, 1},
      {"a fragment at the start", fragment + good, all, 1},
      {"a fragment at the end is no record", good + fragment, all, 0},
      {"a record of blanks and one of NUL bytes",
       good.substr(0, 400) + std::string(80, ' ') + std::string(80, '\0') + good.substr(400), all, 2},
      {"binary noise of one and a half records",
       good.substr(0, 400) + std::string(120, '\x9c') + good.substr(400), all, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.txt", c.log);
    EXPECT_EQ(checkLogFile(t.app), c.errors);
    EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, c.kept));
    EXPECT_EQ(t.dir.read("monitor.bak"), c.log);
  }
}

// The decoder never looks at a record's line end: a record whose fields
// decode is kept (written back with CR LF) whatever ends it, and the grid
// goes on where the next record starts, also when the line end lost or gained
// a byte or two.
TEST(CheckLogFile, KeepsRecordsWhoseLineEndIsDamaged) {
  struct Case {
    const char* legend;
    std::string log;
    int kept;
    int errors;
  };
  const std::vector<In> input = grid(10);
  const std::string good = buildLog(input);
  const std::string head = good.substr(0, 4 * 80 + 78); // records 0..3 and the fields of record 4
  const std::string tail = good.substr(5 * 80);         // records 5..9
  std::string unix = good;
  unix.erase(std::remove(unix.begin(), unix.end(), '\r'), unix.end());
  const Case cases[] = {
      {"LF LF", head + "\n\n" + tail, 10, 0},
      {"two blanks", head + "  " + tail, 10, 0},
      {"CR CR", head + "\r\r" + tail, 10, 0},
      {"no line end at all", head + tail, 10, 0},
      {"LF only", head + "\n" + tail, 10, 0},
      {"a doubled CR", head + "\r\r\n" + tail, 10, 0},
      // The last record too: 79 bytes that end a line are no cut record.
      {"every record ending in LF only", unix, 10, 0},
      {"a byte-order mark in front", "\xEF\xBB\xBF" + good, 10, 1},
      {"a byte-order mark and LF line ends", "\xEF\xBB\xBF" + unix, 10, 1},
      // An empty line is a fragment of two bytes between whole records.
      {"CR LF CR LF", head + "\r\n\r\n" + tail, 10, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    std::vector<std::pair<int, unsigned>> kept;
    for (int i = 0; i < c.kept; ++i) {
      kept.push_back({i, static_cast<unsigned>(i + 1)});
    }
    TestApp t;
    t.dir.write("monitor.txt", c.log);
    EXPECT_EQ(checkLogFile(t.app), c.errors);
    EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, kept));
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, summary(c.kept, 1, c.errors));
  }
}

// Pieces of records cut short: each is one error, and no record around it is lost.
TEST(CheckLogFile, FragmentsOfAnyLengthCostNoRecord) {
  struct Case {
    const char* legend;
    std::string log;
    int errors;
  };
  const std::vector<In> input = grid(10);
  const std::string good = buildLog(input);
  const auto at = [&](int record) { return good.substr(0, static_cast<std::size_t>(record) * 80); };
  const auto from = [&](int record) { return good.substr(static_cast<std::size_t>(record) * 80); };
  const std::string other = buildLog(grid(2, 9000, 50000));
  std::vector<std::pair<int, unsigned>> all;
  for (int i = 0; i < 10; ++i) {
    all.push_back({i, static_cast<unsigned>(i + 1)});
  }
  std::vector<Case> cases = {
      {"two fragments", at(3) + other.substr(0, 37) + good.substr(240, 160) + other.substr(0, 4) + from(5),
       2},
      {"4 bytes at the start", other.substr(0, 4) + good, 1},
      {"a fragment before the last record", at(9) + other.substr(0, 50) + from(9), 1},
      {"80 bytes of two cut records that do not decode",
       at(5) + other.substr(0, 4) + other.substr(80, 76) + from(5), 1},
      {"a cut record, then one whose line end is damaged",
       at(5) + other.substr(0, 37) + good.substr(400, 78) + "\n\n" + from(6), 1},
  };
  for (const int length : {1, 4, 30, 37, 60, 77}) {
    cases.push_back(
        {"one cut record", at(5) + other.substr(0, static_cast<std::size_t>(length)) + from(5), 1});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.legend) + ", " + std::to_string(c.log.size() - good.size()) + " bytes more");
    TestApp t;
    t.dir.write("monitor.txt", c.log);
    EXPECT_EQ(checkLogFile(t.app), c.errors);
    EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, all));
  }
}

// 80 bytes made of two cut records decode as a record, but a record starts
// inside them: they are two fragments, and the records around them stay.
TEST(CheckLogFile, EightyBytesOfTwoCutRecordsAreTwoFragments) {
  const std::vector<In> input = grid(10);
  const std::string good = buildLog(input);
  const std::string other = buildLog(grid(2, 9000, 50000));
  const std::string pieces = other.substr(0, 37) + other.substr(80, 43);
  LastDecodedRecord decoded;
  ASSERT_EQ(parseLogRecord(decoded, LogRecordMode::Decode, pieces.data()), 1);
  TestApp t;
  t.dir.write("monitor.txt", good.substr(0, 400) + pieces + good.substr(400));
  EXPECT_EQ(checkLogFile(t.app), 2);
  std::vector<std::pair<int, unsigned>> all;
  for (int i = 0; i < 10; ++i) {
    all.push_back({i, static_cast<unsigned>(i + 1)});
  }
  EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, all));
}

TEST(CheckLogFile, EveryFieldOutOfRangeIsOneDroppedRecord) {
  TestApp t;
  const std::vector<In> input = grid(4);
  std::string log = buildLog(input);
  log.replace(80, 78, "999999 99.99.9999 99:99 9999,99 hPa +99,9 hPa/hr +99,9 hPa/3h 99,9 hPa/h var 9");
  t.dir.write("monitor.txt", log);
  EXPECT_EQ(checkLogFile(t.app), 1);
  EXPECT_EQ(t.dir.read("monitor.txt"), repaired(input, {{0, 1}, {2, 1}, {3, 2}}));
}

TEST(CheckLogFile, AcquisitionPausesOnlyWhileTheFilesAreSwapped) {
  TestApp t;
  t.dir.write("monitor.txt", buildLog(grid(5)));
  FaultyFileSystem faulty(t.files);
  AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
  std::vector<std::pair<std::string, bool>> seen;
  faulty.onStep = [&](const std::string& what) {
    if (what.rfind("open:", 0) == 0 || what == "rename" || what == "sync" || what == "link") {
      seen.push_back({what, app.acquisition.acquisitionPaused});
    }
  };
  EXPECT_EQ(checkLogFile(app), 0);
  const std::vector<std::pair<std::string, bool>> expected = {
      {"open:monitor.tmp", false},
      {"open:monitor.txt", false},
      {"open:datalist.txt", false},
      {"sync", true},
      {"sync", true},
      {"link", true},
      {"rename", true},
      {"open:monitor.txt", false},
  };
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(app.acquisition.acquisitionPaused);
}

// Whatever step fails, monitor.txt is whole: the old log until the rename,
// the new one after it, and only a finished swap claims success.
TEST(CheckLogFile, FailureAtAnyStepLeavesTheLogWhole) {
  std::vector<In> input = grid(3000);
  input[17].broken = true;
  const std::string old = buildLog(input, 40);
  std::string fresh;
  int steps = 0;
  {
    TestApp t;
    t.dir.write("monitor.txt", old);
    FaultyFileSystem counting(t.files);
    AppContext app{Platform{t.clock, counting, t.windows, t.ports, t.graphics}};
    ASSERT_EQ(checkLogFile(app), 1);
    fresh = t.dir.read("monitor.txt");
    steps = counting.steps;
  }
  ASSERT_NE(fresh, old);
  ASSERT_GT(steps, 10);
  for (int failAt = 1; failAt <= steps; ++failAt) {
    SCOPED_TRACE("failing step " + std::to_string(failAt));
    TestApp t;
    t.dir.write("monitor.txt", old);
    FaultyFileSystem faulty(t.files);
    faulty.failAt = failAt;
    std::string failed;
    faulty.onStep = [&](const std::string& what) {
      if (faulty.steps == failAt) {
        failed = what;
      }
    };
    AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
    const int result = checkLogFile(app);
    const std::string now = t.dir.read("monitor.txt");
    ASSERT_EQ(t.windows.boxes.size(), 1u) << failed;
    if (t.windows.boxes[0].caption == "Data check") {
      // Only the history reload comes after the rename; its failures cost the barogram, not the log.
      EXPECT_EQ(now, fresh) << failed;
      EXPECT_EQ(t.dir.read("monitor.bak"), old) << failed;
      EXPECT_EQ(result, 1);
    } else {
      EXPECT_EQ(now, old) << failed;
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(eventLogged(t, Event::FileOpenFailed) || eventLogged(t, Event::ReadWriteFailed)) << failed;
    }
    EXPECT_FALSE(app.acquisition.acquisitionPaused);
  }
}

#ifndef _WIN32 // the kill needs fork
// A check killed at any instant leaves either the old or the new log, whole.
TEST(CheckLogFile, KilledAtAnyInstantLeavesTheLogWhole) {
  // A stray line between two good records: the repaired log then checks clean again.
  const std::string good = buildLog(grid(20000), 900);
  const std::string old = good.substr(0, 800) + std::string(80, '#') + good.substr(800);
  std::string fresh;
  long micros = 0; // how long one check takes here, to spread the kills over it
  {
    TestApp t;
    t.dir.write("monitor.txt", old);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(checkLogFile(t.app), 1);
    micros = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count());
    fresh = t.dir.read("monitor.txt");
  }
  std::mt19937 random(20261208);
  std::uniform_int_distribution<long> delay(0, micros + micros / 4);
  int sawOld = 0;
  int sawNew = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    TestApp t;
    t.dir.write("monitor.txt", old);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      platform::PosixFileSystem files(t.dir.path());
      AppContext app{Platform{t.clock, files, t.windows, t.ports, t.graphics}};
      checkLogFile(app);
      ::_exit(0);
    }
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = t.dir.read("monitor.txt");
    ASSERT_TRUE(now == old || now == fresh) << "monitor.txt has " << now.size() << " bytes";
    (now == old ? sawOld : sawNew)++;
    // A later check after the kill still works on whatever is there.
    EXPECT_EQ(checkLogFile(t.app), now == old ? 1 : 0);
    EXPECT_EQ(t.windows.boxes.at(0).caption, "Data check") << t.windows.boxes.at(0).text;
    EXPECT_TRUE(t.dir.read("monitor.txt") == fresh);
    EXPECT_TRUE(t.dir.read("monitor.bak") == now);
  }
  RecordProperty("killed_before_swap", sawOld);
  RecordProperty("killed_after_swap", sawNew);
}
#endif

} // namespace
} // namespace baromon
