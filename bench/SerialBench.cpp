#include <benchmark/benchmark.h>

#include <string>

#include "core/program/AcquisitionDisplay.h"
#include "core/serial/Acquisition.h"
#include "core/serial/Decoders.h"
#include "core/serial/SerialPort.h"
#include "sim/BarographSimulator.h"
#include "support/TestApp.h"

namespace {

using namespace baromon;

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

void BM_DecodeSentencePxdr(benchmark::State& state) {
  CurrentReading reading;
  for (auto _ : state) {
    decodeSentence(reading, kPxdr.data(), kPxdr.size(), -250);
    benchmark::DoNotOptimize(reading);
  }
}
BENCHMARK(BM_DecodeSentencePxdr);

void BM_DecodeSentenceWixdr(benchmark::State& state) {
  const std::string frame = "$WIXDR,C,-3.2,C\r\n";
  CurrentReading reading;
  for (auto _ : state) {
    decodeSentence(reading, frame.data(), frame.size(), 0);
    benchmark::DoNotOptimize(reading);
  }
}
BENCHMARK(BM_DecodeSentenceWixdr);

// A monitor in KX mode between boundaries (10:03 UTC), port COM2 open on a scripted device.
struct Monitor {
  fakes::TestApp t;
  std::shared_ptr<fakes::FakeSerialDevice::Script> device = t.ports.add("COM2");
  Monitor() {
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.recordInterval = 300;
    t.app.settings.language = English;
    // More than 255 waiting bytes is also a warning; keep the event log out of the measurement.
    t.app.settings.logEvents = 0;
    t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    openSerialPort(t.app, PortErrors::Show);
  }
};

// The most one tick ever reads: 512 bytes ending in a line feed.
void BM_AcquisitionTickFull512(benchmark::State& state) {
  Monitor m;
  std::string burst;
  while (burst.size() + kPxdr.size() < 512) {
    burst += kPxdr;
  }
  burst.insert(0, 512 - burst.size(), ' ');
  for (auto _ : state) {
    state.PauseTiming();
    m.t.ports.feed("COM2", burst);
    m.t.windows.calls.clear();
    m.t.windows.invalidated.clear();
    state.ResumeTiming();
    showAcquisitionChanges(m.t.app, acquisitionTick(m.t.app).changes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 512);
}
BENCHMARK(BM_AcquisitionTickFull512);

// What one second of barograph output costs the monitor: the five ticks of a
// second, the device's four frames arriving spread over them.
void BM_OneSecondOfInput(benchmark::State& state) {
  Monitor m;
  sim::BarographSimulator barograph(sim::SimulatorOptions{});
  const auto frames = barograph.barographFrames(1796637780); // 2026-12-07 10:03 UTC
  for (auto _ : state) {
    for (int tick = 0; tick < 5; ++tick) {
      state.PauseTiming();
      if (tick < 4) {
        m.t.ports.feed("COM2", frames[static_cast<std::size_t>(tick)]);
      }
      m.t.windows.calls.clear();
      m.t.windows.invalidated.clear();
      state.ResumeTiming();
      showAcquisitionChanges(m.t.app, acquisitionTick(m.t.app).changes);
    }
  }
}
BENCHMARK(BM_OneSecondOfInput);

} // namespace
