#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/program/Startup.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordingState.h"
#include "core/store/Store.h"
#include "support/EventLogReader.h"
#include "support/OtherProcess.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;

std::string recordText(unsigned counter) {
  RecordTime time;
  time.year = 2026;
  time.month = 12;
  time.day = 7;
  time.hour = 7;
  time.minute = static_cast<int>(5 * counter % 60);
  const LogRecord record = encodeLogRecord(counter, time, 99860, 12, 35, 4, 0);
  return std::string(record.data(), record.size());
}

// A running monitor with two records waiting for the log another program holds.
struct StopWait : ::testing::Test {
  TestApp t;
  std::optional<fakes::HeldByOtherProcess> other;
  std::vector<std::pair<std::size_t, int>> told;

  void SetUp() override {
    t.ports.add("COM2");
    ASSERT_EQ(startUp(t.app), 0);
    other.emplace(t.dir.file(kLogFileName));
    ASSERT_TRUE(other->held());
    for (unsigned n = 1; n <= 2; ++n) {
      LogRecord record{};
      const std::string text = recordText(n);
      std::copy(text.begin(), text.end(), record.begin());
      t.app.recording.pending.push_back(record);
    }
    t.app.recording.onStopWait = [this](std::size_t waiting, int millis) {
      told.emplace_back(waiting, millis);
    };
  }
  int waitedMs() const { return std::accumulate(t.clock.pauses.begin(), t.clock.pauses.end(), 0); }
};

TEST_F(StopWait, RetriesUntilTheLogIsLetGo) {
  t.clock.onPause = [&](std::size_t pauses) {
    if (pauses == 3) {
      other.reset();
    }
  };
  EXPECT_EQ(shutDown(t.app, 0), 0) << "records written late are no failure";
  EXPECT_EQ(t.dir.read(kLogFileName), recordText(1) + recordText(2));
  EXPECT_EQ(t.clock.pauses, (std::vector<int>{kStopRetryMs, kStopRetryMs, kStopRetryMs}));
  EXPECT_EQ(told, (std::vector<std::pair<std::size_t, int>>{{2, kStopWaitMs}})) << "said once";
  EXPECT_FALSE(fakes::hasEvent(t.dir.read("monitor.err"), Event::RecordLostAtStop));
}

TEST_F(StopWait, GivesUpAfterTheBoundAndReportsEveryRecordLost) {
  t.dir.write("monitor.ini", "");
  std::size_t settingsAtFirstPause = 0;
  t.clock.onPause = [&](std::size_t pauses) {
    if (pauses == 1) {
      settingsAtFirstPause = t.dir.read("monitor.ini").size();
    }
  };
  EXPECT_EQ(shutDown(t.app, 0), 0);
  EXPECT_GE(waitedMs(), kStopWaitMs);
  EXPECT_LT(waitedMs(), kStopWaitMs + kStopRetryMs) << "no longer than the bound";
  EXPECT_EQ(t.dir.read(kLogFileName), "");
  EXPECT_EQ(t.app.recording.pending.size(), 2u) << "what the caller can still tell about";
  EXPECT_EQ(fakes::eventCount(t.dir.read("monitor.err"), Event::RecordLostAtStop), 2u);
  EXPECT_EQ(told.size(), 1u);
  // The settings were written before the wait: a log-off that ends the process during
  // it costs no more than the records.
  EXPECT_EQ(settingsAtFirstPause, 125u);
}

TEST_F(StopWait, AFreeLogNeedsNoWait) {
  other.reset();
  EXPECT_EQ(shutDown(t.app, 0), 0);
  EXPECT_EQ(t.dir.read(kLogFileName), recordText(1) + recordText(2));
  EXPECT_TRUE(t.clock.pauses.empty());
  EXPECT_TRUE(told.empty());
}

} // namespace
} // namespace baromon
