// The store against a log of a million records (80 MB, about nine and a half
// years of five-minute records): the history load runs every five minutes on
// the GUI thread, the check should cost about as much as copying the log.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "core/store/LogRecord.h"
#include "core/store/Store.h"
#include "support/TestApp.h"

namespace {

using namespace baromon;

constexpr int kRecords = 1'000'000;

// One recording on the grid from 1 Jan 2016, numbered as the check numbers it,
// so the check leaves it byte for byte as it was and each run sees the same log.
std::string bigLog() {
  std::string log;
  log.reserve(static_cast<std::size_t>(kRecords) * kLogRecordSize);
  static const int daysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  RecordTime t{1, 1, 2016, 0, 0};
  for (int i = 0; i < kRecords; ++i) {
    const LogRecord r = encodeLogRecord(static_cast<std::uint32_t>(i % 999999 + 1), t, 95000 + i % 9000,
                                        (i % 400) - 200, (i % 900) - 450, i % 300, 0);
    log.append(r.begin(), r.end());
    if ((t.minute += 5) == 60) {
      t.minute = 0;
      if (++t.hour == 24) {
        t.hour = 0;
        const unsigned length = daysIn[t.month - 1] + (t.month == 2 && t.year % 4 == 0 ? 1 : 0);
        if (++t.day > length) {
          t.day = 1;
          if (++t.month > 12) {
            t.month = 1;
            ++t.year;
          }
        }
      }
    }
  }
  return log;
}

fakes::TestApp& appWithBigLog() {
  static std::unique_ptr<fakes::TestApp> t = [] {
    auto made = std::make_unique<fakes::TestApp>();
    made->dir.write("monitor.txt", bigLog());
    made->app.settings.logEvents = 0;
    return made;
  }();
  return *t;
}

void BM_LoadHistoryFromTheEnd(benchmark::State& state) {
  auto& t = appWithBigLog();
  t.app.settings.displayStep = static_cast<unsigned>(state.range(0));
  t.app.view.scrollOffset = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(loadHistory(t.app));
  }
  t.windows.invalidated.clear();
  if (t.app.history[999].day == 0) {
    state.SkipWithError("history not filled");
  }
}
BENCHMARK(BM_LoadHistoryFromTheEnd)->Arg(300)->Arg(1800)->Unit(benchmark::kMicrosecond);

// The check, timed against `cp` copying the same log twice on the same disk;
// the ratio counter is check time / copy time.
void BM_CheckLogFileAgainstCopyingTwice(benchmark::State& state) {
  auto& t = appWithBigLog();
  t.app.settings.displayStep = 300;
  const std::string copyTwice = "cp '" + t.dir.file("monitor.txt") + "' '" + t.dir.file("copy1") +
                                "' && cp '" + t.dir.file("monitor.txt") + "' '" + t.dir.file("copy2") + "'";
  double checkSeconds = 0;
  double copySeconds = 0;
  for (auto _ : state) {
    // Neither side pays for the other's writes: the copies of the last round (and
    // the freshly made log) go to the disk before the clock starts.
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    const int errors = checkLogFile(t.app);
    const auto checked = std::chrono::steady_clock::now();
    const int status = std::system(copyTwice.c_str());
    const auto copied = std::chrono::steady_clock::now();
    if (errors != 0 || status != 0 || t.windows.boxes.back().text.rfind("1000000 records read", 0) != 0) {
      state.SkipWithError("the check or the copy failed");
      break;
    }
    t.windows.boxes.clear();
    const double check = std::chrono::duration<double>(checked - start).count();
    checkSeconds += check;
    copySeconds += std::chrono::duration<double>(copied - checked).count();
    state.SetIterationTime(check);
  }
  state.counters["check_ms"] = benchmark::Counter(checkSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["cp_twice_ms"] = benchmark::Counter(copySeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = copySeconds > 0 ? checkSeconds / copySeconds : 0;
}
BENCHMARK(BM_CheckLogFileAgainstCopyingTwice)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
