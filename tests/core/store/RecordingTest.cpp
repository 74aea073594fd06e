#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "core/store/Store.h"
#include "support/FaultyFileSystem.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::FaultyFileSystem;
using fakes::TestApp;
using platform::FileAccess;
using platform::OpenMode;

void setReading(AppContext& app, std::uint32_t counter, int pressure) {
  app.settings.dataMode = DataMode::Kx;
  app.acquisition.recordCounter = counter;
  app.reading.pressure = pressure;
  app.reading.tendency1h = 18;
  app.reading.tendency3h = 52;
  app.converter.variation = 0;
  app.reading.utcTime = platform::DateTime{2003, 12, 28, 21, 0, 7, 0};
}

// A received line handed to the recorder in NMEA mode.
void appendLine(AppContext& app, const std::string& line) {
  app.settings.dataMode = DataMode::Nmea;
  appendNmeaSentence(app, line.data(), line.size());
}

bool eventLogged(const TestApp& t, Event code) { return fakes::hasEvent(t.dir.read("monitor.err"), code); }

// How often an event stands in monitor.err.
std::size_t eventCount(const TestApp& t, Event code) {
  return fakes::eventCount(t.dir.read("monitor.err"), code);
}

// The record setReading gives for a counter, as the writer lays it out.
std::string recordWith(std::uint32_t counter) {
  return testlog::record(counter, 28, 12, 2003, 21, 0, 98000 + static_cast<int>(counter), 18, 52);
}

void setNumberedReading(AppContext& app, std::uint32_t counter) {
  setReading(app, counter, 98000 + static_cast<int>(counter));
}

TEST(AppendRecord, FirstRecordCreatesTheLogThenRecordsAppend) {
  TestApp t;
  setReading(t.app, 20, 98810);
  appendRecord(t.app);
  EXPECT_EQ(t.dir.read("monitor.txt"),
            "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\r\n");

  setReading(t.app, 21, 98700);
  t.app.reading.utcTime.minute = 5;
  t.app.reading.tendency1h = -3;
  t.app.converter.variation = 999;
  appendRecord(t.app);
  const std::string log = t.dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 160u);
  EXPECT_EQ(log.substr(80),
            "000021 28.12.2003 21:05 0987,00 hPa -00,3 hPa/hr +05,2 hPa/3h 99,9 hPa/h var 0\r\n");
  EXPECT_FALSE(t.dir.exists("monitor.err"));
}

TEST(AppendRecord, OutOfRangePressureStillWritesExactlyOneRecord) {
  TestApp t;
  setReading(t.app, 1, 1'234'567); // 12345.67 hPa: only an extreme height correction gets here
  appendRecord(t.app);
  const std::string log = t.dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 80u);
  EXPECT_EQ(log.substr(78), "\r\n");
}

TEST(AppendRecord, WritesOnlyInItsOwnMode) {
  TestApp t;
  setReading(t.app, 1, 98810);
  t.app.settings.dataMode = DataMode::Nmea;
  appendRecord(t.app);
  EXPECT_FALSE(t.dir.exists("monitor.txt"));

  const std::string line = "$GPGGA,1\r\n";
  t.app.settings.dataMode = DataMode::Kx;
  appendNmeaSentence(t.app, line.data(), line.size());
  EXPECT_FALSE(t.dir.exists("nmea.txt"));
}

// Another opener holds the file: the write fails at once with event 13, nothing hangs or is truncated.
TEST(AppendRecord, LockedFilesCostTheWriteAndReportEvent13) {
  for (const char* name : {"monitor.txt", "nmea.txt"}) {
    SCOPED_TRACE(name);
    TestApp t;
    t.dir.write(name, "kept");
    auto holder = t.files.open(name, FileAccess::Read, OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    if (std::string(name) == "monitor.txt") {
      setReading(t.app, 1, 98810);
      appendRecord(t.app);
    } else {
      appendLine(t.app, "$GPGGA,1\r\n");
    }
    holder.reset();
    EXPECT_EQ(t.dir.read(name), "kept");
    EXPECT_TRUE(eventLogged(t, Event::FileOpenFailed));
  }
}

// A full disk takes part of the record: event 21, and the fragment must not stay
// behind to shift every later record off the 80-byte grid.
TEST(AppendRecord, FailedWriteReportsEvent21AndLeavesNoFragment) {
  TestApp t;
  const std::string before = testlog::gridLog(3);
  t.dir.write("monitor.txt", before);
  FaultyFileSystem faulty(t.files);
  faulty.shortWritesTo = "monitor.txt";
  AppContext app{Platform{t.clock, faulty, t.windows, t.ports, t.graphics}};
  setReading(app, 4, 98810);
  appendRecord(app);
  EXPECT_EQ(t.dir.read("monitor.txt"), before);
  EXPECT_TRUE(eventLogged(t, Event::ReadWriteFailed));

  // Once the disk has room again, the held-back record and the next one continue on the grid.
  faulty.shortWritesTo.clear();
  setReading(app, 5, 98820);
  appendRecord(app);
  const std::string after = t.dir.read("monitor.txt");
  ASSERT_EQ(after.size(), 5u * 80u);
  EXPECT_EQ(after.substr(240, 80), testlog::record(4, 28, 12, 2003, 21, 0, 98810, 18, 52));
  EXPECT_EQ(after.substr(320, 80), testlog::record(5, 28, 12, 2003, 21, 0, 98820, 18, 52));
  EXPECT_EQ(eventCount(t, Event::ReadWriteFailed), 1u);
}

// A monitor killed in the middle of a record leaves its first bytes: the system may cut a
// write at a page boundary. The next append must not go after that fragment, or every
// later record would stand 80 bytes askew for the readers that step from the end.
TEST(AppendRecord, AFragmentLeftByAKilledWriterIsCutBeforeTheNextRecord) {
  for (const std::size_t cut : {std::size_t{1}, std::size_t{16}, std::size_t{79}}) {
    TestApp t;
    const std::string whole = testlog::gridLog(3);
    t.dir.write("monitor.txt", whole + testlog::record(4, 28, 12, 2003, 21, 0, 98810, 18, 52).substr(0, cut));
    setReading(t.app, 5, 98820);
    appendRecord(t.app);
    const std::string after = t.dir.read("monitor.txt");
    ASSERT_EQ(after.size(), 4u * 80u) << "fragment of " << cut;
    EXPECT_EQ(after.substr(0, 240), whole);
    EXPECT_EQ(after.substr(240), testlog::record(5, 28, 12, 2003, 21, 0, 98820, 18, 52));
    EXPECT_FALSE(t.dir.exists("monitor.err")) << "a cut record is no log off the grid";
  }
}

// A log off the 80-byte grid for another reason than a cut record (line ends converted
// to LF, a byte-order mark in front, no line ends at all) keeps every byte: only what
// follows the last line feed, when shorter than a record, is a cut record. Such a log
// is reported once (event 66) until it is on the grid again.
TEST(AppendRecord, ALogOffTheGridKeepsEveryRecordAndIsReportedOnce) {
  struct Case {
    const char* legend;
    std::string log;
    std::string kept; // what stays in front of the new records
  };
  std::string unix = testlog::gridLog(3);
  unix.erase(std::remove(unix.begin(), unix.end(), '\r'), unix.end());
  const std::string bom = "\xEF\xBB\xBF" + testlog::gridLog(3);
  const std::string cut = testlog::gridLog(1).substr(0, 30);
  std::string unbroken = testlog::gridLog(2);
  unbroken.erase(std::remove(unbroken.begin(), unbroken.end(), '\n'), unbroken.end());
  const Case cases[] = {
      {"LF line ends", unix, unix},
      {"a byte-order mark in front", bom, bom},
      {"LF line ends and a cut record after them", unix + cut, unix},
      {"no line end for more than a record", unbroken, unbroken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.dir.write("monitor.txt", c.log);
    setNumberedReading(t.app, 4);
    appendRecord(t.app);
    setNumberedReading(t.app, 5);
    appendRecord(t.app);
    EXPECT_EQ(t.dir.read("monitor.txt"), c.kept + recordWith(4) + recordWith(5));
    EXPECT_EQ(eventCount(t, Event::LogOffGrid), 1u);
    EXPECT_EQ(eventCount(t, Event::ReadWriteFailed), 0u);

    // Back on the grid (a check realigned it), then off it again: reported anew.
    t.dir.write("monitor.txt", testlog::gridLog(2));
    setNumberedReading(t.app, 6);
    appendRecord(t.app);
    EXPECT_EQ(eventCount(t, Event::LogOffGrid), 1u);
    t.dir.write("monitor.txt", c.log);
    setNumberedReading(t.app, 7);
    appendRecord(t.app);
    EXPECT_EQ(t.dir.read("monitor.txt"), c.kept + recordWith(7));
    EXPECT_EQ(eventCount(t, Event::LogOffGrid), 2u);
  }
}

// --- Records held back by a failed append ---------------------------------------------

// Records whose append failed go out with the next append, oldest first and before it,
// each with the bytes of its own boundary; each failure is reported once.
TEST(PendingRecords, HeldBackRecordsAreWrittenOldestFirstBeforeTheNextOne) {
  TestApp t;
  setNumberedReading(t.app, 1);
  appendRecord(t.app);
  {
    auto holder = t.files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    for (std::uint32_t n = 2; n <= 4; ++n) {
      setNumberedReading(t.app, n);
      appendRecord(t.app);
    }
    EXPECT_EQ(eventCount(t, Event::FileOpenFailed), 3u) << "one event per record that missed its boundary";
  }
  // The reading has moved on meanwhile; the held records keep their own values.
  setNumberedReading(t.app, 5);
  t.app.reading.utcTime.hour = 22;
  appendRecord(t.app);
  const std::string expected = recordWith(1) + recordWith(2) + recordWith(3) + recordWith(4) +
                               testlog::record(5, 28, 12, 2003, 22, 0, 98005, 18, 52);
  EXPECT_EQ(t.dir.read("monitor.txt"), expected);
  EXPECT_EQ(eventCount(t, Event::FileOpenFailed), 3u) << "the successful append reports nothing";
}

// A day of records waits at most; beyond, the oldest goes, reported once.
TEST(PendingRecords, BeyondADayOfWaitingRecordsTheOldestIsDroppedAndReportedOnce) {
  TestApp t;
  t.dir.write("monitor.txt", "");
  {
    auto holder = t.files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    for (std::uint32_t n = 1; n <= 300; ++n) {
      setNumberedReading(t.app, n);
      appendRecord(t.app);
    }
  }
  EXPECT_EQ(eventCount(t, Event::FileOpenFailed), 300u + 1u)
      << "each failed boundary, and once for the first dropped record";
  setNumberedReading(t.app, 301);
  appendRecord(t.app);
  std::string expected;
  for (std::uint32_t n = 301 - 287; n <= 301; ++n) {
    expected += recordWith(n);
  }
  const std::string log = t.dir.read("monitor.txt");
  EXPECT_EQ(log.size(), 288u * 80u);
  EXPECT_EQ(log, expected) << "the newest 288 records, in order";

  // Once the queue has drained, a new overflow is reported again.
  {
    auto holder = t.files.open("monitor.txt", FileAccess::Read, OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    for (std::uint32_t n = 302; n <= 590; ++n) {
      setNumberedReading(t.app, n);
      appendRecord(t.app);
    }
  }
  EXPECT_EQ(eventCount(t, Event::FileOpenFailed), 301u + 289u + 1u);
}

TEST(AppendNmeaSentence, WritesTheWholeLineWithItsLineEnd) {
  struct Case {
    const char* legend;
    std::string line;
    std::string written;
  };
  const std::string longLine = "$" + std::string(300, 'A') + "\r\n";
  const std::string withNul = std::string("$GPXXX,a") + '\0' + "b*00\r\n";
  const std::string cut = "$" + std::string(1023, 'C'); // the receive buffer kept 1024 bytes
  const Case cases[] = {
      {"a sentence keeps its own line end", "$GPGGA,123519,4807.038,N\r\n", "$GPGGA,123519,4807.038,N\r\n"},
      {"a line feed alone is kept as it came", "$GPGGA,1\n", "$GPGGA,1\n"},
      {"a line longer than a table row is written whole", longLine, longLine},
      {"a zero byte is written as received, with what follows", withNul, withNul},
      {"a line cut at the buffer's size gets a line end", cut, cut + "\r\n"},
      {"a line not starting with $ is not a sentence", "GPGGA,1\r\n", ""},
      {"an empty line writes nothing", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    appendLine(t.app, c.line);
    appendLine(t.app, "$GPRMC,2\r\n");
    EXPECT_EQ(t.dir.read("nmea.txt"), c.written + "$GPRMC,2\r\n") << "the next sentence starts a line";
  }
}

} // namespace
} // namespace baromon
