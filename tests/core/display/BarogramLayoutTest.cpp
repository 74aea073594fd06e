#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "core/config/Settings.h"
#include "core/display/Barogram.h"

using namespace baromon;
using namespace baromon::testing;

namespace {

// The default client area: Y0 565, H 530, XR 1050, W 1000, Ymid 300.
constexpr platform::CanvasSize kClient{1100, 600};

Settings allCurves() {
  Settings s;
  s.displayStep = 300;
  s.drawTendency1h = s.drawTendency3h = s.drawVariation = s.variationBars = 1;
  return s;
}

} // namespace

// No samples: every switched-on curve is only its start at the right edge, from the
// empty slot's zeros and not clamped (the pressure's start lies far below the plot).
TEST(BarogramLayout, EmptyHistoryLeavesOnlyUnclampedStarts) {
  History history{};
  const BarogramLayout l = layoutBarogram(history, allCurves(), kClient);
  for (const Curve* c : {&l.variation, &l.tendency3h, &l.tendency1h, &l.pressure}) {
    EXPECT_TRUE(c->shown);
    EXPECT_TRUE(c->points.empty());
    EXPECT_EQ(c->start.x, 1050);
  }
  EXPECT_EQ(l.pressure.start.y, pressureToY(0, 565, 530, false));
  EXPECT_GT(l.pressure.start.y, 565);
  EXPECT_EQ(l.variation.start.y, 565) << "the variation starts on the baseline";
  EXPECT_EQ(l.tendency1h.start.y, 300);
  EXPECT_TRUE(l.timeMarks.empty());
  EXPECT_TRUE(layoutPaperBarogram(history, allCurves(), kClient).marks.empty());

  Settings off = allCurves();
  off.drawTendency1h = off.drawTendency3h = off.drawVariation = 0;
  const BarogramLayout bare = layoutBarogram(history, off, kClient);
  EXPECT_FALSE(bare.tendency1h.shown || bare.tendency3h.shown || bare.variation.shown);
}

// Slot 0 empty and a gap: the curves start at the first sample's own point, the
// points skip the empty slots, and the first mark comes from a real day change.
TEST(BarogramLayout, EmptyNewestSlotAndGapsAreSkipped) {
  History history{};
  history[2] = sample(2, 1, 0, 5, 101325, 5, 5, 5);
  history[3] = sample(2, 1, 0, 0, 101325, 5, 5, 5);
  history[7] = sample(1, 1, 23, 40, 101325, 5, 5, 5); // an hour's gap, then the day before
  const BarogramLayout l = layoutBarogram(history, allCurves(), kClient);
  const PaperLayout sheet = layoutPaperBarogram(history, allCurves(), kClient);
  for (const Curve* pressure : {&l.pressure, &sheet.pressure}) {
    ASSERT_EQ(pressure->points.size(), 3u);
    EXPECT_EQ(pressure->start, pressure->points[0].at);
    EXPECT_EQ(pressure->points[0].at, (Point{sampleToX(2, 1050, 1000) - 3, 230}));
    EXPECT_EQ(pressure->points[2].at.x, sampleToX(7, 1050, 1000) - 3);
  }
  for (const Curve* c : {&l.variation, &l.tendency3h, &l.tendency1h}) {
    EXPECT_EQ(c->start, c->points.at(0).at);
  }
  // One day line with its six-hour line, both at slot 7; the date is the newer day's.
  ASSERT_EQ(l.timeMarks.size(), 2u);
  const int x7 = sampleToX(7, 1050, 1000);
  EXPECT_EQ(l.timeMarks[0].line, (Segment{{x7, 565}, {x7, 35}}));
  ASSERT_TRUE(l.timeMarks[0].date.has_value());
  EXPECT_EQ(*l.timeMarks[0].date, (Label{{x7 - 15, 573}, " 2. 1."}));
  EXPECT_EQ(l.timeMarks[1].line, (Segment{{x7, 564}, {x7, 35}}));
  EXPECT_FALSE(l.timeMarks[1].date.has_value());
  EXPECT_EQ(l.timeMarks[1].pixelsFrom, 567);

  ASSERT_EQ(sheet.marks.size(), 2u); // the day line and the two-hour line from 0:00 to 23:40
  EXPECT_TRUE(sheet.marks[0].day);
  ASSERT_EQ(sheet.marks[0].labels.size(), 12u);
  EXPECT_EQ(sheet.marks[0].labels[1], (Label{{x7, 15}, " 2. 1."}));
  EXPECT_EQ(sheet.marks[0].labels[2], (Label{{x7 + 1, 565 - 16}, " 950"}));
  EXPECT_EQ(sheet.marks[0].labels[11].text, "1040");
}

// Values beyond the scale: points above the client area are clamped to 0, the
// start is not; below the plot nothing is limited. Bars follow the clamped point.
TEST(BarogramLayout, ScaleLimitsAndClamping) {
  History history{};
  history[0] = sample(1, 1, 12, 0, 110000, 150, -150, 0);
  history[1] = sample(1, 1, 11, 55, 90000, 0, 0, 40);
  const BarogramLayout l = layoutBarogram(history, allCurves(), kClient);
  EXPECT_LT(l.pressure.start.y, 0);
  EXPECT_EQ(l.pressure.points[0].at.y, 0);
  EXPECT_GT(l.pressure.points[1].at.y, 565);
  EXPECT_EQ(l.tendency1h.points[0].at.y, 0);
  EXPECT_GT(l.tendency3h.points[0].at.y, 565);
  ASSERT_TRUE(l.pressure.points[1].bar.has_value());
  const int y = l.pressure.points[1].at.y;
  const int half = static_cast<int>(varBarHalfLength(40, 530));
  EXPECT_EQ(*l.pressure.points[1].bar, (Segment{{1047, y - half}, {1047, y + half}}));
  EXPECT_TRUE(l.pressure.points[0].falls) << "3 h tendency -15 hPa";

  Settings low = allCurves();
  low.lowScale = 1;
  EXPECT_EQ(layoutBarogram(history, low, kClient).pressure.points[1].at.y, 565)
      << "900 hPa: the low scale's bottom";
}

// The scales' end labels and the edges of a small window.
TEST(BarogramLayout, LabelsAtTheEndsOfTheScales) {
  History history{};
  for (platform::CanvasSize client : {kClient, platform::CanvasSize{300, 200}}) {
    const BarogramLayout l = layoutBarogram(history, allCurves(), client);
    const PlotFrame& f = l.frame;
    SCOPED_TRACE(client.width);
    ASSERT_EQ(l.pressureLabels.size(), 11u);
    ASSERT_EQ(l.tendencyLabels.size(), 21u);
    EXPECT_EQ(l.pressureLabels.front(), (Label{{f.xR + 5, f.y0 - 8}, " 950"}));
    EXPECT_EQ(l.pressureLabels.back(), (Label{{f.xR + 5, 35 - 8}, "1050"}));
    EXPECT_EQ(l.tendencyLabels.front(), (Label{{20, f.y0 - 8}, "-10"}));
    EXPECT_EQ(l.tendencyLabels[10].text, " +0");
    EXPECT_EQ(l.tendencyLabels.back(), (Label{{20, 27}, "+10"}));
    EXPECT_EQ(l.fineTicks.front(), (Segment{{50, f.y0}, {45, f.y0}}));
    EXPECT_EQ(l.fineTicks.back(), (Segment{{50, 35}, {45, 35}}));
    EXPECT_EQ(l.grid.size(), 19u) << "the edges are the frame's";
    EXPECT_EQ(l.plot, (Rect{50, 35, f.xR + 1, f.y0 + 1}));
  }
}
