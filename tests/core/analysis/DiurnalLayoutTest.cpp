#include <gtest/gtest.h>

#include "core/analysis/DiurnalRhythm.h"

using namespace baromon;

namespace {

// 1100 x 600: ym 300, xh 41.67, ys 0.5 px per hundredth, yt 25 px per tenth.
constexpr platform::CanvasSize kClient{1100, 600};

DiurnalSummary summaryOf(bool insufficient, double mean) {
  DiurnalSummary s;
  s.insufficient = insufficient;
  s.mean = mean;
  s.dataLine = "data";
  s.phaseLine = "phase";
  return s;
}

} // namespace

// Without a full day only the pressure's start is kept; frame, ticks and grid stay.
TEST(DiurnalLayout, InsufficientDataKeepsOnlyThePressureStart) {
  DiurnalAnalysis analysis{};
  analysis.bins[0].pressure = 101400;
  const DiurnalLayout l = layoutDiurnalRhythm(analysis, summaryOf(true, 101300), kClient);
  EXPECT_TRUE(l.curves[0].shown);
  EXPECT_EQ(l.curves[0].start, (Point{50, 300 - 50}));
  EXPECT_TRUE(l.curves[0].points.empty());
  for (std::size_t c = 1; c < l.curves.size(); ++c) {
    EXPECT_FALSE(l.curves[c].shown) << c;
  }
  EXPECT_EQ(l.plot, (Rect{50, 50, 1050, 550}));
  EXPECT_EQ(l.grid.size(), 24u + 20u);
  EXPECT_EQ(l.dataLine, (Label{{10, 2}, "data"}));
  EXPECT_EQ(l.phaseLine, (Label{{10, 20}, "phase"}));
}

// The ends of the scales: no label at hour 0 or on the zero line, ±5.0 at the edges.
TEST(DiurnalLayout, TickLabelsAtTheEnds) {
  const DiurnalLayout l = layoutDiurnalRhythm(DiurnalAnalysis{}, summaryOf(true, 0), kClient);
  ASSERT_EQ(l.hourTicks.size(), 24u);
  EXPECT_FALSE(l.hourTicks[0].label.has_value());
  EXPECT_EQ(l.hourTicks[0].line, (Segment{{50, 550}, {50, 560}}));
  EXPECT_EQ(*l.hourTicks[1].label, (Label{{91 - 9, 560}, " 1"}));
  EXPECT_EQ(l.hourTicks[23].label->text, "23");
  ASSERT_EQ(l.valueTicks.size(), 12u);
  EXPECT_FALSE(l.valueTicks[0].label.has_value());
  EXPECT_FALSE(l.valueTicks[1].label.has_value());
  EXPECT_EQ(l.valueTicks[10].line, (Segment{{50, 50}, {40, 50}}));
  EXPECT_EQ(*l.valueTicks[10].label, (Label{{10, 40}, "+5.0"}));
  EXPECT_EQ(*l.valueTicks[11].label, (Label{{10, 540}, "-5.0"}));
}

// A full day: five curves of 288 points from one pass; the wave, tendencies and
// variation start on the mean's line, the variation rises from the bottom edge.
TEST(DiurnalLayout, FullDayGivesFiveCurves) {
  DiurnalAnalysis analysis{};
  for (int i = 0; i < kDiurnalSlots; ++i) {
    analysis.bins[i].pressure = 101300;
  }
  analysis.bins[287].pressure = 101500;
  analysis.bins[287].fit = 50;
  analysis.bins[287].tendency1h = 2;
  analysis.bins[287].tendency3h = -2;
  analysis.bins[287].variation = 4;
  const DiurnalLayout l = layoutDiurnalRhythm(analysis, summaryOf(false, 101300), kClient);
  const int x287 = static_cast<int>(287 * (1000 / 288.0) + 50);
  const int expected[kDiurnalCurves] = {300 - 100, 300 - 25, 300 - 50, 300 + 50, 550 - 60};
  for (std::size_t c = 0; c < l.curves.size(); ++c) {
    SCOPED_TRACE(c);
    ASSERT_EQ(l.curves[c].points.size(), 288u);
    EXPECT_EQ(l.curves[c].points[0].at.x, 50);
    EXPECT_EQ(l.curves[c].points[287].at, (Point{x287, expected[c]}));
  }
  EXPECT_EQ(l.curves[0].start, (Point{50, 300}));
  EXPECT_EQ(l.curves[4].start, (Point{50, 300})) << "from the mean's line, not the bottom edge";
  EXPECT_EQ(l.curves[4].points[0].at.y, 550);
}
