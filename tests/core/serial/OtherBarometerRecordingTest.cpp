#include <gtest/gtest.h>

#include <string>

#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/serial/Sentences.h"
#include "core/store/LogRecord.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

// A monitor in KX mode on COM2, at 10:03:00 UTC, fed by whatever barometer the boat has.
struct Other : ::testing::Test {
  fakes::TestApp t;

  void SetUp() override {
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.recordInterval = 300;
    t.app.settings.portDigit = '2';
    t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    t.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));
  }
  void tick(const std::string& text) {
    t.ports.feed("COM2", text);
    acquisitionTick(t.app);
  }
  void at(int hour, int minute, int second = 0) { t.clock.utc = {2026, 12, 7, hour, minute, second, 1}; }
  std::string log() const { return t.dir.read("monitor.txt"); }
  std::size_t records() const { return log().size() / 80; }
  HistorySample record(std::size_t i) const {
    LastDecodedRecord last;
    const std::string text = log();
    EXPECT_EQ(parseLogRecord(last, LogRecordMode::Decode, text.data() + i * 80), 1);
    return last.sample;
  }
  static std::string mmb(std::int32_t hundredths) {
    char bar[32];
    std::snprintf(bar, sizeof bar, "%d.%05d", hundredths / 100000, hundredths % 100000);
    return withNmeaChecksum(std::string("IIMMB,,I,") + bar + ",B");
  }
};

TEST_F(Other, AWeatherStationsMdaIsRecordedAtEveryBoundaryWithoutConverterValues) {
  t.app.settings.heightCorrection = 125;
  tick(withNmeaChecksum("IIMDA,29.9213,I,1.0132,B,21.5,C,,C,,,,C,,T,,M,,N,,M"));
  EXPECT_EQ(t.app.reading.pressure, 101445);
  EXPECT_EQ(t.app.reading.temperature, 215);
  EXPECT_EQ(records(), 0u) << "10:03 is no boundary";
  at(10, 5, 2);
  tick(withNmeaChecksum("IIMDA,29.9213,I,1.0140,B,21.4,C,,C,,,,C,,T,,M,,N,,M"));
  at(10, 5, 3);
  tick(withNmeaChecksum("IIMDA,29.9213,I,1.0150,B,21.4,C,,C,,,,C,,T,,M,,N,,M"));
  at(10, 10, 0);
  tick(withNmeaChecksum("IIMDA,29.9213,I,1.0160,B,,C,,C,,,,C,,T,,M,,N,,M"));
  ASSERT_EQ(records(), 2u);
  EXPECT_EQ(record(0).pressure, 101525);
  EXPECT_EQ(record(0).minute, 5);
  EXPECT_EQ(record(1).pressure, 101725);
  EXPECT_EQ(record(1).minute, 10);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(record(i).tendency1h, 0);
    EXPECT_EQ(record(i).tendency3h, 0);
    EXPECT_EQ(record(i).variation, 0);
  }
  EXPECT_EQ(t.app.reading.temperature, 214) << "an empty temperature field keeps the last one";
  EXPECT_EQ(t.app.acquisition.sentencesAccepted, 4u);
}

TEST_F(Other, TendenciesComeFromTheMonitorsOwnHistory) {
  // An XDR in pascals from another talker, falling 0.2 hPa every five minutes for three hours.
  std::int32_t pa = 101000;
  for (int boundary = 0; boundary <= 36; ++boundary) {
    const int minutes = 5 + boundary * 5;
    at(10 + minutes / 60, minutes % 60);
    tick(withNmeaChecksum("YXXDR,P," + std::to_string(pa) + ",P,Barometer"));
    pa -= 20;
  }
  ASSERT_EQ(records(), 37u);
  EXPECT_EQ(record(10).tendency1h, 0) << "50 minutes of history are not an hour";
  EXPECT_EQ(record(11).tendency1h, -22) << "the first reading seeded the history";
  EXPECT_EQ(record(12).tendency1h, -24) << "12 steps of 0.2 hPa";
  EXPECT_EQ(record(34).tendency3h, 0);
  EXPECT_EQ(record(35).tendency3h, -70);
  EXPECT_EQ(record(36).tendency3h, -72);
  EXPECT_EQ(record(36).tendency1h, -24);
}

TEST_F(Other, TheBarographsOwnSentencesComeFirst) {
  tick(kPxdr);
  tick("$WIXDR,C,21.5,C\r\n");
  at(10, 3, 20);
  tick(withNmeaChecksum("IIMDA,29.00,I,0.9820,B,30.0,C,,C,,,,C,,T,,M,,N,,M"));
  tick(withNmeaChecksum("IIMTA,30.0,C"));
  EXPECT_EQ(t.app.reading.pressure, 99860);
  EXPECT_EQ(t.app.reading.temperature, 215);
  at(10, 4, 59);
  tick(kPxdr);
  at(10, 5, 0);
  tick(withNmeaChecksum("IIMMB,,I,0.9820,B")); // before the barograph's line of the minute
  tick(kPxdr);
  ASSERT_EQ(records(), 1u);
  EXPECT_EQ(record(0).pressure, 99860);
  EXPECT_EQ(record(0).tendency1h, 12) << "the device's tendency";
}

TEST_F(Other, ASilentBarographHandsOverAndTheConverterValuesGo) {
  for (int s = 0; s < 100; ++s) {
    at(10, 3, s % 60);
    tick("$PXDR,0998.60," + std::to_string(52600 + s) + ",+01.2,+03.5\r\n");
  }
  EXPECT_NE(t.app.converter.variation, 0u);
  static_assert(kDeviceHoldSeconds == 30);
  at(10, 4, 8); // 29 s after the last $PXDR at 10:03:39
  tick(mmb(101000));
  EXPECT_EQ(t.app.reading.pressure, 99860) << "still within the hold";
  at(10, 5, 9);
  tick(mmb(101000));
  ASSERT_EQ(records(), 1u);
  EXPECT_EQ(record(0).pressure, 101000);
  EXPECT_EQ(record(0).variation, 0);
  EXPECT_EQ(record(0).tendency1h, 0) << "not the silent device's";
  EXPECT_EQ(t.app.reading.adValue, 0u);
}

TEST_F(Other, DamagedSentencesOfOtherBarometersAreRefusedAndCounted) {
  at(10, 5);
  tick("$IIMMB,,I,1.0x32,B\r\n");
  std::string bad = mmb(101000);
  bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
  tick(bad);
  EXPECT_EQ(t.app.reading.pressure, 0);
  EXPECT_EQ(records(), 0u);
  EXPECT_EQ(t.app.acquisition.sentencesRejected, 2u);
  tick(mmb(101000));
  EXPECT_EQ(records(), 1u);
}

} // namespace
} // namespace baromon
