#include <benchmark/benchmark.h>

#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "support/RecordingCanvas.h"
#include "support/TestApp.h"

#ifdef BAROMON_HAVE_QT
#include <QGuiApplication>
#include <memory>

#include "adapters/qt/QtCanvas.h"
#endif

namespace {

using namespace baromon;

// A full barogram: 1000 five-minute samples over about three and a half days, a
// fall in the middle, every curve and the variation bars on.
void fillBusyHistory(AppContext& app) {
  int day = 20, minutes = 12 * 60;
  for (int i = 0; i < kHistoryShown; ++i) {
    if (minutes < 0) {
      minutes += 24 * 60;
      --day;
    }
    HistorySample& s = app.history[i];
    s.year = 2026;
    s.month = 3;
    s.day = static_cast<std::uint8_t>(day);
    s.hour = static_cast<std::uint8_t>(minutes / 60);
    s.minute = static_cast<std::uint8_t>(minutes % 60);
    s.pressure = 100000 + (i * 37) % 2500;
    s.tendency1h = (i % 97) - 48;
    s.tendency3h = (i % 61) - 30;
    s.variation = (i % 23);
    minutes -= 5;
  }
  app.settings.displayStep = 300;
  app.settings.drawTendency1h = app.settings.drawTendency3h = app.settings.drawVariation = 1;
  app.settings.variationBars = 1;
  createScreenPens(app);
}

void paintBarogramRecording(benchmark::State& state) {
  fakes::TestApp t;
  fillBusyHistory(t.app);
  for (auto _ : state) {
    fakes::RecordingCanvas dc(t.graphics, {1920, 1080});
    dc.ops.reserve(8192);
    paintBarogram(t.app, dc);
    benchmark::DoNotOptimize(dc.ops.data());
  }
}
BENCHMARK(paintBarogramRecording)->Unit(benchmark::kMicrosecond);

#ifdef BAROMON_HAVE_QT
void paintBarogramQtImage(benchmark::State& state) {
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process on purpose: destroyed among the static objects at
    // exit, after Qt's own, it crashed the whole benchmark run as it ended.
    new QGuiApplication(argc, argv);
  }
  fakes::TestApp t;
  fillBusyHistory(t.app);
  QImage image = qt::makeBackBuffer(1920, 1080);
  for (auto _ : state) {
    image.fill(Qt::white);
    qt::QtCanvas dc(t.graphics, image);
    paintBarogram(t.app, dc);
  }
  benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(paintBarogramQtImage)->Unit(benchmark::kMillisecond);
#endif

} // namespace
