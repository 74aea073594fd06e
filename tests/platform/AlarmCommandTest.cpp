#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "adapters/posix/AlarmCommand.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

// Reads what the command writes into the FIFO `path` until it closes it.
std::string readFifo(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string text;
  char chunk[256];
  ssize_t n;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0) {
    text.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

bool reaped(platform::AlarmCommand& hook) {
  for (int i = 0; i < 1000000 && hook.running() > 0; ++i) {
    hook.poll();
    ::sched_yield();
  }
  return hook.running() == 0;
}

// A storm at a five-minute boundary (the device's own one-hour tendency -2.0 hPa),
// the beep switched off: the user's command still learns of it, from its environment.
TEST(AlarmCommandRun, AFastFallAtABoundaryRunsTheCommandWithTheValuesInItsEnvironment) {
  fakes::TestApp t;
  const std::string fifo = t.dir.path() + "/alarm.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::int64_t seconds = 1000;
  platform::AlarmCommand hook(
      "printf '%s|%s|%s|%s|%s\\n' \"$BAROMON_PRESSURE_HPA\" \"$BAROMON_TENDENCY_1H_HPA\" "
      "\"$BAROMON_TENDENCY_3H_HPA\" \"$BAROMON_TIME_UTC\" \"$#\" > '" +
          fifo + "'",
      false, [&] { return seconds; });
  t.app.platform.alarmHook = &hook;
  t.app.settings.dataMode = DataMode::Kx;
  t.app.settings.recordInterval = 300;
  t.app.settings.beepOnFastFall = 0;
  t.app.settings.heightCorrection = 0;
  t.app.settings.portDigit = '2';
  t.ports.add("COM2");
  ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));

  t.clock.utc = {2026, 12, 7, 10, 4, 59, 1};
  t.ports.feed("COM2", "$PXDR,0998.60,52684,-02.0,-03.5,-0300,0995.40\r\n");
  acquisitionTick(t.app);
  EXPECT_EQ(hook.running(), 0u) << "no boundary yet";
  t.clock.advanceSeconds(1);
  t.ports.feed("COM2", "$PXDR,0998.40,52684,-02.0,-03.5,-0300,0995.40\r\n");
  acquisitionTick(t.app);
  ASSERT_EQ(hook.running(), 1u);
  EXPECT_EQ(readFifo(fifo), "998.40|-2.0|-3.5|2026-12-07T10:05:00Z|0\n");
  EXPECT_TRUE(reaped(hook));
  EXPECT_TRUE(t.windows.beeps.empty()) << "the beep stays off";

  t.clock.advanceSeconds(1);
  t.ports.feed("COM2", "$PXDR,0998.40,52684,-02.0,-03.5,-0300,0995.40\r\n");
  acquisitionTick(t.app);
  EXPECT_EQ(hook.running(), 0u) << "once per boundary";
}

TEST(AlarmCommandRun, ACommandStillRunningAfterAMinuteIsEndedWithItsChildren) {
  std::int64_t seconds = 1000;
  platform::AlarmCommand hook("sleep 1000 & sleep 1000", false, [&] { return seconds; });
  hook.alarm({"998.40", "-2.0", "-3.5", "2026-12-07T10:05:00Z"});
  ASSERT_EQ(hook.running(), 1u);
  seconds += 59;
  hook.poll();
  EXPECT_EQ(hook.running(), 1u) << "a minute is allowed";
  seconds += 1;
  EXPECT_TRUE(reaped(hook)) << "ended and collected";
}

TEST(AlarmCommandRun, HeadlessWritesOneLinePerAlarmEvenWithoutACommand) {
  platform::AlarmCommand hook("", true);
  ::testing::internal::CaptureStderr();
  hook.alarm({"998.40", "-2.0", "-3.5", "2026-12-07T10:05:00Z"});
  hook.alarm({"998.10", "-2.3", "-3.9", "2026-12-07T10:10:00Z"});
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "baromon: fast pressure fall 2026-12-07T10:05:00Z: 998.40 hPa, -2.0 hPa/1h, -3.5 hPa/3h\n"
                 "baromon: fast pressure fall 2026-12-07T10:10:00Z: 998.10 hPa, -2.3 hPa/1h, -3.9 hPa/3h\n");
  EXPECT_EQ(hook.running(), 0u);
}

} // namespace
} // namespace baromon
