#include "core/analysis/DiurnalRhythm.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/state/AppContext.h"
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

std::uint32_t loadDiurnalBins(platform::FileSystem& files, DiurnalAnalysis& analysis) {
  auto& bins = analysis.bins;
  bins.fill(DiurnalBin{});

  auto file = files.open("monitor.txt", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
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
  LastDecodedRecord decoded;
  for (std::size_t r = 0; r < got / kLogRecordSize; ++r) {
    if (parseLogRecord(decoded, LogRecordMode::Decode, records.data() + r * kLogRecordSize) == 0) {
      continue;
    }
    const HistorySample& s = decoded.sample;
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

void fillFitCurve(DiurnalAnalysis& analysis, double angleDegrees) {
  for (int i = 0; i < kDiurnalSlots; ++i) {
    analysis.bins[i].fit = 50.0 * std::sin(i * (kTwoPi / 144.0) + angleDegrees * (kTwoPi / 360.0));
  }
}

bool diurnalDataInsufficient(const DiurnalAnalysis& analysis) {
  for (int i = 0; i < kDiurnalSlots; ++i) {
    if (analysis.bins[i].count == 0) {
      return true;
    }
  }
  return false;
}

double diurnalOverallMean(const DiurnalAnalysis& analysis) {
  double sum = 0;
  for (int i = 0; i < kDiurnalSlots; ++i) {
    sum += analysis.bins[i].pressure;
  }
  return sum / kDiurnalSlots;
}

double searchDiurnalPhase(DiurnalAnalysis& analysis) {
  auto& bins = analysis.bins;
  double best = kNoDeviationYet;
  // With no slot near the reference level no angle is chosen; 0 keeps the
  // phase line and the drawn wave defined.
  double chosen = 0.0;
  for (int a = 0; a < 360; ++a) {
    fillFitCurve(analysis, a);
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
  fillFitCurve(analysis, chosen);
  return chosen;
}

} // namespace baromon

namespace baromon {

namespace {

// The formatted text, at most 127 characters.
std::string formatted(const char* format, auto... args) {
  char text[128];
  int length = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, 127)));
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

// Free pixels that keep two neighbouring labels apart.
constexpr int kLabelGap = 2;

int widthOf(const DiurnalLettering& lettering, const std::string& text) {
  return static_cast<int>(text.size()) * lettering.charWidth;
}

int hourLabelX(const DiurnalFrame& f, int h) { return static_cast<int>(h * f.xh) + 50 - 9; }
int valueDy(const DiurnalFrame& f, int k) { return static_cast<int>(k * f.ys * 10); }

// Every hour carries its label where the labels stand apart at that spacing; in a
// narrow window every second, third, fourth or sixth hour does.
int hourLabelStep(const DiurnalFrame& f, const DiurnalLettering& lettering) {
  for (const int step : {1, 2, 3, 4, 6}) {
    bool apart = true;
    for (int h = step; h + step < 24 && apart; h += step) {
      const int right = hourLabelX(f, h) + widthOf(lettering, formatted("%2d", h));
      apart = right + kLabelGap <= hourLabelX(f, h + step);
    }
    if (apart) {
      return step;
    }
  }
  return 12;
}

// The same for the value labels, 1 hPa apart: every one, every second, or only the
// edges', whichever leaves a text cell and a gap between two rows (also between the two
// rows next to the mean's line).
int valueLabelStep(const DiurnalFrame& f, const DiurnalLettering& lettering) {
  const int needed = lettering.cellHeight + kLabelGap;
  for (const int step : {1, 2}) {
    bool apart = 2 * valueDy(f, 10 * step) >= needed;
    for (int k = 10 * step; k + 10 * step <= 50 && apart; k += 10 * step) {
      apart = valueDy(f, k + 10 * step) - valueDy(f, k) >= needed;
    }
    if (apart) {
      return step;
    }
  }
  return 5;
}

// Hour ticks under the plot, tenths of a hPa either side of the mean, and the dotted grid.
void layoutTicksAndGrid(DiurnalLayout& l, const DiurnalFrame& f, const DiurnalLettering& lettering) {
  const int hourStep = hourLabelStep(f, lettering);
  for (int h = 0; h < 24; ++h) {
    const int x = static_cast<int>(h * f.xh) + 50;
    l.hourTicks.push_back({{{x, f.H - 50}, {x, f.H - 40}}, std::nullopt});
    if (h > 0 && h % hourStep == 0) {
      l.hourTicks.back().label = Label{{hourLabelX(f, h), f.H - 40}, formatted("%2d", h)};
    }
    l.grid.push_back({{x, f.H - 50}, {x, 50}});
  }
  const int valueStep = valueLabelStep(f, lettering);
  for (int k = 0; k <= 50; k += 10) {
    const int dy = valueDy(f, k);
    for (const int side : {-1, 1}) {
      l.valueTicks.push_back({{{50, f.ym + side * dy}, {40, f.ym + side * dy}}, std::nullopt});
      if (k > 0 && (k / 10) % valueStep == 0) {
        l.valueTicks.back().label =
            Label{{10, f.ym + side * dy - 10}, formatted(side < 0 ? "+%3.1f" : "-%3.1f", k * 0.1)};
      }
    }
  }
  for (int k = 0; k <= 45; k += 5) {
    const int dy = valueDy(f, k);
    l.grid.push_back({{50, f.ym - dy}, {f.W - 50, f.ym - dy}});
    l.grid.push_back({{50, f.ym + dy}, {f.W - 50, f.ym + dy}});
  }
}

// The y of each curve at one slot: pressure, fit, both tendencies, variation.
std::array<int, kDiurnalCurves> curveYs(const DiurnalBin& b, const DiurnalFrame& f, double mean) {
  const int bottom = f.H - 50;
  return {f.ym - static_cast<int>((b.pressure - mean) * f.ys), f.ym - static_cast<int>(b.fit * f.ys),
          f.ym - static_cast<int>(b.tendency1h * f.yt), f.ym - static_cast<int>(b.tendency3h * f.yt),
          bottom - static_cast<int>(b.variation * f.yt * 0.6)};
}

// The pressure curve starts at slot 0's own point, the others on the mean's line.
// Without a full day of data only the pressure's start is kept.
void layoutCurves(DiurnalLayout& l, const DiurnalFrame& f, const DiurnalAnalysis& analysis,
                  const DiurnalSummary& summary) {
  const auto& bins = analysis.bins;
  l.curves[0].shown = true;
  l.curves[0].start = {50, curveYs(bins[0], f, summary.mean)[0]};
  if (summary.insufficient) {
    return;
  }
  for (std::size_t c = 1; c < l.curves.size(); ++c) {
    l.curves[c].shown = true;
    l.curves[c].start = {50, f.ym};
  }
  for (int i = 0; i < kDiurnalSlots; ++i) {
    const std::array<int, kDiurnalCurves> ys = curveYs(bins[i], f, summary.mean);
    for (std::size_t c = 0; c < l.curves.size(); ++c) {
      l.curves[c].points.push_back(CurvePoint{Point{f.slotX(i), ys[c]}, false, std::nullopt});
    }
  }
}

} // namespace

DiurnalSummary analyseDiurnalRhythm(platform::FileSystem& files, DiurnalAnalysis& analysis) {
  DiurnalSummary summary;
  summary.records = loadDiurnalBins(files, analysis);
  summary.insufficient = diurnalDataInsufficient(analysis);
  summary.mean = diurnalOverallMean(analysis);
  summary.angle = searchDiurnalPhase(analysis);
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

DiurnalLayout layoutDiurnalRhythm(const DiurnalAnalysis& analysis, const DiurnalSummary& summary,
                                  platform::CanvasSize client, const DiurnalLettering& lettering) {
  const DiurnalFrame f(client);
  DiurnalLayout l;
  l.dataLine = Label{{10, 2}, summary.dataLine};
  l.plot = Rect{50, 50, f.W - 50, f.H - 50};
  l.axes = {Polyline{{50, f.ym}, {f.W - 50, f.ym}}, Polyline{{50, f.ym}, {50, 50}, {50, f.H - 50}}};
  layoutTicksAndGrid(l, f, lettering);
  layoutCurves(l, f, analysis, summary);
  l.phaseLine = Label{{10, 20}, summary.phaseLine};
  return l;
}

// The labels are digits, signs, points and blanks. In a proportional font none is much
// wider than the average character (a digit of the usual faces about a quarter more),
// while the widest character of the whole font can be several times as wide: half as
// much again as the average bounds them, the font's widest where that is less.
namespace {

DiurnalLettering labelLettering(const platform::TextMetrics& metrics) {
  const int bound = metrics.aveCharWidth + metrics.aveCharWidth / 2 + 1;
  const int width = metrics.maxCharWidth > 0 ? std::min(metrics.maxCharWidth, bound) : bound;
  return {metrics.height, width};
}

} // namespace

// The analysis runs first; the picture is drawn in the window's order: summary,
// frame, axes, ticks, grid, curves, phase line.
int paintDiurnalRhythm(AppContext& app, platform::Canvas& canvas) {
  const auto& pens = app.display.screen;
  const DiurnalSummary summary = analyseDiurnalRhythm(app.platform.files, app.diurnal);
  const DiurnalLettering lettering = labelLettering(canvas.textMetrics());
  const DiurnalLayout l = layoutDiurnalRhythm(app.diurnal, summary, canvas.size(), lettering);

  canvas.setBackgroundMode(platform::BackgroundMode::Transparent);
  drawLabel(canvas, l.dataLine);
  canvas.select(pens.plotBrush);
  canvas.rectangle(l.plot.left, l.plot.top, l.plot.right, l.plot.bottom);
  platform::ObjectHandle previousPen = canvas.select(pens.blackPen2);
  for (const Polyline& axis : l.axes) {
    drawPolyline(canvas, axis);
  }
  for (const auto* ticks : {&l.hourTicks, &l.valueTicks}) {
    for (const DiurnalTick& tick : *ticks) {
      drawSegment(canvas, tick.line);
      if (tick.label) {
        drawLabel(canvas, *tick.label);
      }
    }
  }
  canvas.select(pens.gridDotPen);
  for (const Segment& line : l.grid) {
    drawSegment(canvas, line);
  }
  const platform::ObjectHandle curvePens[kDiurnalCurves] = {pens.blackPen3, pens.redPen1, pens.bluePen1,
                                                            pens.greenPen1, pens.lightGreyPen};
  for (std::size_t c = 0; c < l.curves.size(); ++c) {
    if (l.curves[c].shown) {
      canvas.select(curvePens[c]);
      drawCurve(canvas, l.curves[c]);
    }
  }
  drawLabel(canvas, l.phaseLine);
  canvas.select(previousPen);
  return 1;
}

} // namespace baromon
