#include <gtest/gtest.h>

#include <string>

#include "core/config/Menus.h"
#include "core/config/Settings.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

// A record holding a mode that is neither of the two the menu sets (only a cast or a
// damaged record makes one) must mean one thing everywhere: the file is written with KX,
// so the running monitor decodes and records the barograph as well.
struct StrayDataMode : ::testing::Test {
  fakes::TestApp t;

  void SetUp() override {
    t.app.settings.dataMode = static_cast<DataMode>(5);
    t.app.settings.recordInterval = 300;
    t.app.settings.displayStep = 300;
    t.app.settings.portDigit = '2';
    t.clock.utc = {2026, 12, 7, 10, 5, 0, 1};
    t.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Quiet));
  }
};

TEST_F(StrayDataMode, IsWrittenAsKxAndRecordsTheBarographAsKx) {
  saveSettings(t.app);
  EXPECT_EQ(t.dir.read("monitor.ini").substr(0, 10), "DATA=  KX\n");

  t.ports.feed("COM2", kPxdr);
  acquisitionTick(t.app);
  EXPECT_EQ(t.app.reading.pressure, 99860) << "the line was decoded as the barograph's";
  const std::string log = t.dir.read("monitor.txt");
  ASSERT_EQ(log.size(), static_cast<std::size_t>(kLogRecordSize)) << "the boundary's record was written";
  LastDecodedRecord record;
  EXPECT_EQ(parseLogRecord(record, LogRecordMode::Decode, log.data()), 1);
  EXPECT_EQ(record.sample.pressure, 99860);
  EXPECT_FALSE(t.dir.exists("nmea.txt"));
}

TEST_F(StrayDataMode, ChecksTheKxModeMenuItem) {
  buildMenuBar(t.app);
  updateMenuChecks(t.app);
  const auto* kx = t.windows.menuBar.find(cmd::KxMode);
  const auto* nmea = t.windows.menuBar.find(cmd::NmeaMode);
  ASSERT_TRUE(kx != nullptr && nmea != nullptr);
  EXPECT_TRUE(kx->checked);
  EXPECT_FALSE(nmea->checked);
}

} // namespace
} // namespace baromon
