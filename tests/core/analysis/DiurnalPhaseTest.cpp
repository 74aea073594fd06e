#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "core/analysis/DiurnalRhythm.h"

namespace {

using baromon::DiurnalAnalysis;

void setSlotPressures(DiurnalAnalysis& t, const std::function<double(int)>& pressureOfSlot) {
  for (int i = 0; i < 288; ++i) {
    t.bins[i].pressure = pressureOfSlot(i);
    t.bins[i].count = pressureOfSlot(i) != 0 ? 1 : 0;
  }
}

// The wave uses the decimal constant: at the far end of the day and of the
// angles its value differs from the full-precision wave.
TEST(DiurnalPhase, WaveUsesTheDecimalConstant) {
  DiurnalAnalysis t;
  baromon::fillFitCurve(t, 0);
  EXPECT_EQ(t.bins[0].fit, 0.0);
  EXPECT_NEAR(t.bins[36].fit, 50.0, 1e-9) << "03:00 is the crest at angle 0";
  EXPECT_NEAR(t.bins[108].fit, -50.0, 1e-9) << "09:00 is the trough";

  baromon::fillFitCurve(t, 359);
  double exact = 50 * std::sin(287 * (2 * std::numbers::pi / 144) + 359 * (2 * std::numbers::pi / 360));
  EXPECT_NE(t.bins[287].fit, exact);
  EXPECT_NEAR(t.bins[287].fit, exact, 1e-6);
  EXPECT_EQ(t.bins[288].fit, 0.0) << "only the day's slots carry the wave";
}

// The search compares each slot on its own against 1013.20 hPa and keeps the first
// strictly smaller squared deviation below 10^8. Every expected angle below was
// worked out by hand from where the wave can match a slot exactly.
TEST(DiurnalPhase, SearchPicksTheFirstStrictlyBestSlotAndAngle) {
  struct Case {
    const char* legend;
    std::function<double(int)> pressure;
    double angle;
  } cases[] = {
      {"no data at all: no angle is chosen, 0 stands in", [](int) { return 0.0; }, 0},
      {"every slot 100.51 hPa below the reference: nothing below 10^8", [](int) { return 91269.0; }, 0},
      {"best deviation exactly 10^8 at 90 degrees is not strictly below the limit",
       [](int i) { return i == 0 ? 91270.0 : 0.0; }, 0},
      {"one hundredth closer and 90 degrees is chosen", [](int i) { return i == 0 ? 91271.0 : 0.0; }, 90},
      {"slot 100 (08:20) needs the trough: 250 + a = 270",
       [](int i) { return i == 100 ? 101370.0 : 98000.0; }, 20},
      {"tie: slot 36 matches at 180, slot 0 at 270; the lower angle wins",
       [](int i) { return i == 0 || i == 36 ? 101370.0 : 0.0; }, 180},
      // A 0.5 hPa wave of phase 30 degrees, in whole hundredths. The wave that
      // matches it everywhere is the one at 210 degrees, but the rounded slots at
      // the crest (slot 26) already match the trough of the wave at 205 exactly,
      // and so do slots 22 and 24 at 215 and 210: the lowest of these ties wins.
      {"a whole rounded wave: the first exact slot match, not the wave's phase",
       [](int i) { return 101320.0 + std::lround(50 * std::sin((2.5 * i + 30) * std::numbers::pi / 180)); },
       205},
  };
  for (const auto& c : cases) {
    DiurnalAnalysis t;
    setSlotPressures(t, c.pressure);
    EXPECT_EQ(baromon::searchDiurnalPhase(t), c.angle) << c.legend;

    DiurnalAnalysis reference;
    baromon::fillFitCurve(reference, c.angle);
    for (int i = 0; i < 288; ++i) {
      ASSERT_EQ(t.bins[i].fit, reference.bins[i].fit)
          << c.legend << ": the table keeps the wave of the chosen angle, slot " << i;
    }
  }
}

} // namespace
