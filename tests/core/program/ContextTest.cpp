#include <gtest/gtest.h>

#include "support/TestApp.h"

namespace {

// The start values other code depends on before start-up has run.
TEST(AppContext, FreshContextHoldsTheProcessStartValues) {
  baromon::fakes::TestApp t;
  const auto& app = t.app;
  EXPECT_EQ(app.settings.dataMode, baromon::DataMode::Kx);
  EXPECT_EQ(app.settings.logEvents, 1);
  EXPECT_EQ(app.settings.portDigit, '2');
  EXPECT_EQ(app.acquisition.ticksSinceSentence, 1000u);
  EXPECT_EQ(app.acquisition.lastSlot, baromon::kNoFiveMinuteSlot);
  EXPECT_EQ(app.view.scrollOffset, 1);
  EXPECT_EQ(app.view.recordCount, 1024);
  EXPECT_EQ(app.view.scrollPosition, 100);
  EXPECT_EQ(app.reading.temperature, -999);
  EXPECT_EQ(app.history.back().day, 0);
}

} // namespace
