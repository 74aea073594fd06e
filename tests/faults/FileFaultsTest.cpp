#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <random>
#include <string>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/WaitFor.h"
#include "support/EventLogReader.h"
#include "core/program/WindowProcedure.h"
#include "core/config/Settings.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordingState.h"
#include "core/store/Store.h"
#include "support/OtherProcess.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::eventCount;
using fakes::hasEvent;
using fakes::TestApp;

// Record n lies n * 5 minutes after 1 March 2026 (the day wrapping after 28 days).
RecordTime timeOf(unsigned n) {
  const unsigned minutes = 5 * n;
  RecordTime time;
  time.year = 2026;
  time.month = 3;
  time.day = 1 + minutes / 1440 % 28;
  time.hour = static_cast<int>(minutes / 60 % 24);
  time.minute = static_cast<int>(minutes % 60);
  return time;
}

std::int32_t pressureOf(unsigned n) { return 100000 + static_cast<std::int32_t>(n % 5000); }

// Readies the reading a record is built from.
void prepareRecord(AppContext& app, unsigned n) {
  app.settings.dataMode = DataMode::Kx;
  app.acquisition.recordCounter = n;
  const RecordTime time = timeOf(n);
  app.reading.utcTime.year = static_cast<int>(time.year);
  app.reading.utcTime.month = static_cast<int>(time.month);
  app.reading.utcTime.day = static_cast<int>(time.day);
  app.reading.utcTime.hour = time.hour;
  app.reading.utcTime.minute = time.minute;
  app.reading.pressure = pressureOf(n);
}

// Record n as appendRecord writes it (no tendencies, no variation).
std::string expectedRecord(unsigned n) {
  const LogRecord record = encodeLogRecord(n, timeOf(n), pressureOf(n), 0, 0, 0, 0);
  return std::string(record.data(), record.size());
}

// For a child process: no file may grow past `bytes`; a write beyond fails with
// EFBIG (after what still fits) instead of killing the process.
void limitFileSizeTo(std::size_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit full{static_cast<rlim_t>(bytes), limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &full);
}

std::string recordFor(unsigned n) {
  TestApp scratch;
  prepareRecord(scratch.app, n);
  appendRecord(scratch.app);
  return scratch.dir.read(kLogFileName);
}

// A log is sound when it is a whole number of records, each valid and ending in CR LF.
::testing::AssertionResult wholeValidRecords(const std::string& log) {
  if (log.size() % kLogRecordSize != 0) {
    return ::testing::AssertionFailure() << log.size() << " bytes is not a whole number of records";
  }
  for (std::size_t at = 0; at < log.size(); at += kLogRecordSize) {
    LastDecodedRecord d;
    if (log.compare(at + kLogRecordSize - 2, 2, "\r\n") != 0 ||
        parseLogRecord(d, LogRecordMode::Decode, log.data() + at) != 1) {
      return ::testing::AssertionFailure() << "record " << at / kLogRecordSize << " is damaged";
    }
  }
  return ::testing::AssertionSuccess();
}

// Bytes in a file of the directory, 0 when it is missing.
std::size_t sizeOf(const fakes::TempDir& dir, const std::string& name) {
  struct stat st {};
  return ::stat(dir.file(name).c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

// Spins for about `micros` microseconds: a sleep would last far longer than the
// few microseconds a real reader holds a file.
void spinFor(int micros) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(micros);
  while (std::chrono::steady_clock::now() < until) {
  }
}

// Another program that keeps taking the log's lock for a moment and letting go
// (a viewer, a backup, a second reader), until the object dies.
class LockContender {
public:
  explicit LockContender(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::alarm(60); // never outlive a test that went wrong
      for (bool first = true;; first = false) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
          spinFor(20);
        }
        if (fd >= 0) {
          ::close(fd);
        }
        if (first) {
          (void)!::write(ready[1], "1", 1);
          ::close(ready[1]);
        }
        spinFor(20);
      }
    }
    ::close(ready[1]);
    char c = 0;
    running_ = pid_ > 0 && ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
  }
  ~LockContender() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  LockContender(const LockContender&) = delete;
  LockContender& operator=(const LockContender&) = delete;
  bool running() const { return running_; }

private:
  pid_t pid_ = -1;
  bool running_ = false;
};

// --- The disk filling up under the log ---------------------------------------------

TEST(DiskFull, AppendToAFullDiskReportsTheEventAndTheNextRecordIsWhole) {
  TestApp t;
  std::string log;
  for (unsigned n = 1; n <= 3; ++n) {
    prepareRecord(t.app, n);
    appendRecord(t.app);
    log += recordFor(n);
  }
  ASSERT_EQ(t.dir.read(kLogFileName), log);

  // In a child process no file may grow past the log's size: not one byte of the
  // next record fits (the protocol line is shorter than the log, so it still does).
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    limitFileSizeTo(log.size());
    prepareRecord(t.app, 4);
    appendRecord(t.app);
    ::_exit(t.dir.read(kLogFileName) == log ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the full disk changed the log";
  EXPECT_TRUE(hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed));

  // Space again: the records from before are all there and the next one lands whole.
  // (The refused record waited in the child, which is gone; its late write is
  // covered where the disk is faked.)
  prepareRecord(t.app, 5);
  appendRecord(t.app);
  EXPECT_EQ(t.dir.read(kLogFileName), log + recordFor(5));
}

// A log name that leads to a device (here one that is always full) is no log:
// the append fails as a failed open, and nothing is written anywhere.
TEST(DiskFull, ALogNameLeadingToADeviceIsRefusedAsAFailedOpen) {
  TestApp t;
  ASSERT_EQ(::symlink("/dev/full", t.dir.file(kLogFileName).c_str()), 0);
  prepareRecord(t.app, 1);
  appendRecord(t.app);
  EXPECT_TRUE(hasEvent(t.dir.read("monitor.err"), Event::FileOpenFailed));
  EXPECT_FALSE(hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed));
}

// A disk that fills in the middle of a record takes part of it: the fragment must not
// stay, or every later record would be off the 80-byte grid.
TEST(DiskFull, ARecordCutShortByTheDiskFillingIsTakenBackWhole) {
  TestApp t;
  std::string log;
  for (unsigned n = 1; n <= 3; ++n) {
    prepareRecord(t.app, n);
    appendRecord(t.app);
    log += recordFor(n);
  }
  const std::string expected = log + recordFor(5);

  // The child process may grow no file past the log's size and half a record; the
  // kernel then takes 40 bytes of the next record and refuses the rest.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    limitFileSizeTo(log.size() + kLogRecordSize / 2);
    t.app.settings.logEvents = 0; // the protocol would hit the same limit; its event has its own test
    prepareRecord(t.app, 4);
    appendRecord(t.app);
    const bool cut = t.dir.read(kLogFileName) == log;
    ::_exit(cut ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the fragment of the cut record stayed in the log";

  // The parent has no limit: the record after the fault follows the whole ones.
  prepareRecord(t.app, 5);
  appendRecord(t.app);
  EXPECT_EQ(t.dir.read(kLogFileName), expected);
}

TEST(DiskFull, TheEventOfACutRecordIsReported) {
  TestApp t;
  prepareRecord(t.app, 1);
  appendRecord(t.app);
  const std::string log = t.dir.read(kLogFileName);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Room for the protocol line, not for a second record.
    limitFileSizeTo(log.size() + kLogRecordSize / 2);
    prepareRecord(t.app, 2);
    appendRecord(t.app);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(t.dir.read(kLogFileName), log);
  EXPECT_TRUE(hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed));
}

// The settings are written at shutdown, when the disk may be full: a write that
// stores part of the file, or none of it, must leave the file from before.
TEST(DiskFull, TheSettingsFileSurvivesAFullDisk) {
  for (std::size_t room : {std::size_t{0}, std::size_t{64}}) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    TestApp t;
    applyDefaultSettings(t.app.settings);
    t.app.settings.displayStep = 900;
    t.app.settings.heightCorrection = 250;
    saveSettings(t.app);
    const std::string old = t.dir.read("monitor.ini");
    ASSERT_EQ(old.size(), 125u);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      limitFileSizeTo(room);
      t.app.settings.displayStep = 1800;
      t.app.settings.heightCorrection = -250;
      saveSettings(t.app);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(t.dir.read("monitor.ini"), old);
    EXPECT_FALSE(t.dir.exists("monitor.ini.new"));
    if (room > 0) {
      EXPECT_TRUE(
          hasEvent(t.dir.read("monitor.err"), Event::ReadWriteFailed)); // the protocol line itself fits
    }
  }
}

// --- Files another program holds ----------------------------------------------------

TEST(HeldFiles, ALogHeldByAnotherProcessDelaysTheRecordAndKeepsTheLog) {
  TestApp t;
  prepareRecord(t.app, 1);
  appendRecord(t.app);
  const std::string log = t.dir.read(kLogFileName);
  {
    fakes::HeldByOtherProcess other(t.dir.file(kLogFileName));
    ASSERT_TRUE(other.held());
    const auto start = std::chrono::steady_clock::now();

    prepareRecord(t.app, 2);
    appendRecord(t.app);
    EXPECT_TRUE(hasEvent(t.dir.read("monitor.err"), Event::FileOpenFailed))
        << "the failed append goes unreported";

    t.app.history[0].day = 7;
    EXPECT_EQ(loadHistory(t.app), 0);
    EXPECT_EQ(t.app.history[0].day, 0) << "a history from before the failed load is still shown";

    const LogCheckOutcome check = runLogCheck(t.app);
    EXPECT_EQ(check.status, LogCheckOutcome::Status::Failed);
    EXPECT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_FALSE(t.app.acquisition.acquisitionPaused);
    EXPECT_FALSE(t.dir.exists(kCheckBackupFileName));

    // Every one of these gave up at once rather than waiting for the lock.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
  EXPECT_EQ(t.dir.read(kLogFileName), log);
  prepareRecord(t.app, 3);
  appendRecord(t.app);
  EXPECT_EQ(t.dir.read(kLogFileName), log + recordFor(2) + recordFor(3)) << "the held-up record comes first";
}

TEST(HeldFiles, ASentenceFileHeldByAnotherProcessLosesTheSentence) {
  TestApp t;
  t.app.settings.dataMode = DataMode::Nmea;
  const std::string line = "$PGRMZ,1013,f,3*1F\r\n";
  appendNmeaSentence(t.app, line.data(), line.size());
  const std::string sentences = t.dir.read(kNmeaFileName);
  ASSERT_EQ(sentences, "$PGRMZ,1013,f,3*1F\r\n");
  {
    fakes::HeldByOtherProcess other(t.dir.file(kNmeaFileName));
    ASSERT_TRUE(other.held());
    appendNmeaSentence(t.app, line.data(), line.size());
    EXPECT_TRUE(hasEvent(t.dir.read("monitor.err"), Event::FileOpenFailed));
  }
  EXPECT_EQ(t.dir.read(kNmeaFileName), sentences);
  appendNmeaSentence(t.app, line.data(), line.size());
  EXPECT_EQ(t.dir.read(kNmeaFileName), sentences + sentences);
}

// A monitor on the timer path from 10:04:55 UTC to 10:10:04: a sentence every second,
// its pressure a little different each second, and five timer ticks per second.
// `eachSecond` runs before the second's sentence with the seconds gone so far.
std::string recordedSession(TestApp& t, const std::function<void(int)>& eachSecond) {
  t.app.settings.dataMode = DataMode::Kx;
  t.app.settings.recordInterval = 300;
  t.app.settings.logEvents = 1;
  t.clock.utc = {2026, 12, 7, 10, 4, 55, 1};
  const std::string port = std::string("COM") + static_cast<char>(t.app.settings.portDigit);
  t.ports.add(port);
  if (openSerialPort(t.app, PortErrors::Show) != 1) {
    ADD_FAILURE() << "the port did not open";
    return {};
  }
  for (int second = 0; second < 5 * 60 + 10; ++second) {
    eachSecond(second);
    char sentence[64];
    std::snprintf(sentence, sizeof sentence, "$PXDR,0998.%02d,52684,+01.2,+03.5\r\n", second % 97);
    t.ports.feed(port, sentence);
    for (int tick = 0; tick < 5; ++tick) {
      onTimer(t.app);
    }
    t.clock.advanceSeconds(1);
  }
  return t.dir.read(kLogFileName);
}

// Another program holds the log across the 10:05 boundary for three seconds (by the
// monitor's clock): the record comes late but whole, exactly as it would have been,
// and the 10:10 record follows it.
TEST(HeldFiles, ARecordHeldUpByAnotherProcessIsWrittenLateByteForByte) {
  TestApp undisturbed;
  const std::string expected = recordedSession(undisturbed, [](int) {});
  ASSERT_EQ(expected.size(), 2u * kLogRecordSize) << "10:05 and 10:10";
  ASSERT_FALSE(undisturbed.dir.exists("monitor.err"));

  TestApp t;
  t.dir.write(kLogFileName, "");
  std::optional<fakes::HeldByOtherProcess> other;
  bool heldAtBoundary = false;
  const std::string log = recordedSession(t, [&](int second) {
    if (second == 3) { // 10:04:58
      other.emplace(t.dir.file(kLogFileName));
      ASSERT_TRUE(other->held());
    }
    if (second == 5) { // 10:05:00, the boundary
      heldAtBoundary = other.has_value();
    }
    if (second == 6) { // three seconds of ticks later
      EXPECT_EQ(t.dir.read(kLogFileName), "") << "the boundary's record went past the lock";
      other.reset();
    }
  });
  EXPECT_TRUE(heldAtBoundary);
  EXPECT_EQ(log, expected);
  EXPECT_EQ(eventCount(t.dir.read("monitor.err"), Event::FileOpenFailed), 1u) << t.dir.read("monitor.err");
}

// Another program keeps taking and releasing the log's lock while records are
// appended. An append that meets the lock fails (and reports it), but it may
// never cost the records before it: the log only grows, and once the log is
// free again it holds every record, the late ones included, in order.
TEST(HeldFiles, ALogTakenAndReleasedByAnotherProcessIsNeverTruncated) {
  TestApp t;
  for (unsigned n = 1; n <= 100; ++n) {
    prepareRecord(t.app, n);
    appendRecord(t.app);
  }
  ASSERT_EQ(sizeOf(t.dir, kLogFileName), 100 * kLogRecordSize);

  std::set<unsigned> reportedFailed;
  unsigned n = 100;
  {
    LockContender other(t.dir.file(kLogFileName));
    ASSERT_TRUE(other.running());
    std::size_t before = sizeOf(t.dir, kLogFileName);
    // Until enough appends met the lock to make the race likely; bounded either way.
    while (reportedFailed.size() < 2000 && n < 40000) {
      // Appends here come microseconds apart, not five minutes: on a loaded machine
      // the other process can hold the lock across hundreds of them. Stay within the
      // day of records that may wait, which has its own test.
      while (t.app.recording.pending.size() + 1 >= kPendingRecordLimit) {
        appendPendingRecords(t.app);
      }
      ++n;
      const std::size_t events = sizeOf(t.dir, "monitor.err");
      prepareRecord(t.app, n);
      appendRecord(t.app);
      if (sizeOf(t.dir, "monitor.err") != events) {
        reportedFailed.insert(n);
      }
      const std::size_t now = sizeOf(t.dir, kLogFileName);
      ASSERT_GE(now, before) << "the log shrank at record " << n;
      before = now;
    }
  }
  RecordProperty("appends", static_cast<int>(n - 100));
  RecordProperty("appends_reported_failed", static_cast<int>(reportedFailed.size()));
  EXPECT_GT(reportedFailed.size(), 0u) << "the other process never held the log";
  // One more record with the log free.
  ++n;
  prepareRecord(t.app, n);
  appendRecord(t.app);

  const std::string log = t.dir.read(kLogFileName);
  ASSERT_TRUE(wholeValidRecords(log));
  std::set<unsigned> present;
  unsigned last = 0;
  for (std::size_t at = 0; at < log.size(); at += kLogRecordSize) {
    const unsigned counter = static_cast<unsigned>(std::stoul(log.substr(at, 6)));
    ASSERT_GT(counter, last) << "records out of order at byte " << at;
    ASSERT_EQ(log.substr(at, kLogRecordSize), expectedRecord(counter));
    present.insert(counter);
    last = counter;
  }
  for (unsigned k = 1; k <= n; ++k) {
    ASSERT_EQ(present.count(k), 1u) << "record " << k << " is missing"
                                    << (reportedFailed.count(k) ? " (its append was reported failed)" : "");
  }
}

// --- The program killed while it records ---------------------------------------------

// Kills a recording monitor at a hundred random instants. The system may cut a write at a
// page boundary, so a kill can leave the first bytes of the record being written; after
// each kill the log must be valid whole records, none of those before the kill missing,
// and at most that one fragment, which the next writer cuts off before it appends.
TEST(Killed, RecordingKilledAtRandomInstantsLeavesWholeRecords) {
  TestApp t;
  const std::string port = std::string("COM") + static_cast<char>(t.app.settings.portDigit);
  t.ports.add(port);
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> pause(0, 4000); // microseconds
  unsigned next = 1;
  std::size_t before = 0;
  for (int round = 0; round < 100; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The whole recording path: a sentence, five minutes on, one acquisition cycle.
      t.app.settings.dataMode = DataMode::Kx;
      t.app.settings.recordInterval = 300;
      t.app.acquisition.recordCounter = next;
      openSerialPort(t.app, PortErrors::Quiet);
      for (;;) {
        t.ports.feed(port, "$PXDR,0998.60,52684,+01.2,+03.5\r\n");
        t.clock.advanceSeconds(300);
        acquisitionTick(t.app);
      }
    }
    if (round == 0) {
      // A child can take milliseconds to get going (more so under the sanitizers); the
      // first one records before it dies, so that the later kills have records to lose.
      fakes::waitFor([&] { return t.dir.read(kLogFileName).size() >= kLogRecordSize; });
    } else {
      ::usleep(static_cast<useconds_t>(pause(random)));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string log = t.dir.read(kLogFileName);
    const std::size_t whole = log.size() - log.size() % kLogRecordSize;
    ASSERT_TRUE(wholeValidRecords(log.substr(0, whole))) << "after kill " << round;
    ASSERT_GE(whole, before) << "records vanished in kill " << round;
    before = whole;
    next += 1000;
  }
  EXPECT_GT(before, 0u);
  EXPECT_FALSE(t.dir.exists("monitor.err")) << t.dir.read("monitor.err");
  // A fragment the last kill may have left goes with the next record.
  t.app.settings.dataMode = DataMode::Kx;
  t.app.settings.recordInterval = 300;
  t.app.acquisition.recordCounter = next;
  openSerialPort(t.app, PortErrors::Quiet);
  t.ports.feed(port, "$PXDR,0998.60,52684,+01.2,+03.5\r\n");
  t.clock.advanceSeconds(300);
  acquisitionTick(t.app);
  const std::string log = t.dir.read(kLogFileName);
  EXPECT_TRUE(wholeValidRecords(log));
  EXPECT_EQ(log.size(), before + kLogRecordSize);
}

} // namespace
} // namespace baromon
