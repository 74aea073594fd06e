#include "core/analysis/Spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/serial/Epoch.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordGrid.h"

namespace baromon {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr std::size_t kReadBlock = std::size_t{64} * 1024;
// Twice the records of the longest series: the newest year is found even in a log that
// holds a second copy of much of it, and a log of many years is not read whole.
constexpr std::uint64_t kMostBytesRead = 2 * kMostSpectrumSlots * kLogRecordSize;

std::int64_t slotOf(const HistorySample& s) {
  platform::DateTime t;
  t.year = s.year;
  t.month = s.month;
  t.day = s.day;
  t.hour = s.hour;
  t.minute = s.minute;
  return toEpochSeconds(t) / 300;
}

bool plausible(std::int32_t pressure) {
  return pressure >= kLowestPlausiblePressure && pressure <= kHighestPlausiblePressure;
}

} // namespace

std::vector<double> DirectPowerTransform::power(const std::vector<double>& samples, std::size_t bins) {
  const std::size_t n = samples.size();
  if (n == 0) {
    return {};
  }
  // One table of the n angles: k*i is reduced modulo n before it becomes an angle, so the
  // sum stays exact for a year of samples, and no sine is computed in the loop.
  std::vector<double> cosine(n), sine(n);
  for (std::size_t j = 0; j < n; ++j) {
    const double angle = kTwoPi * static_cast<double>(j) / static_cast<double>(n);
    cosine[j] = std::cos(angle);
    sine[j] = std::sin(angle);
  }
  std::vector<double> out(std::min(bins, n / 2 + 1), 0.0);
  for (std::size_t k = 0; k < out.size(); ++k) {
    double re = 0, im = 0;
    std::size_t phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
      re += samples[i] * cosine[phase];
      im -= samples[i] * sine[phase];
      phase += k;
      if (phase >= n) {
        phase -= n;
      }
    }
    out[k] = re * re + im * im;
  }
  return out;
}

std::optional<std::vector<TimedPressure>> readLogPressures(platform::FileSystem& files) {
  auto file = files.open("monitor.txt", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    return std::nullopt;
  }
  const std::uint64_t size = file->size().value_or(0);
  const std::uint64_t start = size > kMostBytesRead ? size - kMostBytesRead : 0;
  std::vector<char> bytes;
  if (file->seek(static_cast<std::int64_t>(start), platform::SeekFrom::Begin)) {
    bytes.resize(static_cast<std::size_t>(size - start));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const std::size_t want = std::min(kReadBlock, bytes.size() - got);
      const std::size_t read = platform::readFully(*file, bytes.data() + got, want).value_or(0);
      got += read;
      if (read < want) {
        break; // what could be read is used
      }
    }
    bytes.resize(got);
  }
  // Let go of the log before decoding: the monitor may want to append.
  file.reset();

  std::vector<TimedPressure> records;
  records.reserve(bytes.size() / kLogRecordSize);
  RecordGridScanner scanner;
  scanner.append(bytes.data(), bytes.size());
  scanner.finish();
  LastDecodedRecord decoded;
  while (const auto item = scanner.next(decoded)) {
    if (item->kind == GridStepKind::Record) {
      records.push_back({slotOf(decoded.sample), decoded.sample.pressure});
    }
  }
  return records;
}

namespace {

// Grows the current stretch slot by slot and keeps the longest closed one (the newest of equals).
struct StretchBuilder {
  PressureSeries best;
  std::vector<double> current;
  std::int64_t currentFirst = 0;
  std::int64_t lastSlot = 0;
  std::size_t currentGaps = 0, currentSlots = 0, stretches = 0;

  void close() {
    if (current.empty()) {
      return;
    }
    ++stretches;
    if (current.size() >= best.hPa.size()) {
      best.hPa = std::move(current);
      best.firstSlot = currentFirst;
      best.bridgedGaps = currentGaps;
      best.bridgedSlots = currentSlots;
    }
    current.clear();
    currentGaps = currentSlots = 0;
  }

  void add(std::int64_t slot, double hPa) {
    if (!current.empty()) {
      const std::int64_t missing = slot - lastSlot - 1;
      if (missing > kLongestBridgedGap) {
        close();
      } else if (missing > 0) {
        const double from = current.back();
        for (std::int64_t m = 1; m <= missing; ++m) {
          current.push_back(from + (hPa - from) * static_cast<double>(m) / static_cast<double>(missing + 1));
        }
        ++currentGaps;
        currentSlots += static_cast<std::size_t>(missing);
      }
    }
    if (current.empty()) {
      currentFirst = slot;
    }
    current.push_back(hPa);
    lastSlot = slot;
  }
};

} // namespace

PressureSeries pressureSeries(std::vector<TimedPressure> records) {
  std::erase_if(records, [](const TimedPressure& r) { return !plausible(r.pressure); });
  const std::size_t used = records.size();
  // Stable, so that of two records for one slot the later in the file comes last and stays.
  std::stable_sort(records.begin(), records.end(),
                   [](const TimedPressure& a, const TimedPressure& b) { return a.slot < b.slot; });
  StretchBuilder builder;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i + 1 < records.size() && records[i + 1].slot == records[i].slot) {
      continue;
    }
    builder.add(records[i].slot, records[i].pressure * 0.01);
  }
  builder.close();
  PressureSeries series = std::move(builder.best);
  series.stretches = builder.stretches;
  series.usedRecords = used;
  if (series.hPa.size() > kMostSpectrumSlots) {
    const std::size_t drop = series.hPa.size() - kMostSpectrumSlots;
    series.hPa.erase(series.hPa.begin(), series.hPa.begin() + static_cast<std::ptrdiff_t>(drop));
    series.firstSlot += static_cast<std::int64_t>(drop);
  }
  return series;
}

namespace {

// The series less its least-squares line, then under a periodic Hann window (whose sum
// is exactly n/2, so a wave of a whole number of cycles falls on one bin undiminished).
std::vector<double> detrendedAndWindowed(const std::vector<double>& x) {
  const double n = static_cast<double>(x.size());
  const double meanT = (n - 1) / 2;
  double meanX = 0;
  for (double v : x) {
    meanX += v;
  }
  meanX /= n;
  double stt = 0, stx = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double dt = static_cast<double>(i) - meanT;
    stt += dt * dt;
    stx += dt * (x[i] - meanX);
  }
  const double slope = stt > 0 ? stx / stt : 0;
  std::vector<double> out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(i);
    const double hann = 0.5 * (1 - std::cos(kTwoPi * t / n));
    out[i] = (x[i] - meanX - slope * (t - meanT)) * hann;
  }
  return out;
}

} // namespace

Spectrum computeSpectrum(const PressureSeries& series, PowerTransform& transform) {
  Spectrum s;
  const std::size_t n = series.hPa.size();
  s.days = static_cast<double>(n) / kSlotsPerDay;
  if (n < static_cast<std::size_t>(kSlotsPerDay)) {
    return s;
  }
  s.cyclesPerDayPerBin = 1.0 / s.days;
  const auto bins = static_cast<std::size_t>(kShownCyclesPerDay * s.days) + 1;
  s.power = transform.power(detrendedAndWindowed(series.hPa), std::min(bins, n / 2 + 1));
  // A sine of amplitude A on bin k gives |X_k| = A n / 4 under the window; its mean
  // square is A^2 / 2.
  const double scale = 16.0 / (static_cast<double>(n) * static_cast<double>(n)) / 2.0;
  for (double& p : s.power) {
    p *= scale;
  }
  s.diurnal = peakNear(s, 1.0);
  s.semidiurnal = peakNear(s, 2.0);
  return s;
}

SpectrumPeak peakNear(const Spectrum& spectrum, double cyclesPerDay) {
  SpectrumPeak peak;
  if (spectrum.power.empty() || spectrum.cyclesPerDayPerBin <= 0) {
    return peak;
  }
  double best = -1;
  for (std::size_t k = 1; k < spectrum.power.size(); ++k) {
    const double f = static_cast<double>(k) * spectrum.cyclesPerDayPerBin;
    if (std::fabs(f - cyclesPerDay) <= 0.25 && spectrum.power[k] > best) {
      best = spectrum.power[k];
      peak.cyclesPerDay = f;
    }
  }
  if (best >= 0) {
    peak.periodHours = 24.0 / peak.cyclesPerDay;
    peak.amplitude = std::sqrt(2 * best);
  }
  return peak;
}

SpectrumAnalysis analyseSpectrum(platform::FileSystem& files, PowerTransform& transform) {
  SpectrumAnalysis a;
  auto records = readLogPressures(files);
  if (!records) {
    a.status = SpectrumStatus::NoLog;
    return a;
  }
  a.series = pressureSeries(std::move(*records));
  if (a.series.usedRecords == 0) {
    a.status = SpectrumStatus::NoRecords;
    return a;
  }
  if (a.series.hPa.size() < static_cast<std::size_t>(kSlotsPerDay)) {
    a.status = SpectrumStatus::TooShort;
    return a;
  }
  a.spectrum = computeSpectrum(a.series, transform);
  a.status = SpectrumStatus::Done;
  return a;
}

} // namespace baromon
