#include <gtest/gtest.h>

#include "core/config/Settings.h"
#include "core/print/PrintedBarogram.h"

using namespace baromon;

namespace {

constexpr platform::TextMetrics kMetrics{100, 0, 50, 25};
constexpr platform::CanvasSize kLandscape{6600, 4800}; // f 660, W 5280, H 3480
constexpr platform::CanvasSize kPortrait{4800, 6600};  // f 660, W 3480, H 5280

HistorySample at(int day, int hour, int minute, std::int32_t pressure, std::int32_t variation = 0) {
  HistorySample s;
  s.year = 2024;
  s.month = 3;
  s.day = static_cast<std::uint8_t>(day);
  s.hour = static_cast<std::uint8_t>(hour);
  s.minute = static_cast<std::uint8_t>(minute);
  s.pressure = pressure;
  s.variation = variation;
  return s;
}

} // namespace

// No valid entry: each curve is only its start one pixel inside the newest edge,
// from the empty entry's zeros and not clamped; no marks.
TEST(PrintedBarogramLayout, EmptyHistoryLeavesOnlyUnclampedStarts) {
  History history{};
  Settings settings;
  settings.drawTendency1h = settings.drawVariation = 1;
  const PrintedBarogramLayout wide = layoutPrintedBarogram(history, settings, kLandscape, kMetrics);
  EXPECT_TRUE(wide.landscape);
  EXPECT_EQ(wide.margin, 660);
  EXPECT_EQ(wide.pressure.start, (Point{5939, 4140 + 33060})) << "0 hPa lies 950 hPa under the frame";
  EXPECT_EQ(wide.tendency1h.start, (Point{5939, 2400}));
  EXPECT_FALSE(wide.tendency3h.shown);
  EXPECT_EQ(wide.variation.start, (Point{5939, 4140}));
  for (const Curve* c : {&wide.pressure, &wide.tendency1h, &wide.variation}) {
    EXPECT_TRUE(c->points.empty());
  }
  EXPECT_TRUE(wide.marks.empty());
  const PrintedBarogramLayout tall = layoutPrintedBarogram(history, settings, kPortrait, kMetrics);
  EXPECT_FALSE(tall.landscape);
  EXPECT_EQ(tall.pressure.start, (Point{660 - 33060, 5939}));
  EXPECT_EQ(tall.frame.front(), tall.frame.back()) << "a closed frame";
}

// Portrait with entry 0 empty: the curve starts at entry 1's own point, bars lie
// across the time axis, and positions left of the page are clamped to 0.
TEST(PrintedBarogramLayout, PortraitStartsAtTheFirstValidEntryAndClamps) {
  History history{};
  history[1] = at(6, 0, 0, 101325, 40);
  history[2] = at(5, 23, 55, 90000, 40); // 950 hPa - 50 hPa: left of the page
  Settings settings;
  settings.variationBars = 1;
  const PrintedBarogramLayout l = layoutPrintedBarogram(history, settings, kPortrait, kMetrics);
  ASSERT_EQ(l.pressure.points.size(), 2u);
  const int y1 = 5940 - 5; // trunc(1 * 5.28)
  EXPECT_EQ(l.pressure.start, (Point{2861, y1}));
  EXPECT_EQ(l.pressure.points[0].at, l.pressure.start);
  ASSERT_TRUE(l.pressure.points[0].bar.has_value());
  const int v = static_cast<int>(40 * 0.87f); // variation x W x 0.00025
  EXPECT_EQ(*l.pressure.points[0].bar, (Segment{{2861 - v, y1}, {2861 + v, y1}}));
  EXPECT_EQ(l.pressure.points[1].at.x, 0);
  // One day mark at entry 2 naming day 6, and a six-hour mark: none from the empty entry.
  ASSERT_EQ(l.marks.size(), 2u);
  const int y2 = 5940 - 10;
  EXPECT_EQ(l.marks[0].line, (Segment{{660, y2}, {620, y2}}));
  ASSERT_TRUE(l.marks[0].date.has_value());
  EXPECT_EQ(*l.marks[0].date, (Label{{610, y2 - 50}, " 6. 3."}));
  EXPECT_EQ(l.marks[1].line, (Segment{{660, y2}, {640, y2}}));
}
