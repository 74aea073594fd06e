#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "cli/ProgramRun.h"
#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/EventLogReader.h"
#include "support/OtherProcess.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace baromon {
namespace {

using namespace std::chrono_literals;

// 07.12.2026 07:05:00 UTC: a five-minute boundary for the monitor's whole run.
constexpr const char* kOnABoundary = "1796627100";
constexpr const char* kSentence = "$PXDR,0998.60,52684,+01.2,+03.5\r\n";

// The built monitor, headless, with a pseudo-terminal as COM2 and the test clock preloaded.
struct RealMonitor {
  fakes::TempDir dir;
  clitest::RawTerminal device;
  std::unique_ptr<clitest::BaromonChild> monitor;

  void start(const std::vector<std::string>& environment) {
    monitor = std::make_unique<clitest::BaromonChild>(
        dir.path(), std::vector<std::string>{"--headless", "--port", "2=" + device.name()}, output(),
        environment);
  }
  void startOnABoundary() { start(clitest::testClockEnvironment(std::string(kOnABoundary) + " 0")); }
  std::string output() const { return dir.path() + ".out"; }
  std::string printed() const {
    std::ifstream in(output(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string events() const { return dir.read("monitor.err"); }
  // Sends the sentence until `done` holds (the port may not be open yet); false after 10 s.
  // A device nobody reads fills up: the sentences are then dropped, as a real one's are.
  template <typename Done> bool feedUntil(Done done) {
    ::fcntl(device.master(), F_SETFL, ::fcntl(device.master(), F_GETFL) | O_NONBLOCK);
    return fakes::waitFor([&] {
      (void)device.send(kSentence);
      return done();
    });
  }
  ~RealMonitor() { std::remove(output().c_str()); }
};

// --- The stop writes the records that wait for a held log ----------------------------

struct StopWithAHeldLog : ::testing::Test {
  RealMonitor m;
  std::optional<fakes::HeldByOtherProcess> other;

  // The boundary's record waits: another program holds the log while it falls due.
  void SetUp() override {
    ASSERT_TRUE(m.device.ok());
    m.startOnABoundary();
    ASSERT_TRUE(fakes::waitFor([&] { return m.dir.exists("monitor.ini"); })) << m.printed();
    other.emplace(m.dir.file(kLogFileName));
    ASSERT_TRUE(other->held());
    ASSERT_TRUE(m.feedUntil([&] { return fakes::hasEvent(m.events(), Event::FileOpenFailed); }))
        << m.printed();
    ASSERT_EQ(m.dir.read(kLogFileName), "");
  }
};

TEST_F(StopWithAHeldLog, TheRecordIsWrittenWhenTheLogIsLetGoWithinTheWait) {
  m.monitor->signal(SIGTERM);
  // Let go only once the monitor has left its loop: a tick would write the record too.
  EXPECT_TRUE(fakes::waitFor([&] { return m.printed().find("waiting") != std::string::npos; }, 3s))
      << m.printed();
  other.reset();
  EXPECT_EQ(m.monitor->waitExit(20), 0) << m.printed();

  const std::string log = m.dir.read(kLogFileName);
  ASSERT_EQ(log.size(), static_cast<std::size_t>(kLogRecordSize)) << "the record that waited";
  LastDecodedRecord record;
  ASSERT_EQ(parseLogRecord(record, LogRecordMode::Decode, log.data()), 1);
  EXPECT_EQ(record.sample.pressure, 99860);
  EXPECT_EQ(record.sample.minute, 5);
  EXPECT_FALSE(fakes::hasEvent(m.events(), Event::RecordLostAtStop)) << m.events();
}

TEST_F(StopWithAHeldLog, AHolderThatNeverLetsGoCostsTheRecordAfterABoundedWaitAndSaysSo) {
  const auto stopped = std::chrono::steady_clock::now();
  m.monitor->signal(SIGTERM);
  EXPECT_EQ(m.monitor->waitExit(30), 0) << m.printed();
  const auto took = std::chrono::steady_clock::now() - stopped;
  EXPECT_GE(took, 4s) << "it waited for the log";
  EXPECT_LT(took, 15s) << "far inside a service manager's stop timeout";

  EXPECT_EQ(m.dir.read(kLogFileName), "");
  EXPECT_EQ(fakes::eventCount(m.events(), Event::RecordLostAtStop), 1u) << m.events();
  EXPECT_NE(m.printed().find("1 record"), std::string::npos) << m.printed();
}

// --- A start that ends in a fatal error is a failure ----------------------------------

TEST(FailedStart, SettingsThatCannotBeWrittenEndTheMonitorWith255) {
  RealMonitor m;
  ASSERT_TRUE(m.device.ok());
  fakes::HeldByOtherProcess other(m.dir.file("monitor.ini"));
  ASSERT_TRUE(other.held());
  m.startOnABoundary();
  EXPECT_EQ(m.monitor->waitExit(20), 255) << m.printed();
  EXPECT_NE(m.printed().find("program end"), std::string::npos) << m.printed();
}

// --- Damaged settings do not stop the recording ---------------------------------------

TEST(DamagedSettingsFile, AZeroedFileStillRecordsThePressure) {
  RealMonitor m;
  ASSERT_TRUE(m.device.ok());
  const std::string zeros(125, '\0');
  m.dir.write("monitor.ini", zeros);
  m.startOnABoundary();
  EXPECT_TRUE(m.feedUntil([&] { return m.dir.read(kLogFileName).size() >= kLogRecordSize; }))
      << m.printed() << m.events();
  EXPECT_EQ(m.monitor->stop(SIGTERM), 0);

  const std::string log = m.dir.read(kLogFileName);
  ASSERT_EQ(log.size(), static_cast<std::size_t>(kLogRecordSize));
  LastDecodedRecord record;
  ASSERT_EQ(parseLogRecord(record, LogRecordMode::Decode, log.data()), 1);
  EXPECT_EQ(record.sample.pressure, 99860);
  EXPECT_EQ(m.dir.read("monitor.ini.bad"), zeros);
  EXPECT_EQ(m.dir.read("monitor.ini").substr(0, 19), "DATA=  KX\nCOM=COM2\n");
  const auto events = fakes::parseEventLog(m.events());
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].code, eventCode(Event::SettingsDamaged));
  EXPECT_NE(events[0].text.find("monitor.ini.bad"), std::string::npos) << events[0].text;
}

// --- The headless loop never spins -----------------------------------------------------

// CPU seconds the process has used so far (user and system).
double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name, which is in parentheses and may hold blanks.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) {
      user = std::stoull(field);
    } else if (i == 15) {
      system = std::stoull(field);
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

TEST(RefusedSleeps, TheHeadlessMonitorStillWaitsBetweenTicks) {
  RealMonitor m;
  ASSERT_TRUE(m.device.ok());
  m.start(clitest::testClockEnvironment("", true));
  ASSERT_TRUE(fakes::waitFor([&] { return m.dir.exists("monitor.ini"); })) << m.printed();
  const pid_t pid = m.monitor->pid();
  const double before = cpuSeconds(pid);
  // A real run of the loop is what is measured here; nothing to wait for but time.
  std::this_thread::sleep_for(2s);
  const double used = cpuSeconds(pid) - before;
  EXPECT_LT(used, 0.5) << "CPU seconds in 2 s of ticks";
  EXPECT_EQ(m.monitor->stop(SIGTERM), 0) << m.printed();
}

} // namespace
} // namespace baromon
