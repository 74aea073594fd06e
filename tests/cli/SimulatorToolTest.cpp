#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "core/store/LogRecord.h"
#include "support/TempDir.h"

namespace {

TEST(SimulatorTool, WritesARealisticLogEndingNow) {
  baromon::fakes::TempDir dir;
  const std::string command = std::string(BAROMON_SIM_EXE) + " --log 2 --out " + dir.file("monitor.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string log = dir.read("monitor.txt");
  ASSERT_EQ(log.size(), 2u * 288u * 80u);

  baromon::LastDecodedRecord last;
  std::int32_t lowest = 200000, highest = 0;
  for (std::size_t i = 0; i < log.size() / 80; ++i) {
    ASSERT_EQ(baromon::parseLogRecord(last, baromon::LogRecordMode::Decode, log.data() + i * 80), 1)
        << "record " << i;
    EXPECT_EQ(last.counter, i + 1);
    EXPECT_EQ(last.sample.minute % 5, 0);
    lowest = std::min(lowest, last.sample.pressure);
    highest = std::max(highest, last.sample.pressure);
  }
  EXPECT_GT(lowest, 95000);
  EXPECT_LT(highest, 105000);
  EXPECT_GT(highest - lowest, 50) << "the pressure moves";

  // The last record is the newest five-minute boundary (allow for a boundary passing meanwhile).
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  const int nowMinutes = utc.tm_hour * 60 + utc.tm_min;
  const int lastMinutes = last.sample.hour * 60 + last.sample.minute;
  const int behind = (nowMinutes - lastMinutes + 1440) % 1440;
  EXPECT_LT(behind, 10);
}

TEST(SimulatorTool, PtyModePrintsTheDevicePathFirstAndSendsSentences) {
  std::FILE* sim = ::popen((std::string(BAROMON_SIM_EXE) + " --pty --interval 0.2 --count 3").c_str(), "r");
  ASSERT_NE(sim, nullptr);
  char line[256] = {};
  ASSERT_NE(std::fgets(line, sizeof line, sim), nullptr);
  std::string path(line);
  ASSERT_FALSE(path.empty());
  path.pop_back();
  EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  std::string got;
  for (int i = 0; i < 300 && got.find("$WIXDR,U,") == std::string::npos; ++i) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN) != 0) {
      char buffer[512];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  ::close(fd);
  ::pclose(sim);
  EXPECT_NE(got.find("$PXDR,"), std::string::npos) << got;
  EXPECT_NE(got.find("$WIXDR,P,"), std::string::npos);
  EXPECT_NE(got.find("\r\n"), std::string::npos);
}

} // namespace
