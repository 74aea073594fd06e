// The diurnal window reads the whole log and redoes the phase search on every
// paint: against a log of 32000 records (the most it reads), compared with the
// file read alone and the 360 x 288 + 288 sines alone.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "core/analysis/DiurnalRhythm.h"
#include "core/display/DrawingResources.h"
#include "core/store/LogRecord.h"
#include "support/TestApp.h"

namespace {

using baromon::fakes::TestApp;

// A canvas that only counts, so that the paint's own work is measured.
class CountingCanvas final : public baromon::platform::Canvas {
public:
  long calls = 0;
  baromon::platform::ObjectHandle select(baromon::platform::ObjectHandle h) override { return ++calls, h; }
  void moveTo(int, int) override { ++calls; }
  void lineTo(int, int) override { ++calls; }
  void setPixel(int, int, baromon::platform::Rgb) override { ++calls; }
  void rectangle(int, int, int, int) override { ++calls; }
  void textOut(int, int, const char*, int) override { ++calls; }
  baromon::platform::Rgb setTextColour(baromon::platform::Rgb c) override { return c; }
  baromon::platform::BackgroundMode setBackgroundMode(baromon::platform::BackgroundMode m) override {
    return m;
  }
  baromon::platform::TextMetrics textMetrics() override { return {16, 0, 8, 8}; }
  baromon::platform::CanvasSize size() const override { return {500, 250}; }
};

void writeLog(TestApp& t, int records) {
  std::string log;
  log.reserve(static_cast<std::size_t>(records) * 80);
  for (int i = 0; i < records; ++i) {
    int minutes = i * 5;
    baromon::RecordTime time{1u + static_cast<unsigned>(minutes / 1440 % 28),
                             1u + static_cast<unsigned>(minutes / 40320 % 12), 2024, minutes / 60 % 24,
                             minutes % 60};
    auto r = baromon::encodeLogRecord(static_cast<std::uint32_t>(i + 1), time,
                                      101300 + static_cast<int>(60 * std::sin(i / 45.8)), i % 21 - 10,
                                      i % 41 - 20, i % 30, 0);
    log.append(r.data(), r.size());
  }
  t.dir.write("monitor.txt", log);
}

void BM_PaintDiurnalRhythm32000(benchmark::State& state) {
  TestApp t;
  writeLog(t, 32000);
  baromon::createScreenPens(t.app);
  CountingCanvas canvas;
  for (auto _ : state) {
    benchmark::DoNotOptimize(baromon::paintDiurnalRhythm(t.app, canvas));
  }
  state.counters["canvas calls/paint"] = static_cast<double>(canvas.calls) / state.iterations();
}
BENCHMARK(BM_PaintDiurnalRhythm32000)->Unit(benchmark::kMillisecond);

// Reading and folding the records alone.
void BM_LoadDiurnalBins32000(benchmark::State& state) {
  TestApp t;
  writeLog(t, 32000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(baromon::loadDiurnalBins(t.files, t.app.diurnal));
  }
}
BENCHMARK(BM_LoadDiurnalBins32000)->Unit(benchmark::kMillisecond);

// The raw file read of 2,560,000 bytes, without decoding.
void BM_ReadLogBytes32000(benchmark::State& state) {
  TestApp t;
  writeLog(t, 32000);
  std::string buffer(32000 * 80, '\0');
  for (auto _ : state) {
    auto file = t.files.open("monitor.txt", baromon::platform::FileAccess::Read,
                             baromon::platform::OpenMode::OpenExisting);
    benchmark::DoNotOptimize(file->read(buffer.data(), buffer.size()));
  }
}
BENCHMARK(BM_ReadLogBytes32000)->Unit(benchmark::kMillisecond);

// The 360 x 288 + 288 = 103,968 sines of the search and the final curve, alone.
void BM_Sines103968(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0;
    for (int a = 0; a <= 360; ++a) {
      for (int i = 0; i < 288; ++i) {
        sum += 50.0 * std::sin(i * (6.283185307 / 144.0) + a * (6.283185307 / 360.0));
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Sines103968)->Unit(benchmark::kMillisecond);

// The search on bins already loaded: the sines plus the deviations and comparisons.
void BM_PhaseSearch(benchmark::State& state) {
  TestApp t;
  writeLog(t, 32000);
  baromon::loadDiurnalBins(t.files, t.app.diurnal);
  for (auto _ : state) {
    benchmark::DoNotOptimize(baromon::searchDiurnalPhase(t.app.diurnal));
  }
}
BENCHMARK(BM_PhaseSearch)->Unit(benchmark::kMillisecond);

} // namespace
