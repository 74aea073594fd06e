#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LogBuilder.h"
#include "core/store/Store.h"
#include "platform/testing/FaultyFileSystem.h"
#include "platform/testing/TestApp.h"

namespace baromon {
namespace {

using fakes::FaultyFileSystem;
using fakes::TestApp;
using platform::FileAccess;
using platform::OpenMode;

void setReading(AppContext& app, std::uint32_t counter, int pressure) {
  app.settings.DATA = 1;
  app.acquisition.recordCounter = counter;
  app.reading.pressure = pressure;
  app.reading.tendency1h = 18;
  app.reading.tendency3h = 52;
  app.converter.variation = 0;
  app.reading.utcTime = platform::DateTime{2003, 12, 28, 21, 0, 7, 0};
}

void setNmeaRow(AppContext& app, const std::string& line) {
  app.settings.DATA = 0;
  auto& row = app.nmea[0];
  row.fill(0);
  std::memcpy(row.data(), line.data(), std::min(line.size(), row.size()));
}

bool eventLogged(const TestApp& t, int code) {
  return t.dir.read("monitor.err").find("event # " + std::to_string(code) + " ") != std::string::npos;
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
  EXPECT_EQ(log.substr(80), "000021 28.12.2003 21:05 0987,00 hPa -00,3 hPa/hr +05,2 hPa/3h 99,9 hPa/h var 0\r\n");
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
  t.app.settings.DATA = 0;
  appendRecord(t.app);
  EXPECT_FALSE(t.dir.exists("monitor.txt"));

  setNmeaRow(t.app, "$GPGGA,1\r\n");
  t.app.settings.DATA = 1;
  appendNmeaSentence(t.app);
  EXPECT_FALSE(t.dir.exists("nmea.txt"));
}

// Another opener holds the file: the write is lost, event 13 is logged, nothing hangs or is truncated.
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
      setNmeaRow(t.app, "$GPGGA,1\r\n");
      appendNmeaSentence(t.app);
    }
    holder.reset();
    EXPECT_EQ(t.dir.read(name), "kept");
    EXPECT_TRUE(eventLogged(t, 13));
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
  EXPECT_TRUE(eventLogged(t, 21));

  // Once the disk has room again, records continue on the grid.
  faulty.shortWritesTo.clear();
  appendRecord(app);
  EXPECT_EQ(t.dir.read("monitor.txt").size(), 4u * 80u);
}

TEST(AppendNmeaSentence, WritesTheRowUpToItsZeroByte) {
  struct Case {
    const char* legend;
    std::string row;
    std::string written;
  };
  const std::string longLine = "$" + std::string(125, 'A'); // the acquisition cuts lines to 126 bytes
  const std::string full = "$" + std::string(127, 'B');     // no zero byte at all in the row
  const Case cases[] = {
      {"a sentence keeps its own line end", "$GPGGA,123519,4807.038,N\r\n", "$GPGGA,123519,4807.038,N\r\n"},
      {"a cut 126-byte line is written whole", longLine, longLine},
      {"a row without zero byte is written up to 127 bytes", full, full.substr(0, 127)},
      {"a row not starting with $ is not a sentence", "GPGGA,1\r\n", ""},
      {"an empty row writes nothing", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    setNmeaRow(t.app, c.row);
    appendNmeaSentence(t.app);
    EXPECT_EQ(t.dir.read("nmea.txt"), c.written);
  }
}

} // namespace
} // namespace baromon
