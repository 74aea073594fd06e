#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/program/WindowProcedure.h"
#include "core/serial/SerialPort.h"
#include "core/serial/Telemetry.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

// What the core hands a publisher, and the link changes it is told to report.
struct RecordingOutlet final : platform::TelemetryOutlet {
  std::vector<platform::TelemetryReading> readings;
  std::vector<platform::TelemetryRecord> records;
  std::deque<platform::LinkChange> changes;
  void reading(const platform::TelemetryReading& values) override { readings.push_back(values); }
  void record(const platform::TelemetryRecord& values) override { records.push_back(values); }
  platform::LinkChange poll() override {
    if (changes.empty()) {
      return platform::LinkChange::None;
    }
    const auto change = changes.front();
    changes.pop_front();
    return change;
  }
};

struct Telemetry : ::testing::Test {
  fakes::TestApp t;
  RecordingOutlet outlet;

  void SetUp() override {
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.recordInterval = 300;
    t.app.settings.displayStep = 300;
    t.app.settings.portDigit = '2';
    t.app.settings.logEvents = 1;
    t.app.platform.telemetry = &outlet;
    t.clock.utc = {2026, 12, 7, 10, 4, 58, 1};
    t.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));
  }
  void tickWith(const std::string& text) {
    t.ports.feed("COM2", text);
    onTimer(t.app);
  }
};

const std::string kFalling = "$PXDR,0998.60,52684,-01.5,+03.5,-0300,0995.40\r\n";

TEST_F(Telemetry, NothingBeforeTheFirstPressureThenTheValuesOfTheTick) {
  onTimer(t.app);
  EXPECT_TRUE(outlet.readings.empty());
  tickWith(kFalling);
  ASSERT_EQ(outlet.readings.size(), 1u);
  const auto& r = outlet.readings.back();
  EXPECT_EQ(r.pressure, 99860);
  EXPECT_EQ(r.tendency1h, -15);
  EXPECT_EQ(r.tendency3h, 35);
  EXPECT_TRUE(r.alarm); // -1.5 hPa in an hour is a fast fall
  EXPECT_FALSE(r.hasTemperature);
  EXPECT_FALSE(r.hasVoltage);
  EXPECT_EQ(r.utcSeconds, 1796637898); // 2026-12-07 10:04:58 UTC
}

TEST_F(Telemetry, NmeaModeHandsOverNoValues) {
  t.app.settings.dataMode = DataMode::Nmea;
  tickWith(kFalling);
  EXPECT_TRUE(outlet.readings.empty());
}

TEST_F(Telemetry, TheBoundarysRecordIsOfferedOnceWithItsTime) {
  tickWith(kFalling);
  t.clock.utc = {2026, 12, 7, 10, 5, 0, 1};
  tickWith(kFalling);
  tickWith(kFalling); // the same slot: no second record
  ASSERT_EQ(outlet.records.size(), 1u);
  EXPECT_EQ(outlet.records[0].timeUtc, "2026-12-07T10:05:00Z");
  EXPECT_EQ(outlet.records[0].counter, 1u);
  EXPECT_EQ(outlet.records[0].pressure, 99860);
  EXPECT_EQ(t.dir.read("monitor.txt").size(), 80u);
}

TEST_F(Telemetry, NoRecordOfferedWhenRecordingIsOff) {
  t.app.settings.recordInterval = 0;
  t.clock.utc = {2026, 12, 7, 10, 5, 0, 1};
  tickWith(kFalling);
  EXPECT_TRUE(outlet.records.empty());
}

TEST_F(Telemetry, EveryLossAndReturnIsOneEventEvenWhenTwoWaitForOneTick) {
  outlet.changes = {platform::LinkChange::Lost, platform::LinkChange::Back};
  onTimer(t.app);
  outlet.changes = {platform::LinkChange::Lost};
  onTimer(t.app);
  onTimer(t.app);
  EXPECT_EQ(fakes::eventCodes(t.dir.read("monitor.err")), (std::vector<int>{75, 76, 75}));
}

} // namespace
} // namespace baromon
