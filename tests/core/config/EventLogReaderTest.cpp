#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/EventLog.h"
#include "support/EventLogReader.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::EventRecorder;
using fakes::TestApp;

// The reader the tests share sees what the monitor wrote: number and text of each event,
// fatal lines left out.
TEST(EventLogReader, ReadsWhatTheMonitorWrote) {
  TestApp t;
  t.app.settings.logEvents = 1;
  reportEvent(t.app, Event::FileOpenFailed);
  reportFatal(t.app, Fatal::LandscapeGridPenFailed);
  reportEvent(t.app, -3);
  reportEvent(t.app, Event::ReadWriteFailed);
  const auto events = fakes::parseEventLog(t.dir.read("monitor.err"));
  ASSERT_EQ(events.size(), 3u) << t.dir.read("monitor.err");
  EXPECT_EQ(events[0].code, eventCode(Event::FileOpenFailed));
  EXPECT_EQ(events[0].text, "error writing in file MONITOR.TXT ");
  EXPECT_EQ(events[1].code, -3);
  EXPECT_EQ(events[1].text, "");
  EXPECT_EQ(events[2].code, eventCode(Event::ReadWriteFailed));
  EXPECT_EQ(events[2].text, "error: WriteFile/ReadFile");
  EXPECT_EQ(fakes::eventCount(t.dir.read("monitor.err"), Event::ReadWriteFailed), 1u);
}

TEST(EventRecorder, FailsTheTestOnAnEventNotExpected) {
  TestApp t;
  t.app.settings.logEvents = 1;
  EXPECT_NONFATAL_FAILURE(
      {
        EventRecorder events(t.dir, {Event::FileOpenFailed});
        reportEvent(t.app, Event::FileOpenFailed);
        reportEvent(t.app, Event::NotEnoughSpace);
      },
      "unexpected event # 24");
  // Only expected events: no failure.
  EventRecorder events(t.dir, {Event::FileOpenFailed, Event::NotEnoughSpace});
  EXPECT_EQ(events.codes(), fakes::eventNumbers({Event::FileOpenFailed, Event::NotEnoughSpace}));
}

} // namespace
} // namespace baromon
