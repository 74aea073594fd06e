#include "core/analysis/DiurnalRhythm.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app/AppContext.h"
#include "core/store/LogRecord.h"
#include "platform/Files.h"

namespace baromon {

namespace {

// The wave is computed with this decimal value, not the full-precision 2 pi, so
// that the chosen angle stays the one the program has always reported.
constexpr double kTwoPi = 6.283185307;
constexpr double kReferenceLevel = 101320.0; // 1013.20 hPa in hundredths
constexpr double kNoDeviationYet = 100000000.0;

// Records are read in blocks; a block that cannot be read skips its records only.
constexpr std::size_t kRecordsPerBlock = 512;

// Reads up to `count` bytes, going on after short reads; the bytes obtained.
std::size_t readFully(platform::File& file, char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    auto got = file.read(buffer + done, count - done);
    if (!got || *got == 0) {
      break;
    }
    done += *got;
  }
  return done;
}

} // namespace

std::uint32_t loadDiurnalBins(AppContext& app) {
  auto& bins = app.diurnal.bins;
  bins.fill(DiurnalBin{});

  auto file =
      app.platform.files.open("monitor.txt", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
  if (!file) {
    return 0;
  }
  auto size = file->size();
  std::int64_t whole = size ? *size / kLogRecordSize : 0;
  std::uint32_t n = whole > kDiurnalRecordCap ? kDiurnalRecordCap : static_cast<std::uint32_t>(whole);
  // A file that cannot be positioned yields no record, but its count still stands.
  std::uint32_t readable = file->seek(0, platform::SeekFrom::Begin) ? n : 0;

  // The records are read into memory and the log is let go before any is decoded,
  // so the monitor's append never finds it held for longer than the reads take.
  std::vector<char> records(static_cast<std::size_t>(readable) * kLogRecordSize);
  std::size_t got = 0;
  for (std::size_t first = 0; first < readable; first += kRecordsPerBlock) {
    const std::size_t count = std::min<std::size_t>(kRecordsPerBlock, readable - first) * kLogRecordSize;
    const std::size_t read = readFully(*file, records.data() + got, count);
    got += read;
    if (read < count) {
      break; // the rest of the file cannot be read either
    }
  }
  file.reset();

  // Every record is decoded, whatever the data mode: in NMEA mode the log still
  // holds barograph records from earlier runs, and the history loading reads them
  // the same way.
  for (std::size_t r = 0; r < got / kLogRecordSize; ++r) {
    if (parseLogRecord(app.lastDecodedRecord, 1, records.data() + r * kLogRecordSize) == 0) {
      continue;
    }
    const HistorySample& s = app.lastDecodedRecord.sample;
    DiurnalBin& bin = bins[s.hour * 12 + s.minute / 5];
    bin.pressure += static_cast<double>(static_cast<std::uint32_t>(s.pressure));
    bin.tendency1h += static_cast<double>(s.tendency1h);
    bin.tendency3h += static_cast<double>(s.tendency3h);
    bin.variation += static_cast<double>(s.variation);
    ++bin.count;
  }

  for (int i = 0; i < kDiurnalSlots; ++i) {
    DiurnalBin& bin = bins[i];
    if (bin.count > 1) {
      bin.pressure /= bin.count;
      bin.tendency1h /= bin.count;
      bin.tendency3h /= bin.count;
      bin.variation /= bin.count;
    }
  }
  return n;
}

void fillFitCurve(AppContext& app, double angleDegrees) {
  for (int i = 0; i < kDiurnalSlots; ++i) {
    app.diurnal.bins[i].fit = 50.0 * std::sin(i * (kTwoPi / 144.0) + angleDegrees * (kTwoPi / 360.0));
  }
}

bool diurnalDataInsufficient(const AppContext& app) {
  for (int i = 0; i < kDiurnalSlots; ++i) {
    if (app.diurnal.bins[i].count == 0) {
      return true;
    }
  }
  return false;
}

double diurnalOverallMean(const AppContext& app) {
  double sum = 0;
  for (int i = 0; i < kDiurnalSlots; ++i) {
    sum += app.diurnal.bins[i].pressure;
  }
  return sum / kDiurnalSlots;
}

double searchDiurnalPhase(AppContext& app) {
  auto& bins = app.diurnal.bins;
  double best = kNoDeviationYet;
  // With no slot near the reference level no angle is chosen; 0 keeps the
  // phase line and the drawn wave defined.
  double chosen = 0.0;
  for (int a = 0; a < 360; ++a) {
    fillFitCurve(app, a);
    for (int i = 0; i < kDiurnalSlots; ++i) {
      double d = (kReferenceLevel - bins[i].pressure) - bins[i].fit;
      bins[i].squaredDeviation = d * d;
    }
    for (int i = 0; i < kDiurnalSlots; ++i) {
      if (bins[i].squaredDeviation < best) {
        best = bins[i].squaredDeviation;
        chosen = a;
      }
    }
  }
  fillFitCurve(app, chosen);
  return chosen;
}

} // namespace baromon

namespace baromon {

namespace {

void drawText(platform::Canvas& canvas, int x, int y, const char* format, auto... args) {
  char text[128];
  int length = std::snprintf(text, sizeof text, format, args...);
  if (length < 0) {
    return;
  }
  canvas.textOut(x, y, text, std::min<int>(length, sizeof text - 1));
}

// The plot's geometry in the window's client area.
struct DiurnalFrame {
  int W;
  int H;
  int ym;    // the mean's line
  double xh; // pixels per hour
  double ys; // pixels per hundredth of a hPa
  double yt; // pixels per unit of tendency and variation

  explicit DiurnalFrame(platform::CanvasSize client)
      : W(client.width), H(client.height), ym(H / 2), xh((W - 100) / 24.0), ys((H - 100) * 0.001),
        yt((H - 100) * 0.05) {}

  int slotX(int i) const {
    const double xs = (W - 100) / 288.0;
    return static_cast<int>(i * xs + 50);
  }
};

void drawAxes(platform::Canvas& canvas, const DiurnalFrame& f) {
  canvas.moveTo(50, f.ym);
  canvas.lineTo(f.W - 50, f.ym);
  canvas.moveTo(50, f.ym);
  canvas.lineTo(50, 50);
  canvas.lineTo(50, f.H - 50);
}

// Hour ticks under the plot, tenths of a hPa either side of the mean.
void drawTicks(platform::Canvas& canvas, const DiurnalFrame& f) {
  for (int h = 0; h < 24; ++h) {
    int x = static_cast<int>(h * f.xh) + 50;
    canvas.moveTo(x, f.H - 50);
    canvas.lineTo(x, f.H - 40);
    if (h > 0) {
      drawText(canvas, x - 9, f.H - 40, "%2d", h);
    }
  }
  for (int k = 0; k <= 50; k += 10) {
    int dy = static_cast<int>(k * f.ys * 10);
    canvas.moveTo(50, f.ym - dy);
    canvas.lineTo(40, f.ym - dy);
    if (k > 0) {
      drawText(canvas, 10, f.ym - dy - 10, "+%3.1f", k * 0.1);
    }
    canvas.moveTo(50, f.ym + dy);
    canvas.lineTo(40, f.ym + dy);
    if (k > 0) {
      drawText(canvas, 10, f.ym + dy - 10, "-%3.1f", k * 0.1);
    }
  }
}

void drawGrid(platform::Canvas& canvas, const DiurnalFrame& f) {
  for (int h = 0; h < 24; ++h) {
    int x = static_cast<int>(h * f.xh) + 50;
    canvas.moveTo(x, f.H - 50);
    canvas.lineTo(x, 50);
  }
  for (int k = 0; k <= 45; k += 5) {
    int dy = static_cast<int>(k * f.ys * 10);
    canvas.moveTo(50, f.ym - dy);
    canvas.lineTo(f.W - 50, f.ym - dy);
    canvas.moveTo(50, f.ym + dy);
    canvas.lineTo(f.W - 50, f.ym + dy);
  }
}

// One line through all slots, from wherever the pen stands.
template <typename ToY>
void drawSlotCurve(platform::Canvas& canvas, const DiurnalFrame& f,
                   const std::array<DiurnalBin, kDiurnalBins>& bins, ToY toY) {
  for (int i = 0; i < kDiurnalSlots; ++i) {
    canvas.lineTo(f.slotX(i), toY(bins[i]));
  }
}

// A curve that starts on the mean's line at the left edge.
template <typename ToY>
void drawFromTheMean(platform::Canvas& canvas, const DiurnalFrame& f,
                     const std::array<DiurnalBin, kDiurnalBins>& bins, platform::ObjectHandle pen, ToY toY) {
  canvas.select(pen);
  canvas.moveTo(50, f.ym);
  drawSlotCurve(canvas, f, bins, toY);
}

// The mean pressure of each slot, then (with a full day of data) the fitted
// wave, both tendencies and the variation.
void drawCurves(AppContext& app, platform::Canvas& canvas, const DiurnalFrame& f,
                const DiurnalSummary& summary) {
  const auto& pens = app.display.screen;
  const auto& bins = app.diurnal.bins;
  const double mean = summary.mean;
  const int ym = f.ym;
  const double ys = f.ys;
  const double yt = f.yt;
  const int bottom = f.H - 50;
  canvas.select(pens.blackPen3);
  canvas.moveTo(50, ym - static_cast<int>((bins[0].pressure - mean) * ys));
  if (summary.insufficient) {
    return;
  }
  drawSlotCurve(canvas, f, bins,
                [&](const DiurnalBin& b) { return ym - static_cast<int>((b.pressure - mean) * ys); });
  drawFromTheMean(canvas, f, bins, pens.redPen1,
                  [&](const DiurnalBin& b) { return ym - static_cast<int>(b.fit * ys); });
  drawFromTheMean(canvas, f, bins, pens.bluePen1,
                  [&](const DiurnalBin& b) { return ym - static_cast<int>(b.tendency1h * yt); });
  drawFromTheMean(canvas, f, bins, pens.greenPen1,
                  [&](const DiurnalBin& b) { return ym - static_cast<int>(b.tendency3h * yt); });
  drawFromTheMean(canvas, f, bins, pens.lightGreyPen,
                  [&](const DiurnalBin& b) { return bottom - static_cast<int>(b.variation * yt * 0.6); });
}

} // namespace

DiurnalSummary analyseDiurnalRhythm(AppContext& app) {
  DiurnalSummary summary;
  summary.records = loadDiurnalBins(app);
  summary.insufficient = diurnalDataInsufficient(app);
  summary.mean = diurnalOverallMean(app);
  summary.angle = searchDiurnalPhase(app);
  char text[128];
  if (summary.insufficient) {
    summary.dataLine = "insufficient data (one complete day needed)";
  } else {
    std::snprintf(text, sizeof text, "%3u records of %u days analyzed (mean %7.2f hPa)", summary.records,
                  summary.records / 288, summary.mean * 0.01);
    summary.dataLine = text;
  }
  std::snprintf(text, sizeof text, "linear regression analysis: 12hr (UTC) phase angle %3.0f degrees",
                summary.angle);
  summary.phaseLine = text;
  return summary;
}

// The analysis runs first; the picture is drawn in the window's order: summary,
// frame, axes, ticks, grid, curves, phase line.
int paintDiurnalRhythm(AppContext& app, platform::Canvas& canvas) {
  const auto& pens = app.display.screen;

  DiurnalSummary summary = analyseDiurnalRhythm(app);
  canvas.setBackgroundMode(platform::BackgroundMode::Transparent);
  canvas.textOut(10, 2, summary.dataLine);

  const DiurnalFrame f(canvas.size());
  canvas.select(pens.plotBrush);
  canvas.rectangle(50, 50, f.W - 50, f.H - 50);
  platform::ObjectHandle previousPen = canvas.select(pens.blackPen2);
  drawAxes(canvas, f);
  drawTicks(canvas, f);
  canvas.select(pens.gridDotPen);
  drawGrid(canvas, f);
  drawCurves(app, canvas, f, summary);

  canvas.textOut(10, 20, summary.phaseLine);

  canvas.select(previousPen);
  return 1;
}

} // namespace baromon
