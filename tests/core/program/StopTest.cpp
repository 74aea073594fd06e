#include <gtest/gtest.h>

#include <string>

#include "core/program/Startup.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;

LogRecord recordAt(unsigned counter, int minute) {
  RecordTime time;
  time.year = 2026;
  time.month = 12;
  time.day = 7;
  time.hour = 7;
  time.minute = minute;
  return encodeLogRecord(counter, time, 99860, 12, 35, 4, 0);
}

std::string text(const LogRecord& record) { return std::string(record.data(), record.size()); }

// Records that waited for a log another program held are the newest data there is;
// a stop (Exit, SIGTERM, log-off) that drops them loses them for good.
TEST(Stop, WritesTheRecordsThatWaitOldestFirst) {
  TestApp t;
  t.ports.add("COM2");
  ASSERT_EQ(startUp(t.app), 0);
  t.dir.write(kLogFileName, text(recordAt(1, 0)));
  t.app.recording.pending.push_back(recordAt(2, 5));
  t.app.recording.pending.push_back(recordAt(3, 10));
  EXPECT_EQ(shutDown(t.app, 0), 0);
  EXPECT_EQ(t.dir.read(kLogFileName), text(recordAt(1, 0)) + text(recordAt(2, 5)) + text(recordAt(3, 10)));
  EXPECT_TRUE(t.app.recording.pending.empty());
  EXPECT_FALSE(fakes::hasEvent(t.dir.read("monitor.err"), Event::RecordLostAtStop));
}

} // namespace
} // namespace baromon
