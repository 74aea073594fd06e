#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/analysis/Spectrum.h"
#include "support/LogBuilder.h"
#include "support/TestApp.h"
#include "support/TideLog.h"

namespace baromon {
namespace {

using testlog::tideLog;
using testlog::Tides;

constexpr int kDay = kSlotsPerDay;

struct LogDir {
  fakes::TempDir dir;
  fakes::NativeFileSystem files{dir.path()};
  DirectPowerTransform transform;

  SpectrumAnalysis analyse(const std::string& log) {
    dir.write("monitor.txt", log);
    return analyseSpectrum(files, transform);
  }
};

// The tides come out where they are and as large as they are, whatever the weather's
// slow rise under them, and nothing is made up at the other tide's place.
TEST(Spectrum, FindsBothTidesWithTheirAmplitudes) {
  LogDir t;
  const auto a = t.analyse(tideLog(20 * kDay));
  ASSERT_EQ(a.status, SpectrumStatus::Done);
  EXPECT_DOUBLE_EQ(a.spectrum.days, 20.0);
  EXPECT_NEAR(a.spectrum.semidiurnal.periodHours, 12.0, 1e-9);
  EXPECT_NEAR(a.spectrum.semidiurnal.amplitude, 1.2, 0.03);
  EXPECT_NEAR(a.spectrum.diurnal.periodHours, 24.0, 1e-9);
  EXPECT_NEAR(a.spectrum.diurnal.amplitude, 0.5, 0.03);

  LogDir quiet;
  const auto b = quiet.analyse(tideLog(20 * kDay, Tides{1.2, 0.0, 4.0}));
  ASSERT_EQ(b.status, SpectrumStatus::Done);
  EXPECT_NEAR(b.spectrum.semidiurnal.amplitude, 1.2, 0.03);
  EXPECT_LT(b.spectrum.diurnal.amplitude, 0.05) << "a 24-hour tide where the log has none";
}

// The largest bin of the whole shown range is the 12-hour tide, not the removed trend
// or the mean leaking into the lowest bins.
TEST(Spectrum, TheTrendAndTheMeanDoNotSwampTheLowBins) {
  LogDir t;
  const auto a = t.analyse(tideLog(10 * kDay, Tides{1.0, 0.0, 30.0}));
  ASSERT_EQ(a.status, SpectrumStatus::Done);
  std::size_t strongest = 1;
  for (std::size_t k = 1; k < a.spectrum.power.size(); ++k) {
    if (a.spectrum.power[k] > a.spectrum.power[strongest]) {
      strongest = k;
    }
  }
  EXPECT_NEAR(static_cast<double>(strongest) * a.spectrum.cyclesPerDayPerBin, 2.0, 1e-9);
  EXPECT_NEAR(a.spectrum.power[strongest], 0.5, 0.02); // A^2 / 2 for A = 1 hPa
}

// One day is the least that is shown; a record less is too short, and says so.
TEST(Spectrum, LessThanOneDayIsTooShort) {
  LogDir t;
  EXPECT_EQ(t.analyse(tideLog(kDay - 1)).status, SpectrumStatus::TooShort);
  const auto a = t.analyse(tideLog(kDay));
  ASSERT_EQ(a.status, SpectrumStatus::Done);
  EXPECT_NEAR(a.spectrum.semidiurnal.periodHours, 12.0, 1e-9);
  EXPECT_NEAR(a.spectrum.semidiurnal.amplitude, 1.2, 0.1);
}

TEST(Spectrum, NoLogNoRecordsAndNothingButNoise) {
  LogDir t;
  EXPECT_EQ(analyseSpectrum(t.files, t.transform).status, SpectrumStatus::NoLog);
  EXPECT_EQ(t.analyse("").status, SpectrumStatus::NoRecords);
  EXPECT_EQ(t.analyse(std::string(4000, 'x')).status, SpectrumStatus::NoRecords);
  // Records with no pressure in them (0 hPa) are no air pressure.
  std::string zeros;
  for (int i = 0; i < 2 * kDay; ++i) {
    zeros += testlog::recordAt(static_cast<unsigned>(i + 1), 5L * i, 0);
  }
  EXPECT_EQ(t.analyse(zeros).status, SpectrumStatus::NoRecords);
}

// A gap of a few hours is bridged by a straight line between its neighbours; the
// tides stay as they are.
TEST(Spectrum, AShortGapIsBridgedByAStraightLine) {
  const std::string whole = tideLog(10 * kDay);
  // Drop 24 records (2 hours) after record 1000.
  const std::string gapped = whole.substr(0, 1000 * kLogRecordSize) + whole.substr(1024 * kLogRecordSize);
  LogDir t;
  const auto a = t.analyse(gapped);
  ASSERT_EQ(a.status, SpectrumStatus::Done);
  EXPECT_EQ(a.series.hPa.size(), static_cast<std::size_t>(10 * kDay));
  EXPECT_EQ(a.series.bridgedGaps, 1u);
  EXPECT_EQ(a.series.bridgedSlots, 24u);
  const double before = a.series.hPa[999];
  const double after = a.series.hPa[1024];
  EXPECT_NEAR(a.series.hPa[1000], before + (after - before) / 25, 1e-9);
  EXPECT_NEAR(a.series.hPa[1023], before + 24 * (after - before) / 25, 1e-9);
  EXPECT_NEAR(a.spectrum.semidiurnal.amplitude, 1.2, 0.05);
}

// A gap longer than three hours is not made up: the log is cut there, and the longest
// piece is analysed (the newer of two equal ones).
TEST(Spectrum, ALongGapSplitsTheLogAndTheLongestPieceIsTaken) {
  const long gapMinutes = 36 * 5 + 5; // 37 missing slots: one more than is bridged
  const std::string longer = tideLog(3 * kDay);
  const std::string shorter = tideLog(2 * kDay, {}, 3L * 1440 + gapMinutes);
  LogDir t;
  auto a = t.analyse(longer + shorter);
  EXPECT_EQ(a.series.stretches, 2u);
  EXPECT_EQ(a.series.hPa.size(), static_cast<std::size_t>(3 * kDay));
  EXPECT_EQ(a.series.bridgedGaps, 0u);

  // Exactly as many missing slots as are bridged: one piece.
  const std::string bridged = tideLog(3 * kDay) + tideLog(2 * kDay, {}, 3L * 1440 + 36 * 5);
  a = t.analyse(bridged);
  EXPECT_EQ(a.series.stretches, 1u);
  EXPECT_EQ(a.series.hPa.size(), static_cast<std::size_t>(5 * kDay + 36));

  // Two equal pieces: the newer one, whatever the order in the file.
  const std::string older = tideLog(2 * kDay, Tides{1.0, 0, 0});
  const std::string newer = tideLog(2 * kDay, Tides{2.0, 0, 0}, 10L * 1440);
  a = t.analyse(newer + older);
  ASSERT_EQ(a.status, SpectrumStatus::Done);
  EXPECT_NEAR(a.spectrum.semidiurnal.amplitude, 2.0, 0.05);
}

// Pieces shorter than a day between long gaps are too short, however much they add up to.
TEST(Spectrum, ManyPiecesShorterThanADayAreTooShort) {
  std::string log;
  for (int piece = 0; piece < 10; ++piece) {
    log += tideLog(kDay / 2, {}, piece * 1440L);
  }
  LogDir t;
  const auto a = t.analyse(log);
  EXPECT_EQ(a.status, SpectrumStatus::TooShort);
  EXPECT_EQ(a.series.stretches, 10u);
}

// A slot logged twice (a clock set back) keeps its later record; records out of order
// are put in order instead of being read as gaps.
TEST(Spectrum, RepeatedAndDisorderedSlots) {
  std::vector<TimedPressure> records = {{100, 101000}, {102, 101200}, {101, 101100}, {100, 100900}};
  const PressureSeries s = pressureSeries(records);
  ASSERT_EQ(s.hPa.size(), 3u);
  EXPECT_EQ(s.firstSlot, 100);
  EXPECT_DOUBLE_EQ(s.hPa[0], 1009.0);
  EXPECT_DOUBLE_EQ(s.hPa[1], 1011.0);
  EXPECT_DOUBLE_EQ(s.hPa[2], 1012.0);
  EXPECT_EQ(s.bridgedGaps, 0u);
  EXPECT_EQ(s.usedRecords, 4u);
}

// A write cut short shifts every later record off the 80-byte grid; they are still read.
TEST(Spectrum, RecordsAfterACutWriteAreStillRead) {
  const std::string log = tideLog(3 * kDay);
  const std::string cut = log.substr(0, 100 * kLogRecordSize) + log.substr(100 * kLogRecordSize, 33) +
                          log.substr(101 * kLogRecordSize);
  LogDir t;
  t.dir.write("monitor.txt", cut);
  const auto records = readLogPressures(t.files);
  ASSERT_TRUE(records.has_value());
  EXPECT_EQ(records->size(), static_cast<std::size_t>(3 * kDay - 1));
  const auto a = t.analyse(cut);
  EXPECT_EQ(a.series.bridgedGaps, 1u);
  EXPECT_EQ(a.status, SpectrumStatus::Done);
}

// The plain sum against values worked out by hand.
TEST(Spectrum, DirectTransformOfKnownSignals) {
  DirectPowerTransform transform;
  // A constant: all in bin 0, |X_0| = n.
  auto p = transform.power(std::vector<double>(8, 2.0), 5);
  ASSERT_EQ(p.size(), 5u);
  EXPECT_NEAR(p[0], 256.0, 1e-9);
  for (std::size_t k = 1; k < p.size(); ++k) {
    EXPECT_NEAR(p[k], 0.0, 1e-9) << k;
  }
  // cos(2 pi 3 i / 16): |X_3| = n / 2.
  std::vector<double> wave(16);
  for (std::size_t i = 0; i < wave.size(); ++i) {
    wave[i] = std::cos(2 * 3.141592653589793 * 3 * static_cast<double>(i) / 16);
  }
  p = transform.power(wave, 100);
  ASSERT_EQ(p.size(), 9u) << "never more bins than n / 2 + 1";
  EXPECT_NEAR(p[3], 64.0, 1e-9);
  EXPECT_NEAR(p[2] + p[4], 0.0, 1e-9);
  EXPECT_TRUE(transform.power({}, 4).empty());
}

TEST(SpectrumTexts, SixLanguagesAndGermanForAnUnknownOne) {
  std::set<std::string> titles;
  for (int language = 0; language < 6; ++language) {
    titles.insert(spectrumTexts(language).title);
  }
  EXPECT_EQ(titles.size(), 6u);
  EXPECT_STREQ(spectrumTexts(1).xCaption, "cycles per day");
  EXPECT_STREQ(spectrumTexts(9).title, spectrumTexts(0).title);
  SpectrumAnalysis none;
  none.status = SpectrumStatus::TooShort;
  EXPECT_EQ(spectrumProblem(none, 1), "insufficient data: at least one day without a long gap needed");
  EXPECT_EQ(tideLine("12 h", SpectrumPeak{2.0, 12.0, 1.234}), "12 h: 1.23 hPa (12.0 h)");
}

// The picture as numbers: the curve's highest point stands at the 12-hour mark, and
// everything lies inside the plot.
TEST(SpectrumLayout, TheCurvePeaksAtTheTwelveHourMark) {
  LogDir t;
  const auto a = t.analyse(tideLog(20 * kDay, Tides{1.5, 0.3, 4.0}));
  const SpectrumLayout l = layoutSpectrum(a, 1, {700, 420});
  ASSERT_EQ(l.tideMarks.size(), 2u);
  ASSERT_FALSE(l.curve.empty());
  Point top = l.curve.front();
  for (const Point& p : l.curve) {
    EXPECT_GE(p.x, l.plot.left);
    EXPECT_LE(p.x, l.plot.right);
    EXPECT_GE(p.y, l.plot.top);
    EXPECT_LE(p.y, l.plot.bottom);
    if (p.y < top.y) {
      top = p;
    }
  }
  EXPECT_EQ(top.x, l.tideMarks[1].from.x);
  ASSERT_EQ(l.lines.size(), 2u);
  EXPECT_EQ(l.lines[0].text, "20.0 days analysed, 0 gaps bridged");
  EXPECT_EQ(l.lines[1].text, "24 h: 0.30 hPa (24.0 h)    12 h: 1.50 hPa (12.0 h)");
}

TEST(SpectrumLayout, AProblemIsTheOnlyLine) {
  SpectrumAnalysis a;
  a.status = SpectrumStatus::NoLog;
  const SpectrumLayout l = layoutSpectrum(a, 0, {700, 420});
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0].text, "monitor.txt fehlt oder ist nicht lesbar");
  EXPECT_TRUE(l.curve.empty());
  EXPECT_TRUE(l.tideMarks.empty());
}

} // namespace
} // namespace baromon
