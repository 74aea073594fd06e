#include <gtest/gtest.h>

#include <cmath>

#include "core/analysis/DiurnalRhythm.h"
#include "support/LogBuilder.h"
#include "support/TestApp.h"

namespace {

using baromon::loadDiurnalBins;
using baromon::testlog::LogBuilder;

// The folding needs the files and the table, no monitor.
struct Folding {
  baromon::fakes::TempDir dir;
  baromon::fakes::NativeFileSystem files{dir.path()};
  baromon::DiurnalAnalysis analysis;
};

std::uint32_t totalCount(const Folding& t) {
  std::uint32_t total = 0;
  for (const auto& bin : t.analysis.bins) {
    total += bin.count;
  }
  return total;
}

// Two complete days whose slot means average 1014.00 hPa: every slot filled,
// the count is the record count and the mean is exact.
TEST(DiurnalBins, TwoCompleteDaysFillEverySlotTwice) {
  Folding t;
  LogBuilder log;
  log.day(1, [](int slot) { return 101300 + (slot % 2) * 200; });
  log.day(2, [](int slot) { return 101400 + (slot % 2 ? 200 : -200); });
  log.writeTo(t.dir);

  EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 576u);
  EXPECT_FALSE(baromon::diurnalDataInsufficient(t.analysis));
  EXPECT_DOUBLE_EQ(baromon::diurnalOverallMean(t.analysis), 101400.0);
  for (int i = 0; i < 288; ++i) {
    ASSERT_EQ(t.analysis.bins[i].count, 2u) << "slot " << i;
  }
  EXPECT_DOUBLE_EQ(t.analysis.bins[0].pressure, 101250.0);
  EXPECT_DOUBLE_EQ(t.analysis.bins[1].pressure, 101550.0);
}

// Which slot a record's minute falls into, at the slot borders.
TEST(DiurnalBins, MinuteFourStaysInTheSlotAndMinuteFiveStartsTheNext) {
  struct Case {
    const char* legend;
    unsigned hour, minute;
    int slot;
  } cases[] = {
      {"midnight", 0, 0, 0},
      {"minute 4 is still the first slot", 0, 4, 0},
      {"minute 5 starts the second slot", 0, 5, 1},
      {"03:14 is the slot of 03:10", 3, 14, 38},
      {"the last minute of the day", 23, 59, 287},
  };
  for (const auto& c : cases) {
    Folding t;
    LogBuilder().add(5, c.hour, c.minute, 100000).writeTo(t.dir);
    EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 1u) << c.legend;
    EXPECT_EQ(t.analysis.bins[c.slot].count, 1u) << c.legend;
    EXPECT_EQ(totalCount(t), 1u) << c.legend;
  }
}

// One record keeps its own values (no division); two give their mean, the
// signed tendencies included.
TEST(DiurnalBins, SlotsHoldTheMeanOfTheirRecords) {
  Folding t;
  LogBuilder()
      .add(1, 10, 0, 101111, -23, 45, 7)
      .add(1, 11, 0, 100000, -10, -31, 4)
      .add(2, 11, 3, 100001, 5, -40, 9)
      .writeTo(t.dir);
  ASSERT_EQ(loadDiurnalBins(t.files, t.analysis), 3u);

  const auto& one = t.analysis.bins[120];
  EXPECT_EQ(one.count, 1u);
  EXPECT_DOUBLE_EQ(one.pressure, 101111.0);
  EXPECT_DOUBLE_EQ(one.tendency1h, -23.0);
  EXPECT_DOUBLE_EQ(one.tendency3h, 45.0);
  EXPECT_DOUBLE_EQ(one.variation, 7.0);

  const auto& two = t.analysis.bins[132];
  EXPECT_EQ(two.count, 2u);
  EXPECT_DOUBLE_EQ(two.pressure, 100000.5);
  EXPECT_DOUBLE_EQ(two.tendency1h, -2.5);
  EXPECT_DOUBLE_EQ(two.tendency3h, -35.5);
  EXPECT_DOUBLE_EQ(two.variation, 6.5);
  EXPECT_TRUE(baromon::diurnalDataInsufficient(t.analysis));
}

// The count is the number of whole records in the file, whatever could be binned.
TEST(DiurnalBins, CountIncludesRecordsThatCannotBeDecoded) {
  Folding t;
  LogBuilder log;
  for (int i = 0; i < 700; ++i) {
    if (i % 14 == 13) {
      log.garbage();
    } else {
      log.add(1 + i / 288, (i % 288) / 12, (i % 12) * 5, 101000);
    }
  }
  log.text += "000701 01.03.2024 00"; // a torn last record is not counted
  log.writeTo(t.dir);
  EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 700u);
  EXPECT_EQ(totalCount(t), 650u);
  EXPECT_EQ(baromon::analyseDiurnalRhythm(t.files, t.analysis).dataLine,
            "700 records of 2 days analyzed (mean 1010.00 hPa)");
}

// A long log: only the oldest 32000 records are read, and the count is capped.
TEST(DiurnalBins, LongLogIsCutToItsOldest32000Records) {
  Folding t;
  LogBuilder log;
  for (int i = 0; i < 40000; ++i) {
    int slot = i % 288;
    log.add(1 + (i / 288) % 28, slot / 12, (slot % 12) * 5, i < 32000 ? 100000 : 90000);
  }
  log.writeTo(t.dir);
  EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 32000u);
  EXPECT_EQ(totalCount(t), 32000u);
  for (int i = 0; i < 288; ++i) {
    ASSERT_DOUBLE_EQ(t.analysis.bins[i].pressure, 100000.0) << "slot " << i;
  }
  EXPECT_EQ(baromon::analyseDiurnalRhythm(t.files, t.analysis).dataLine,
            "32000 records of 111 days analyzed (mean 1000.00 hPa)");
}

// Logs that give nothing: the bins stay empty and nothing is reported.
TEST(DiurnalBins, MissingShortOrLockedLogGivesNoRecords) {
  {
    Folding t;
    EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 0u) << "missing log";
    EXPECT_EQ(totalCount(t), 0u);
  }
  {
    Folding t;
    t.dir.write("monitor.txt", std::string(79, '0'));
    EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 0u) << "shorter than one record";
  }
  {
    Folding t;
    LogBuilder().add(1, 0, 0, 101000).writeTo(t.dir);
    auto holder = t.files.open("monitor.txt", baromon::platform::FileAccess::ReadWrite,
                               baromon::platform::OpenMode::OpenExisting);
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(loadDiurnalBins(t.files, t.analysis), 0u) << "held open elsewhere";
    EXPECT_EQ(totalCount(t), 0u);
  }
}

// Every analysis starts from an empty table, the unused bins included.
TEST(DiurnalBins, EachLoadStartsFromClearedBins) {
  Folding t;
  for (auto& bin : t.analysis.bins) {
    bin.count = 9;
    bin.pressure = 5;
  }
  LogBuilder().add(1, 0, 0, 101000).writeTo(t.dir);
  ASSERT_EQ(loadDiurnalBins(t.files, t.analysis), 1u);
  EXPECT_EQ(totalCount(t), 1u);
  EXPECT_DOUBLE_EQ(t.analysis.bins[299].pressure, 0.0);
}

// In NMEA mode the log still holds barograph records, and they are decoded: the folding
// is given no settings, so the mode cannot keep it from them.
TEST(DiurnalBins, NmeaModeStillDecodesTheRecords) {
  Folding t;
  LogBuilder().add(1, 1, 0, 101000).add(2, 1, 0, 102000).writeTo(t.dir);
  ASSERT_EQ(loadDiurnalBins(t.files, t.analysis), 2u);
  EXPECT_EQ(t.analysis.bins[12].count, 2u);
  EXPECT_DOUBLE_EQ(t.analysis.bins[12].pressure, 101500.0);
}

} // namespace
