#include <gtest/gtest.h>

#include "core/serial/Tendencies.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

struct TendencyCase {
  const char* legend;
  std::int32_t pressure;
  std::int32_t device1h, device3h, previous6h;
  std::int32_t h11, h35, h71;
  std::int32_t want1h, want3h, want6h;
};

TEST(UpdateTendencies, DeviceValuesWinAndZeroIsReplaced) {
  const TendencyCase cases[] = {
      {"device tendency not 0 is kept", 100000, 12, 0, 0, 99700, 0, 0, 12, 0, 0},
      {"device 0 replaced from H[11]", 99850, 0, 0, 0, 100000, 0, 0, -15, 0, 0},
      {"truncation toward zero", 100005, 0, 0, 0, 100000, 0, 0, 0, 0, 0},
      {"negative difference truncates toward zero", 99995, 0, 0, 0, 100009, 0, 0, -1, 0, 0},
      {"H[35] for three hours, clamped", 100000, 0, 0, 0, 0, 110500, 0, 0, -999, 0},
      {"rise clamped at 999", 110500, 0, 0, 0, 100000, 100000, 100000, 999, 999, 999},
      {"no H[71]: six hours keeps its value", 100000, 0, 0, 37, 0, 0, 0, 0, 0, 37},
      {"six hours computed even beside device tendencies", 100200, 5, 6, 37, 0, 0, 100000, 5, 6, 20},
      {"device value outside the range is clamped", 100000, 2000, -2000, 0, 0, 0, 0, 999, -999, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    CurrentReading& r = t.app.reading;
    r.pressure = c.pressure;
    r.tendency1h = c.device1h;
    r.tendency3h = c.device3h;
    r.tendency6h = c.previous6h;
    t.app.fiveMinute[11] = c.h11;
    t.app.fiveMinute[35] = c.h35;
    t.app.fiveMinute[71] = c.h71;
    updateTendencies(t.app);
    EXPECT_EQ(r.tendency1h, c.want1h);
    EXPECT_EQ(r.tendency3h, c.want3h);
    EXPECT_EQ(r.tendency6h, c.want6h);
  }
}

TEST(PushFiveMinuteHistory, MovesEightyEntriesAndLosesTheOldest) {
  fakes::TestApp t;
  for (int i = 0; i <= 81; ++i) {
    t.app.fiveMinute[static_cast<std::size_t>(i)] = 1000 + i;
  }
  t.app.reading.pressure = 99999;
  pushFiveMinuteHistory(t.app);
  EXPECT_EQ(t.app.fiveMinute[0], 99999);
  EXPECT_EQ(t.app.fiveMinute[1], 1000);
  EXPECT_EQ(t.app.fiveMinute[80], 1079) << "old entry 80 is lost";
  EXPECT_EQ(t.app.fiveMinute[81], 1081) << "entries past 80 are not touched";
}

TEST(CheckPressureAlarm, ThresholdsAndSwitch) {
  struct Case {
    const char* legend;
    std::uint8_t sig;
    std::int32_t t1, t3;
    std::size_t beeps;
  } cases[] = {
      {"at both thresholds: quiet", 1, -14, -40, 0}, {"one-hour fall of 1.5 hPa", 1, -15, 0, 1},
      {"three-hour fall of 4.1 hPa", 1, 0, -41, 1},  {"both falling: still one beep", 1, -20, -60, 1},
      {"SIG off: never", 0, -99, -999, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    t.app.settings.beepOnFastFall = c.sig;
    t.app.reading.tendency1h = c.t1;
    t.app.reading.tendency3h = c.t3;
    checkPressureAlarm(t.app);
    ASSERT_EQ(t.windows.beeps.size(), c.beeps);
    if (c.beeps > 0) {
      EXPECT_EQ(t.windows.beeps[0], platform::BeepKind::Default);
    }
  }
}

} // namespace
} // namespace baromon
