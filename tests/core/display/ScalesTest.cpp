#include <gtest/gtest.h>

#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"

using namespace baromon;

TEST(Scales, NearestHalfUpSendsHalvesUpwardsOnBothSidesOfZero) {
  struct Case {
    double in, out;
  } cases[] = {{2.5, 3}, {2.4999, 2}, {-2.5, -2}, {-2.6, -3}, {0.0, 0}, {-0.5, 0}, {7.0, 7}, {-7.0, -7}};
  for (const Case& c : cases) {
    EXPECT_EQ(nearestHalfUp(c.in), c.out) << c.in;
  }
}

TEST(Scales, PressureOnBothScaleRanges) {
  struct Case {
    const char* legend;
    std::int32_t pressure;
    bool low;
    int y;
  } cases[] = {
      {"1013.25 hPa: 335.2 px above the baseline", 101325, false, 230},
      {"scale bottom is the baseline", 95000, false, 565},
      {"scale top", 105000, false, 35},
      {"950 hPa on the 900..1000 scale", 95000, true, 300},
      {"below the scale bottom lies below the baseline", 94000, false, 618},
      {"zero pressure far below", 0, false, 565 + 5035},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pressureToY(c.pressure, 565, 530, c.low), c.y) << c.legend;
  }
}

TEST(Scales, TendencyVariationAndBarLengths) {
  EXPECT_EQ(tendencyToY(-14, 300, 530), 337);
  EXPECT_EQ(tendencyToY(100, 300, 530), 35);
  EXPECT_EQ(tendencyToY(-100, 300, 530), 565);
  EXPECT_EQ(tendencyToY(0, 300, 530), 300);
  EXPECT_EQ(variationToY(0, 564, 530), 564);
  EXPECT_EQ(variationToY(10, 564, 530), 538); // 1.0 hPa rises one tendency division, 26.5 px
  EXPECT_FLOAT_EQ(varBarHalfLength(8, 530), 1.06f);
  EXPECT_FLOAT_EQ(varBarHalfLength(16, 530), 2.12f);
}

TEST(Scales, SamplePositions) {
  EXPECT_EQ(sampleToX(0, 1050, 1000), 1050);
  EXPECT_EQ(sampleToX(999, 1050, 1000), 53); // 999 x (1000/1002) = 997.004
  EXPECT_EQ(sampleToX(999, 1000, 1002), 1);  // px = 1.0
  EXPECT_EQ(sampleToX(501, 1050, 1000), 550);
}

TEST(Scales, RowsAndTheTopClamp) {
  EXPECT_EQ(scaleRowY(0, 0.1, 565, 530), 565);
  EXPECT_EQ(scaleRowY(10, 0.1, 565, 530), 35);
  EXPECT_EQ(scaleRowY(1, 0.05, 565, 530), 538); // 26.5 goes up to 27
  EXPECT_EQ(scaleRowY(3, 0.01, 565, 530), 549); // 15.9 -> 16
  // A client area too small for the plot: rows above y = 1 are held at 0.
  EXPECT_EQ(scaleRowY(10, 0.1, 35, 0), 35);
  EXPECT_EQ(scaleRowY(10, 0.1, 20, 40), 0);
}

TEST(Scales, PlotFrameOfTheDefaultClientArea) {
  PlotFrame f = plotFrame(1100, 600);
  EXPECT_EQ(f.y0, 565);
  EXPECT_EQ(f.h, 530);
  EXPECT_EQ(f.xR, 1050);
  EXPECT_EQ(f.w, 1000);
  EXPECT_EQ(f.yMid, 300);
  EXPECT_EQ(f.q, 275);
  EXPECT_EQ(f.t, 91);
}
