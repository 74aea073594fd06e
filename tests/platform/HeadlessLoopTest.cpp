#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include "core/state/AppContext.h"
#include "assembly/HeadlessRun.h"
#include "adapters/posix/HeadlessWindows.h"
#include "adapters/posix/PosixFileSystem.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

namespace baromon::platform {
namespace {

// A device that counts how often the acquisition looks at it: once per tick.
struct CountingPorts final : SerialPorts {
  int statusQueries = 0;
  struct Device final : SerialDevice {
    int& queries;
    explicit Device(int& q) : queries(q) {}
    bool configure() override { return true; }
    std::optional<Status> status() override {
      ++queries;
      return Status{};
    }
    std::optional<std::uint8_t> readByte() override { return std::nullopt; }
    bool hungUp() const override { return false; }
    bool lineStream() const override { return false; }
    bool connected() const override { return true; }
    std::string source() const override { return "/dev/test"; }
  };
  std::unique_ptr<SerialDevice> open(const std::string&) override {
    return std::make_unique<Device>(statusQueries);
  }
};

// The headless monitor on a fake clock, boxes and the last line into a scratch file.
struct HeadlessLoop : ::testing::Test {
  fakes::TempDir dir;
  PosixFileSystem files{dir.path()};
  fakes::FakeClock clock;
  std::FILE* err = std::tmpfile();
  HeadlessWindows windows{err};
  CountingPorts ports;
  GraphicsObjects graphics;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
  ~HeadlessLoop() override { std::fclose(err); }
};

// Some clocks refuse the sleep until a deadline (seen under a preload that shifts the
// time: EINVAL on every call). The loop then spun, about 22,000 ticks a second.
TEST_F(HeadlessLoop, ARefusedSleepUntilTheDeadlineFallsBackToSleepingThePeriod) {
  ASSERT_NE(err, nullptr);
  constexpr int kTicks = 20;
  int deadlineSleeps = 0;
  int lengthSleeps = 0;
  long lastLengthMs = 0;
  TickSleeps sleeps{
      [&](const timespec&) {
        if (++deadlineSleeps == 1000) {
          windows.postQuit(0); // the spinning loop must end too
        }
        return EINVAL;
      },
      [&](const timespec& length) {
        lastLengthMs = length.tv_sec * 1000 + length.tv_nsec / 1000000;
        if (++lengthSleeps == kTicks) {
          windows.postQuit(0);
        }
        return 0;
      },
  };
  EXPECT_EQ(runHeadless(app, windows, sleeps), 0);
  EXPECT_EQ(lengthSleeps, kTicks);
  EXPECT_EQ(deadlineSleeps, kTicks) << "every turn of the loop slept";
  EXPECT_EQ(lastLengthMs, 200) << "one timer period";
  EXPECT_EQ(ports.statusQueries, kTicks) << "one tick per sleep";
}

TEST_F(HeadlessLoop, ASignalDuringTheFallbackSleepSkipsTheTick) {
  ASSERT_NE(err, nullptr);
  int turns = 0;
  int deadlineSleeps = 0;
  TickSleeps sleeps{
      [&](const timespec&) {
        if (++deadlineSleeps == 1000) {
          windows.postQuit(0);
        }
        return EINVAL;
      },
      [&](const timespec&) {
        if (++turns == 4) {
          windows.postQuit(0);
        }
        return turns % 2 == 0 ? EINTR : 0;
      },
  };
  EXPECT_EQ(runHeadless(app, windows, sleeps), 0);
  EXPECT_EQ(ports.statusQueries, 2) << "the interrupted turns do not tick";
}

TEST_F(HeadlessLoop, TheDeadlineSleepAloneWhenItWorks) {
  ASSERT_NE(err, nullptr);
  int deadlineSleeps = 0;
  int lengthSleeps = 0;
  TickSleeps sleeps{
      [&](const timespec&) {
        if (++deadlineSleeps == 5) {
          windows.postQuit(0);
        }
        return 0;
      },
      [&](const timespec&) { return ++lengthSleeps, 0; },
  };
  EXPECT_EQ(runHeadless(app, windows, sleeps), 0);
  EXPECT_EQ(lengthSleeps, 0);
  EXPECT_EQ(ports.statusQueries, 5);
}

// Some sandboxes refuse both sleeps (EPERM from a filter); the loop then went on at
// once and spun. The last resort waits the period another way.
TEST_F(HeadlessLoop, BothSleepsRefusedFallBackToTheLastResort) {
  ASSERT_NE(err, nullptr);
  constexpr int kTicks = 6;
  int lastResorts = 0;
  long lastResortMs = 0;
  int deadlineSleeps = 0;
  TickSleeps sleeps{
      [&](const timespec&) {
        if (++deadlineSleeps == 1000) {
          windows.postQuit(0); // a spinning loop must end too
        }
        return EPERM;
      },
      [](const timespec&) { return ENOSYS; },
      [&](const timespec& length) {
        lastResortMs = length.tv_sec * 1000 + length.tv_nsec / 1000000;
        if (++lastResorts == kTicks) {
          windows.postQuit(0);
        }
        return 0;
      },
  };
  EXPECT_EQ(runHeadless(app, windows, sleeps), 0);
  EXPECT_EQ(lastResorts, kTicks);
  EXPECT_EQ(deadlineSleeps, kTicks) << "every turn of the loop waited";
  EXPECT_EQ(lastResortMs, 200);
}

TEST(PollFor, WaitsAtLeastTheLength) {
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(pollFor(timespec{0, 30 * 1000000L}), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
}

} // namespace
} // namespace baromon::platform
