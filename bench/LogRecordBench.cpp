#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/store/LogRecord.h"

using namespace baromon;

namespace {

// One record per iteration, with values changing so nothing folds away.
void BM_EncodeLogRecord(benchmark::State& state) {
  std::uint32_t counter = 1;
  std::int32_t pressure = 95000;
  for (auto _ : state) {
    LogRecord r = encodeLogRecord(counter, RecordTime{28, 12, 2003, 21, 0}, pressure, -18, 52, 7, 0);
    benchmark::DoNotOptimize(r);
    counter = counter % 999999 + 1;
    pressure = pressure < 105000 ? pressure + 1 : 95000;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeLogRecord);

void BM_ParseLogRecord(benchmark::State& state) {
  const LogRecord r = encodeLogRecord(20, RecordTime{28, 12, 2003, 21, 0}, 98810, 18, 52, 0, 0);
  LastDecodedRecord last;
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseLogRecord(last, LogRecordMode::Decode, r.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLogRecord);

} // namespace
