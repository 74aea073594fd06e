#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/EventLog.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

// KX mode on COM2, the port standing for a network source (or, with `network` false, a
// serial adapter).
struct Loss : ::testing::TestWithParam<bool> {
  fakes::TestApp t;
  std::shared_ptr<fakes::FakeSerialDevice::Script> device;

  void SetUp() override {
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.recordInterval = 300;
    t.app.settings.portDigit = '2';
    t.app.settings.logEvents = 1;
    t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    device = addDevice();
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));
  }
  std::shared_ptr<fakes::FakeSerialDevice::Script> addDevice() {
    auto script = t.ports.add("COM2");
    script->lineStream = GetParam();
    script->source = GetParam() ? "tcp://boat.local:10110" : "/dev/ttyUSB0";
    return script;
  }
  void tick(const std::string& text = "") {
    t.ports.feed("COM2", text);
    acquisitionTick(t.app);
  }
  // Goes away, and is reopened 5 s later.
  void loseAndReturn() {
    device->hungUp = true;
    t.ports.present.erase("COM2");
    tick();
    device = addDevice();
    t.clock.advanceSeconds(6);
    tick();
  }
  std::string err() const { return t.dir.read("monitor.err"); }
};

TEST_P(Loss, ANetworkSourceIsNamedWhenLostAndWhenBackASerialPortKeepsItsEvent) {
  tick(kPxdr);
  loseAndReturn();
  if (!GetParam()) {
    EXPECT_EQ(fakes::eventCodes(err()), std::vector<int>{63});
    return;
  }
  EXPECT_EQ(fakes::eventCodes(err()), std::vector<int>{71}) << "reopened, but nothing heard yet";
  EXPECT_NE(err().find("event # 71 connection to tcp://boat.local:10110 lost \r\n"), std::string::npos)
      << err();
  tick(kPxdr);
  EXPECT_EQ(fakes::eventCodes(err()), (std::vector<int>{71, 72}));
  EXPECT_NE(err().find("event # 72 connection to tcp://boat.local:10110 back \r\n"), std::string::npos)
      << err();
  tick(kPxdr);
  EXPECT_EQ(fakes::eventCodes(err()).size(), 2u) << "back once, not at every line";
}

TEST_P(Loss, ASourceThatKeepsFailingIsLostOnceAndNeverBack) {
  tick(kPxdr);
  for (int i = 0; i < 4; ++i) { // accepts, closes at once, brings nothing
    loseAndReturn();
  }
  EXPECT_EQ(fakes::eventCodes(err()), std::vector<int>{GetParam() ? 71 : 63});
  tick(kPxdr);
  loseAndReturn();
  EXPECT_EQ(fakes::eventCodes(err()),
            GetParam() ? (std::vector<int>{71, 72, 71}) : (std::vector<int>{63, 63}));
}

INSTANTIATE_TEST_SUITE_P(NetworkOrSerial, Loss, ::testing::Bool());

} // namespace
} // namespace baromon
