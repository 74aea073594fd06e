#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "core/store/Store.h"
#include "support/FaultyFileSystem.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::FaultyFileSystem;
using fakes::TestApp;
using platform::WindowId;

constexpr int kBase = 90000; // record i of a grid log carries pressure kBase + i

// The record index each slot holds, -1 for an empty slot.
std::vector<int> slotRecords(const AppContext& app) {
  std::vector<int> out;
  for (const auto& s : app.history) {
    out.push_back(s.day == 0 ? -1 : s.pressure - kBase);
  }
  return out;
}

// Expected: `filled` slots from record `newest` going back by `stride`, the rest empty.
std::vector<int> expectedSlots(int filled, int newest, int stride) {
  std::vector<int> out(kHistoryShown, -1);
  for (int i = 0; i < filled; ++i) {
    out[static_cast<std::size_t>(i)] = newest - stride * i;
  }
  return out;
}

TEST(LoadHistory, FillsEveryKthRecordFromTheScrollOffsetBack) {
  struct Case {
    const char* legend;
    int records;
    unsigned show;
    int offset;
    int filled;
    int newest;
    int stride;
  };
  const Case cases[] = {
      {"1500 records, 5 min: slots 0..999 hold 1499..500", 1500, 300, 1, 1000, 1499, 1},
      {"1500 records, 10 min: 750 slots 1499, 1497, ...", 1500, 600, 1, 750, 1499, 2},
      {"1500 records, 15 min: 500 slots", 1500, 900, 1, 500, 1499, 3},
      {"1500 records, 30 min: 250 slots", 1500, 1800, 1, 250, 1499, 6},
      {"5 records, 15 min: one slot from the last record", 5, 900, 1, 1, 4, 3},
      {"7 records, 30 min: one slot from record 6", 7, 1800, 1, 1, 6, 6},
      {"5 records, 30 min: no whole step, nothing shown", 5, 1800, 1, 0, 0, 6},
      {"scrolled back 72: the newest shown is 72 from the end", 1500, 300, 73, 1000, 1427, 1},
      {"window past the start: the surplus slots stay empty", 100, 300, 51, 50, 49, 1},
      {"window past the start with stride 6", 100, 1800, 21, 14, 79, 6},
      {"scrolled past the whole log: every slot empty", 100, 300, 101, 0, 0, 1},
      {"scrolled far past the whole log", 100, 600, 5000, 0, 0, 2},
      {"an unknown step reads every record", 20, 0, 1, 20, 19, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.txt", testlog::gridLog(c.records, 0, kBase));
    t.app.settings.displayStep = c.show;
    t.app.view.scrollOffset = c.offset;
    EXPECT_EQ(loadHistory(t.app), 1);
    EXPECT_EQ(t.app.view.recordCount, c.records);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(c.filled, c.newest, c.stride));
    EXPECT_EQ(t.windows.invalidated, std::vector<WindowId>{WindowId::Main});
  }
}

TEST(LoadHistory, SlotHoldsTheDecodedRecord) {
  TestApp t;
  t.dir.write("monitor.txt",
              "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr -05,2 hPa/3h 01,5 hPa/h var 0\r\n");
  t.app.settings.displayStep = 300;
  ASSERT_EQ(loadHistory(t.app), 1);
  const HistorySample expected{2003, 12, 28, 21, 0, 98810, 18, -52, 15};
  EXPECT_EQ(t.app.history[0], expected);
  EXPECT_EQ(t.app.history[1].day, 0);
}

TEST(LoadHistory, EmptyAndMissingLogs) {
  {
    SCOPED_TRACE("an empty log: count 0, nothing filled, result 1");
    TestApp t;
    t.dir.write("monitor.txt", "");
    t.app.history[5].day = 3;
    EXPECT_EQ(loadHistory(t.app), 1);
    EXPECT_EQ(t.app.view.recordCount, 0);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(0, 0, 1));
    EXPECT_EQ(t.windows.invalidated.size(), 1u);
  }
  {
    SCOPED_TRACE("no log: result 0, History cleared, no repaint, count untouched, no event");
    TestApp t;
    t.app.history.back().day = 9;
    t.app.history[0].day = 9;
    EXPECT_EQ(loadHistory(t.app), 0);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(0, 0, 1));
    EXPECT_TRUE(t.windows.invalidated.empty());
    EXPECT_EQ(t.app.view.recordCount, 1024);
    EXPECT_FALSE(t.dir.exists("monitor.err"));
  }
}

TEST(LoadHistory, DamagedRecordsCostOnlyTheirSlots) {
  {
    SCOPED_TRACE("an invalid record in the middle");
    TestApp t;
    std::string log = testlog::gridLog(10, 0, kBase);
    log[80 * 7 + 9] = '-'; // record 7 loses its date dot
    t.dir.write("monitor.txt", log);
    t.app.settings.displayStep = 300;
    ASSERT_EQ(loadHistory(t.app), 1);
    auto expected = expectedSlots(10, 9, 1);
    expected[2] = -1;
    EXPECT_EQ(slotRecords(t.app), expected);
  }
  {
    SCOPED_TRACE("a fragment at the end: every read straddles two records");
    TestApp t;
    t.dir.write("monitor.txt", testlog::gridLog(10, 0, kBase) + std::string(40, 'x'));
    t.app.settings.displayStep = 300;
    ASSERT_EQ(loadHistory(t.app), 1);
    EXPECT_EQ(t.app.view.recordCount, 10);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(0, 0, 1));
  }
  {
    SCOPED_TRACE("a fragment at the start: reads stay aligned to the end and never reach it");
    TestApp t;
    t.dir.write("monitor.txt", std::string(40, 'x') + testlog::gridLog(10, 0, kBase));
    t.app.settings.displayStep = 300;
    ASSERT_EQ(loadHistory(t.app), 1);
    EXPECT_EQ(t.app.view.recordCount, 10);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(10, 9, 1));
  }
  {
    SCOPED_TRACE("blanks, NUL bytes and noise");
    TestApp t;
    std::string noise(80 * 3, ' ');
    noise += std::string(80, '\0');
    for (int i = 0; i < 80; ++i) {
      noise += static_cast<char>(i * 37 + 128);
    }
    t.dir.write("monitor.txt", noise);
    t.app.settings.displayStep = 300;
    ASSERT_EQ(loadHistory(t.app), 1);
    EXPECT_EQ(slotRecords(t.app), expectedSlots(0, 0, 1));
  }
}

// The log holds KX records whatever mode runs now: a print-out in NMEA mode
// must show them, not copies of whatever the decoder held last.
TEST(LoadHistory, NmeaModeStillDecodesTheLog) {
  TestApp t;
  t.dir.write("monitor.txt", testlog::gridLog(30, 0, kBase));
  t.app.settings.dataMode = DataMode::Nmea;
  t.app.settings.displayStep = 600;
  t.app.lastDecodedRecord.sample = HistorySample{1999, 1, 1, 0, 0, 100000, 0, 0, 0};
  ASSERT_EQ(loadHistory(t.app), 1);
  EXPECT_EQ(slotRecords(t.app), expectedSlots(15, 29, 2));
}

TEST(LoadHistory, ReadFailuresAreRetriedThenGivenUp) {
  {
    SCOPED_TRACE("one failed read is retried");
    TestApp t;
    t.dir.write("monitor.txt", testlog::gridLog(20, 0, kBase));
    FaultyFileSystem faulty(t.files);
    faulty.onStep = [&](const std::string& what) {
      if (what == "read" && faulty.failAt == 0) {
        faulty.failAt = faulty.steps;
      }
    };
    AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
    app.settings.displayStep = 300;
    EXPECT_EQ(loadHistory(app), 1);
    EXPECT_EQ(slotRecords(app), expectedSlots(20, 19, 1));
    EXPECT_FALSE(t.dir.exists("monitor.err"));
  }
  {
    SCOPED_TRACE("a persistent read error ends the load, reports event 21 and does not hang");
    TestApp t;
    t.dir.write("monitor.txt", testlog::gridLog(20, 0, kBase));
    FaultyFileSystem faulty(t.files);
    faulty.failAllReads = true;
    int reads = 0;
    faulty.onStep = [&](const std::string& what) { reads += what == "read"; };
    AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
    app.settings.displayStep = 300;
    EXPECT_EQ(loadHistory(app), 1);
    EXPECT_EQ(reads, kMaxFailedHistoryReads);
    EXPECT_EQ(slotRecords(app), expectedSlots(0, 0, 1));
    EXPECT_TRUE(fakes::hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed));
  }
}

// Whatever the load writes comes after the log is released: a monitor's append must
// never meet it held.
TEST(LoadHistory, ReportsItsEventWithTheLogReleased) {
  TestApp t;
  t.dir.write("monitor.txt", testlog::gridLog(20, 0, kBase));
  FaultyFileSystem faulty(t.files);
  faulty.failAllReads = true;
  std::vector<std::string> heldDuring;
  auto logFree = [&] {
    auto other =
        t.files.open("monitor.txt", platform::FileAccess::ReadWrite, platform::OpenMode::OpenExisting);
    return other != nullptr;
  };
  faulty.onStep = [&](const std::string& what) {
    if (what == "open:monitor.err" && !logFree()) {
      heldDuring.push_back("event");
    }
  };
  AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
  EXPECT_EQ(loadHistory(app), 1);
  EXPECT_TRUE(fakes::hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed));
  EXPECT_TRUE(heldDuring.empty()) << "monitor.txt was held while the event was written";
}

TEST(LoadHistory, LockedLogCountsAsUnreadable) {
  TestApp t;
  t.dir.write("monitor.txt", testlog::gridLog(5, 0, kBase));
  auto holder = t.files.open("monitor.txt", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  ASSERT_TRUE(holder);
  EXPECT_EQ(loadHistory(t.app), 0);
  EXPECT_EQ(t.app.history[0].day, 0);
}

} // namespace
} // namespace baromon
