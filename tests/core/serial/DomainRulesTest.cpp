#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <string>

#include "core/domain/Rules.h"
#include "core/domain/Units.h"

namespace baromon {
namespace {

TEST(FastFall, BoundariesOfEachHorizon) {
  struct Case {
    const char* name;
    std::int32_t oneHour;
    std::int32_t threeHours;
    bool fast;
  };
  const Case cases[] = {
      {"exactly -1.4 and -4.0 hPa", -14, -40, false},
      {"one hour -1.5 hPa", -15, 0, true},
      {"three hours -4.1 hPa", 0, -41, true},
      {"one hour -1.5 hPa against a three-hour rise", -15, 999, true},
      {"rises", 14, 40, false},
      {"clamped extremes", -999, -999, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isFastFall(c.oneHour, c.threeHours), c.fast) << c.name;
  }
  EXPECT_FALSE(fallsMarkedlyInSixHours(-90));
  EXPECT_TRUE(fallsMarkedlyInSixHours(-91));
}

TEST(Units, TenthsClampAndTruncateTowardZero) {
  EXPECT_EQ(clampTenths(-1000), -999);
  EXPECT_EQ(clampTenths(-999), -999);
  EXPECT_EQ(clampTenths(999), 999);
  EXPECT_EQ(clampTenths(1000), 999);
  EXPECT_EQ(clampTenths(0), 0);
  // A loss of 0.19 hPa reads -0.1, not -0.2: truncation, not flooring.
  EXPECT_EQ(tenthsFromHundredths(-19), -1);
  EXPECT_EQ(tenthsFromHundredths(19), 1);
  EXPECT_EQ(tenthsFromHundredths(-9), 0);
}

std::string printed(const char* format, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

std::string fixedTwo(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

// The conversions replaced both "x * 0.01" and "x / 100.0": every pressure a record can hold
// and every tenth a tendency, temperature or voltage can hold must print and narrow alike.
TEST(Units, ConversionsPrintAsMultiplicationDid) {
  for (std::int32_t v = -160000; v <= 160000; ++v) {
    ASSERT_EQ(printed("%8.2f", hpaFromHundredths(v)), printed("%8.2f", v * 0.01)) << v;
    ASSERT_EQ(fixedTwo(hpaFromHundredths(v)), fixedTwo(v * 0.01)) << v;
    ASSERT_EQ(static_cast<float>(exactTenthsFromHundredths(v)), static_cast<float>(v * 0.1)) << v;
  }
  for (std::int32_t v = -1000; v <= 1000; ++v) {
    ASSERT_EQ(printed("%+4.1f", hpaFromTenths(v)), printed("%+4.1f", v * 0.1)) << v;
    ASSERT_EQ(printed("%4.1f", voltsFromTenths(v)), printed("%4.1f", v * 0.1)) << v;
    ASSERT_EQ(printed("%+4.1f", celsiusFromTenths(v)), printed("%+4.1f", v * 0.1)) << v;
  }
}

} // namespace
} // namespace baromon
