#include <gtest/gtest.h>

#include <string>

#include "support/LogBuilder.h"
#include "core/store/Store.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;

// Found by fuzzing the log file: a byte above 0x7F in the year decodes (the reader takes
// each byte minus '0' without testing it) to a negative year, which the reader accepts.
// Written back, no four digits hold it and the repaired log gained an invalid record.
TEST(LogCheckFindings, ARecordWhoseYearCannotBeWrittenBackIsAnError) {
  TestApp t;
  std::string log = testlog::gridLog(3);
  log[kLogRecordSize + 14] = '\xB0'; // the century digit of the middle record
  LastDecodedRecord probe;
  ASSERT_EQ(parseLogRecord(probe, LogRecordMode::Decode, log.data() + kLogRecordSize), 1);
  ASSERT_LT(probe.sample.year, 0);
  t.dir.write(kLogFileName, log);

  const LogCheckOutcome outcome = runLogCheck(t.app);
  ASSERT_EQ(outcome.status, LogCheckOutcome::Status::Repaired);
  EXPECT_EQ(outcome.errors, 1u);
  // The third record no longer continues the grid of the first, so it starts a recording.
  EXPECT_EQ(outcome.recordsWritten, 2u);
  EXPECT_EQ(outcome.recordings, 2u);
  const std::string repaired = t.dir.read(kLogFileName);
  ASSERT_EQ(repaired.size(), kLogRecordSize * outcome.recordsWritten);
  EXPECT_EQ(repaired, testlog::recordOf(log, 0) + testlog::recordAt(1, 10, 90002));
}

} // namespace
} // namespace baromon
