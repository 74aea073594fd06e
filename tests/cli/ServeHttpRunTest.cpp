#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramRun.h"
#include "WebClient.h"
#include "support/LogBuilder.h"
#include "support/OtherProcess.h"
#include "support/Loopback.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

// The logger's web server asked as scripts ask it: values, history, pictures, metrics and
// the requests it refuses.

namespace {

using baromon::clitest::askServer;
using baromon::clitest::BaromonChild;
using baromon::clitest::Outcome;
using baromon::clitest::RawTerminal;
using baromon::clitest::runBaromonIn;
using baromon::fakes::TempDir;

// KX mode on COM2, recording every five minutes, English.
const std::string kSettings = baromon::clitest::monitorSettings("  KX");

// A day and an hour of records from 1 January 2026 00:00, the monitor serving it on a free
// loopback port with a pseudo-terminal as its barograph.
struct ServedLog {
  TempDir dir;
  RawTerminal device;
  int port = baromon::fakes::freePort();
  std::unique_ptr<BaromonChild> monitor;

  ServedLog() {
    dir.write("monitor.ini", kSettings);
    dir.write("monitor.txt", baromon::testlog::gridLog(300, 0, 100000));
    monitor = std::make_unique<BaromonChild>(dir.path(),
                                             std::vector<std::string>{"--headless", "--port",
                                                                      "2=" + device.name(), "--serve-http",
                                                                      "127.0.0.1:" + std::to_string(port)},
                                             dir.file("out.txt"));
  }

  Outcome ask(const std::string& command) const { return askServer(dir, port, command); }

  // Sends `sentence` until the served values show `expected` (a line of "json").
  bool sendUntilServed(const std::string& sentence, const std::string& expected) {
    return baromon::fakes::waitFor(
        [&] {
          device.send(sentence);
          return ask("json /api/v1/current").out.find(expected) != std::string::npos;
        },
        std::chrono::seconds(20));
  }
};

// The export's header and the rows whose "date time" lies within from..to.
std::string rowsBetween(const std::string& csv, const std::string& from, const std::string& to) {
  std::string out;
  std::size_t at = 0;
  while (at < csv.size()) {
    const std::size_t end = csv.find('\n', at);
    const std::string line = csv.substr(at, end - at + 1);
    const std::size_t comma = line.find(',');
    const std::string when = line.substr(comma + 1, 16); // "YYYY-MM-DD,HH:MM"
    if (at == 0 || (when.substr(0, 10) + " " + when.substr(11) >= from &&
                    when.substr(0, 10) + " " + when.substr(11) <= to)) {
      out += line;
    }
    at = end + 1;
  }
  return out;
}

TEST(ServeHttp, CurrentValuesAndMetricsAreThoseOfTheLastSentence) {
  ServedLog served;
  ASSERT_TRUE(served.device.ok());
  ASSERT_TRUE(baromon::clitest::serverAnswers(served.dir, served.port)) << served.dir.read("out.txt");

  ASSERT_TRUE(
      served.sendUntilServed("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", "pressure_hpa=998.6"));
  const std::string quiet = served.ask("json /api/v1/current").out;
  EXPECT_NE(quiet.find("tendency_1h_hpa=1.2\n"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("tendency_3h_hpa=3.5\n"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("tendency_6h_hpa=null\n"), std::string::npos) << "no pressure six hours back yet";
  EXPECT_NE(quiet.find("valid=true\n"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("language=\"EN\"\n"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("\"alarm\": false"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("time_utc=\"20"), std::string::npos) << quiet;

  // A fall of 1.5 hPa in an hour is the alarm; 4.0 in three hours is not yet.
  ASSERT_TRUE(
      served.sendUntilServed("$PXDR,0990.10,52684,-01.5,-04.0,-0300,0995.40\r\n", "pressure_hpa=990.1"));
  const std::string falling = served.ask("json /api/v1/current").out;
  EXPECT_NE(falling.find("fast_fall={\"alarm\": true, \"one_hour\": true, \"six_hours\": false, "
                         "\"three_hours\": false}"),
            std::string::npos)
      << falling;

  const Outcome metrics = served.ask("metrics");
  ASSERT_EQ(metrics.status, 0) << "the Prometheus parser refused /metrics:\n" << metrics.out;
  EXPECT_NE(metrics.out.find("baromon_pressure_hpa gauge baromon_pressure_hpa{} 990.1\n"), std::string::npos)
      << metrics.out;
  EXPECT_NE(metrics.out.find("baromon_tendency_hpa gauge baromon_tendency_hpa{span=1h} -1.5\n"),
            std::string::npos)
      << metrics.out;
  EXPECT_NE(metrics.out.find("baromon_tendency_hpa gauge baromon_tendency_hpa{span=3h} -4\n"),
            std::string::npos)
      << metrics.out;
  for (const char* counter : {"baromon_lines_received", "baromon_sentences_valid",
                              "baromon_sentences_rejected", "baromon_records_written"}) {
    EXPECT_NE(metrics.out.find(std::string(counter) + " counter " + counter + "_total{} "), std::string::npos)
        << counter << " in\n"
        << metrics.out;
  }
  EXPECT_NE(metrics.out.find("baromon_records_waiting gauge baromon_records_waiting{} 0\n"),
            std::string::npos);
  EXPECT_NE(metrics.out.find("baromon_uptime_seconds gauge"), std::string::npos);
  // No monitor.ini.bad, no missing settings: the start reported nothing.
  EXPECT_EQ(metrics.out.find("baromon_events_total"), std::string::npos) << metrics.out;
  EXPECT_EQ(served.monitor->stop(SIGTERM), 0);
}

TEST(ServeHttp, HistoryRowsAreTheRowsOfTheExport) {
  ServedLog served;
  ASSERT_TRUE(baromon::clitest::serverAnswers(served.dir, served.port)) << served.dir.read("out.txt");
  const Outcome exported = runBaromonIn(served.dir, "export");
  ASSERT_EQ(exported.status, 0);
  ASSERT_EQ(std::count(exported.out.begin(), exported.out.end(), '\n'), 301);

  const Outcome all = served.ask("get '/api/v1/history?format=csv'");
  EXPECT_EQ(all.out, "200 text/csv; charset=utf-8\n" + exported.out);

  // Both ends of a range belong to it; `to` as a date is the whole day.
  const std::string range = rowsBetween(exported.out, "2026-01-01 12:00", "2026-01-01 12:30");
  ASSERT_EQ(std::count(range.begin(), range.end(), '\n'), 8) << range;
  const Outcome part =
      served.ask("get '/api/v1/history?format=csv&from=2026-01-01T12:00&to=2026-01-01T12:30'");
  EXPECT_EQ(part.out, "200 text/csv; charset=utf-8\n" + range);
  const Outcome asJson =
      served.ask("history-as-csv '/api/v1/history?from=2026-01-01T12:00&to=2026-01-01T12:30'");
  EXPECT_EQ(asJson.out, range);
  const std::string secondDay = rowsBetween(exported.out, "2026-01-02 00:00", "2026-01-02 23:59");
  ASSERT_EQ(std::count(secondDay.begin(), secondDay.end(), '\n'), 13) << secondDay;
  EXPECT_EQ(served.ask("get '/api/v1/history?format=csv&from=2026-01-02&to=2026-01-02'").out,
            "200 text/csv; charset=utf-8\n" + secondDay);
  EXPECT_EQ(served.ask("get '/api/v1/history?from=2027-01-01'").out, "200 application/json\n[\n]\n");
}

// A log another program holds for a moment is waited for, as export waits; one held on is
// an error the client sees, never a short list that looks whole.
TEST(ServeHttp, AHeldLogIsWaitedForAndNeverAnsweredAsEmpty) {
  ServedLog served;
  ASSERT_TRUE(baromon::clitest::serverAnswers(served.dir, served.port)) << served.dir.read("out.txt");
  const Outcome exported = runBaromonIn(served.dir, "export");
  std::optional<baromon::fakes::HeldByOtherProcess> holder(std::in_place, served.dir.file("monitor.txt"));
  ASSERT_TRUE(holder->held());
  std::string answer;
  std::thread asking([&] { answer = served.ask("get '/api/v1/history?format=csv'").out; });
  // Nothing outside shows that the request waits: it is given a second to start doing so.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  holder.reset();
  asking.join();
  EXPECT_EQ(answer, "200 text/csv; charset=utf-8\n" + exported.out);

  baromon::fakes::HeldByOtherProcess stays(served.dir.file("monitor.txt"));
  ASSERT_TRUE(stays.held());
  const Outcome held = served.ask("get '/api/v1/history?format=csv'");
  EXPECT_EQ(held.out, "503 text/plain; charset=utf-8\nmonitor.txt is held by another program; try again\n");
}

TEST(ServeHttp, PicturesAreThoseRenderDraws) {
#ifndef BAROMON_PICTURES_EXE
  GTEST_SKIP() << "built without the picture program";
#else
  ServedLog served;
  ASSERT_TRUE(baromon::clitest::serverAnswers(served.dir, served.port)) << served.dir.read("out.txt");
  const struct {
    const char* query;
    const char* renderArgs;
  } cases[] = {
      {"/barogram.png", "render r.png"},
      {"/barogram.png?width=640&height=360&offset=50&paper=1",
       "render r.png --size 640x360 --offset 50 --paper"},
      {"/diurnal.png?width=400&height=200", "diurnal r.png --size 400x200"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    ASSERT_EQ(runBaromonIn(served.dir, c.renderArgs).status, 0);
    const Outcome served1 = served.ask(std::string("get '") + c.query + "'");
    ASSERT_EQ(served1.out.rfind("200 image/png\n", 0), 0u) << served1.out.substr(0, 200);
    EXPECT_TRUE(served1.out.substr(std::string("200 image/png\n").size()) == served.dir.read("r.png"))
        << "the served picture is not the one render draws";
  }
  // A server runs for months and draws a picture every few minutes: the faces are not
  // kept between pictures (their files stayed mapped, FreeType's tables allocated).
  std::ifstream maps("/proc/" + std::to_string(served.monitor->pid()) + "/maps");
  const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  ASSERT_NE(mapped.find("baromon"), std::string::npos) << "not the monitor's map";
  EXPECT_EQ(mapped.find(".ttf"), std::string::npos) << mapped;
#endif
}

TEST(ServeHttp, BadRequestsAreRefusedWithAMessage) {
  ServedLog served;
  ASSERT_TRUE(baromon::clitest::serverAnswers(served.dir, served.port)) << served.dir.read("out.txt");
  const struct {
    const char* path;
    const char* answer;
  } cases[] = {
      {"/barogram.png?width=100",
       "400 text/plain; charset=utf-8\nwidth takes a whole number from 101 to 20000, "
       "not '100'\n"},
      {"/barogram.png?height=20001", "400 text/plain; charset=utf-8\nheight takes a whole number from 71 to "
                                     "20000, not '20001'\n"},
      {"/barogram.png?width=12x",
       "400 text/plain; charset=utf-8\nwidth takes a whole number from 101 to 20000, "
       "not '12x'\n"},
      {"/barogram.png?width=20000&height=20000",
       "400 text/plain; charset=utf-8\nwidth x height may be at most 16777216 pixels\n"},
      {"/barogram.png?days=0",
       "400 text/plain; charset=utf-8\ndays takes a whole number from 1 to 21, not '0'\n"},
      {"/barogram.png?offset=-5",
       "400 text/plain; charset=utf-8\noffset takes a whole number from 1 to 999999, not '-5'\n"},
      {"/barogram.png?paper=yes",
       "400 text/plain; charset=utf-8\npaper takes a whole number from 0 to 1, not "
       "'yes'\n"},
      {"/barogram.png?size=1x1", "400 text/plain; charset=utf-8\nunknown argument 'size'\n"},
      {"/barogram.png?width=200&width=300",
       "400 text/plain; charset=utf-8\nan argument is given more than once\n"},
      {"/diurnal.png?height=70",
       "400 text/plain; charset=utf-8\nheight takes a whole number from 71 to 20000, "
       "not '70'\n"},
      {"/api/v1/history?from=2026-13-01",
       "400 text/plain; charset=utf-8\nfrom takes YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), not '2026-13-01'\n"},
      {"/api/v1/history?to=yesterday",
       "400 text/plain; charset=utf-8\nto takes YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), not 'yesterday'\n"},
      {"/api/v1/history?format=xml", "400 text/plain; charset=utf-8\nformat takes json or csv, not 'xml'\n"},
      {"/api/v1/current?x=1", "400 text/plain; charset=utf-8\nunknown argument 'x'\n"},
      {"/api/v2/current", "404 text/plain; charset=utf-8\nnot found: /api/v2/current\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(served.ask(std::string("get '") + c.path + "'").out, c.answer) << c.path;
  }
  EXPECT_EQ(served.ask("post /api/v1/current").out, "405\n");
  // Still serving after all of them.
  EXPECT_EQ(served.ask("get /api/v1/current").out.rfind("200 application/json\n", 0), 0u);
}

// The listening sockets of the system in LISTEN state on `port`, as "ADDRESS:PORT" in
// /proc/net/tcp's hexadecimal.
std::string listenersOn(int port) {
  std::string found;
  char wanted[8];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state;
      fields >> slot >> local >> remote >> state;
      if (state == "0A" && local.size() > 5 && local.substr(local.size() - 5) == wanted) {
        found += local + "\n";
      }
    }
  }
  return found;
}

TEST(ServeHttp, APortAloneListensOnTheLoopbackOnly) {
  TempDir dir;
  const int port = baromon::fakes::freePort();
  BaromonChild monitor(dir.path(), {"--headless", "--serve-http", std::to_string(port)}, dir.file("out.txt"));
  ASSERT_TRUE(baromon::clitest::serverAnswers(dir, port)) << dir.read("out.txt");
  char loopback[16];
  std::snprintf(loopback, sizeof loopback, "0100007F:%04X\n", port);
  EXPECT_EQ(listenersOn(port), loopback);
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
}

} // namespace
