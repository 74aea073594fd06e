#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <pty.h>
#include <string>
#include <unistd.h>

#include "support/EventLogReader.h"
#include "support/WaitFor.h"
#include "core/state/AppContext.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPorts.h"
#include "support/FakeWindows.h"
#include "support/TempDir.h"

namespace baromon {
namespace {

// The barograph's adapter as a stable name (a link, as udev gives one) in front of a
// pseudo-terminal that can be pulled and plugged in again under a new device.
struct PluggableDevice {
  std::string link;
  int master = -1;

  explicit PluggableDevice(std::string path) : link(std::move(path)) {}
  ~PluggableDevice() { unplug(); }
  bool plugIn() {
    char name[256] = {};
    int slave = -1;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
      return false;
    }
    ::close(slave);
    ::unlink(link.c_str());
    return ::symlink(name, link.c_str()) == 0;
  }
  void unplug() {
    if (master >= 0) {
      ::close(master);
      master = -1;
    }
  }
  bool send(const std::string& bytes) const {
    return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
};

struct DeviceGoesAway : ::testing::Test {
  fakes::TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeWindows windows;
  platform::PortMap map;
  std::unique_ptr<platform::PosixSerialPorts> ports;
  platform::GraphicsObjects graphics;
  std::unique_ptr<AppContext> app;
  PluggableDevice device{dir.file("barograph")};

  void SetUp() override {
    ASSERT_TRUE(device.plugIn());
    map.set(2, device.link);
    ports = std::make_unique<platform::PosixSerialPorts>(map);
    app = std::make_unique<AppContext>(Platform{clock, files, windows, *ports, graphics});
    app->settings.dataMode = DataMode::Kx;
    app->settings.recordInterval = 300;
    app->settings.portDigit = '2';
    app->settings.heightCorrection = 0;
  }
  void TearDown() override { app.reset(); }

  // Ticks (a real pseudo-terminal needs a moment) until `done` holds; false after about 2 s.
  template <typename Done> bool tickUntil(Done done) {
    return fakes::waitFor(
        [&] {
          acquisitionTick(*app);
          return done();
        },
        std::chrono::seconds(2));
  }
  bool deliver(const std::string& line) {
    const auto before = app->acquisition.sentenceCount;
    return device.send(line) && tickUntil([&] { return app->acquisition.sentenceCount != before; });
  }
};

TEST_F(DeviceGoesAway, InTheMiddleOfALineAndComesBackWithoutLosingARecord) {
  ASSERT_TRUE(openSerialPort(*app, PortErrors::Show));
  clock.utc = {2026, 12, 7, 7, 5, 0, 1};
  ASSERT_TRUE(deliver("$PXDR,0998.60,52684,+01.2,+03.5\r\n"));
  const std::string before = dir.read(kLogFileName);
  ASSERT_EQ(before.size(), static_cast<std::size_t>(kLogRecordSize)) << "the boundary record";

  // Half a line, then the adapter is pulled.
  ASSERT_TRUE(device.send("$PXDR,0900.00,1"));
  ASSERT_TRUE(tickUntil([&] { return app->acquisition.fillCount > 0; }));
  device.unplug();
  ASSERT_TRUE(tickUntil([&] { return app->serial.lost; }));
  EXPECT_FALSE(app->serial.open);
  EXPECT_TRUE(fakes::hasEvent(dir.read("monitor.err"), Event::PortReadError));

  // Plugged in again: a new device behind the same name, found on a later attempt.
  ASSERT_TRUE(device.plugIn());
  clock.advanceSeconds(kReopenIntervalSeconds + 1);
  ASSERT_TRUE(tickUntil([&] { return app->serial.open; }));
  EXPECT_FALSE(app->serial.lost);

  // The cut line is not glued to the first line after the return.
  clock.utc = {2026, 12, 7, 7, 10, 0, 1};
  ASSERT_TRUE(deliver("$PXDR,1001.00,52684,+00.5,+01.0\r\n"));
  EXPECT_TRUE(app->reading.valid);
  EXPECT_EQ(app->reading.pressure, 100100);

  // The record from before the loss is still there, and the next one follows it whole.
  const std::string after = dir.read(kLogFileName);
  ASSERT_EQ(after.size(), 2u * kLogRecordSize);
  EXPECT_EQ(after.substr(0, kLogRecordSize), before);
  LastDecodedRecord d;
  ASSERT_EQ(parseLogRecord(d, LogRecordMode::Decode, after.data() + kLogRecordSize), 1);
  EXPECT_EQ(d.sample.pressure, 100100);
  EXPECT_EQ(d.sample.minute, 10);
  EXPECT_TRUE(windows.boxes.empty()) << "a box per loss would pile up while nobody watches";
}

} // namespace
} // namespace baromon
