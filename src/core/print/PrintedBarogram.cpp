#include "core/print/PrintedBarogram.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/display/DrawingResources.h"
#include "core/domain/Units.h"

namespace baromon {

namespace {

const char* title(int language, bool landscape) {
  static const char* const wide[] = {"Luftdruck Messdaten",        "Air pressure data",
                                     "Pression atmospherique",     "Air pressure data",
                                     "dati pressione atmosferica", "Air pressure data"};
  static const char* const tall[] = {"Luftdruck Messdaten",    "Air pressure data",
                                     "Pression atmospherique", "Pression atmospherique",
                                     "Pressione atmosferica",  "Pression atmospherique"};
  int index = languageIndex(language);
  return landscape ? wide[index] : tall[index];
}

// Exactly `width` characters of the formatted text (cut, or filled with blanks).
template <typename... Args> std::string fixedWidth(int width, const char* format, Args... args) {
  char text[32];
  int length = std::snprintf(text, sizeof text, format, args...);
  if (length < 0) {
    length = 0;
  }
  std::string out(text, static_cast<std::size_t>(std::min<int>(length, static_cast<int>(sizeof text) - 1)));
  out.resize(static_cast<std::size_t>(width), ' ');
  return out;
}

int toPixel(double v) { return static_cast<int>(nearestHalfUp(v)); }

// A position that would lie above (or left of) the page's first pixel is drawn on its edge.
int clampToEdge(int v) { return v < 1 ? 0 : v; }

struct PageGeometry {
  int d, e, f, W, H, B;
  bool landscape;
  int lh, mcw;
  float w001, w01, w00025, h001, h01, h00025;
};

PageGeometry pageGeometry(platform::CanvasSize page, platform::TextMetrics metrics, bool low) {
  PageGeometry g{};
  g.d = page.width;
  g.e = page.height;
  g.lh = metrics.height + metrics.externalLeading;
  g.mcw = metrics.maxCharWidth;
  g.landscape = g.d >= g.e;
  g.f = g.landscape ? g.d / 10 : g.e / 10;
  g.W = g.d - 2 * g.f;
  g.H = g.e - 2 * g.f;
  g.B = low ? 9000 : 9500;
  g.w001 = static_cast<float>(g.W * 0.001);
  g.w01 = static_cast<float>(g.W * 0.01);
  g.w00025 = static_cast<float>(g.W * 0.00025);
  g.h001 = static_cast<float>(g.H * 0.001);
  g.h01 = static_cast<float>(g.H * 0.01);
  g.h00025 = static_cast<float>(g.H * 0.00025);
  return g;
}

enum class Quantity { Pressure, Tendency1h, Tendency3h, Variation };

float sampleValue(const HistorySample& s, Quantity quantity) {
  switch (quantity) {
  case Quantity::Pressure:
    return static_cast<float>(exactTenthsFromHundredths(s.pressure));
  case Quantity::Tendency1h:
    return static_cast<float>(s.tendency1h);
  case Quantity::Tendency3h:
    return static_cast<float>(s.tendency3h);
  case Quantity::Variation:
    return static_cast<float>(s.variation);
  }
  return 0;
}

// The value axis position of a sample: y in landscape, x in portrait.
int valuePosition(const PageGeometry& g, const HistorySample& s, Quantity quantity) {
  float v = sampleValue(s, quantity);
  if (g.landscape) {
    switch (quantity) {
    case Quantity::Pressure: {
      float above = v - static_cast<float>(g.B);
      float scaled = above * g.h001;
      return toPixel(static_cast<float>(static_cast<float>(g.e - g.f) - scaled));
    }
    case Quantity::Tendency1h:
    case Quantity::Tendency3h:
      // The zero line is a whole pixel row, as on the screen.
      // NOLINTNEXTLINE(bugprone-integer-division)
      return toPixel(static_cast<float>(static_cast<float>(g.e / 2) - v * 0.5f * g.h01));
    case Quantity::Variation:
      return toPixel(static_cast<float>(static_cast<float>(g.e - g.f) - v * g.h01 * 0.5f));
    }
  } else {
    switch (quantity) {
    case Quantity::Pressure: {
      float above = v - static_cast<float>(g.B);
      float scaled = above * g.w001;
      return toPixel(static_cast<float>(static_cast<float>(g.f) + scaled));
    }
    case Quantity::Tendency1h:
    case Quantity::Tendency3h:
      // The zero line is a whole pixel column, as on the screen.
      // NOLINTNEXTLINE(bugprone-integer-division)
      return toPixel(static_cast<float>(static_cast<float>(g.d / 2) + v * g.w01 * 0.5f));
    case Quantity::Variation:
      return toPixel(static_cast<float>(static_cast<float>(g.f) + v * 0.5f * g.w01));
    }
  }
  return 0;
}

// The time axis position of entry i: x in landscape (entry 0 at the right edge),
// y in portrait (entry 0 at the bottom edge).
int timePosition(const PageGeometry& g, int i) {
  if (g.landscape) {
    return (g.d - g.f) - static_cast<int>(static_cast<float>(i) * g.w001);
  }
  return (g.e - g.f) - static_cast<int>(static_cast<float>(i) * g.h001);
}

// A page point from its time and value positions.
Point onPage(const PageGeometry& g, int time, int value) {
  return g.landscape ? Point{time, value} : Point{value, time};
}

int firstValidEntry(const History& history) {
  for (int i = 0; i < kHistoryShown; ++i) {
    if (history[i].day != 0) {
      return i;
    }
  }
  return -1;
}

// A curve through the valid entries. It starts one pixel inside the newest edge with
// entry 0's value; when entry 0 is empty it starts at the first valid entry's own
// point, so no segment runs in from a zero value far outside the frame.
Curve pageCurve(const PageGeometry& g, const History& history, Quantity quantity, bool shown, bool bars) {
  Curve curve;
  curve.shown = shown;
  if (!shown) {
    return curve;
  }
  const int first = firstValidEntry(history);
  curve.start =
      first > 0 ? onPage(g, timePosition(g, first), clampToEdge(valuePosition(g, history[first], quantity)))
                : onPage(g, (g.landscape ? g.d : g.e) - g.f - 1, valuePosition(g, history[0], quantity));
  for (int i = 0; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    const int value = clampToEdge(valuePosition(g, s, quantity));
    const int time = timePosition(g, i);
    CurvePoint p{onPage(g, time, value), false, std::nullopt};
    if (bars) {
      const int v = static_cast<int>(static_cast<float>(s.variation) * (g.landscape ? g.h00025 : g.w00025));
      p.bar = Segment{onPage(g, time, value - v), onPage(g, time, value + v)};
    }
    curve.points.push_back(p);
  }
  return curve;
}

// Day changes get a long mark and the date of the newer day; six-hour blocks a short one.
std::vector<PrintMark> pageMarks(const PageGeometry& g, const History& history) {
  std::vector<PrintMark> marks;
  const int first = firstValidEntry(history);
  if (first < 0) {
    return marks;
  }
  // The newest valid entry sets the day and block, so an empty entry 0 makes no mark.
  int lastDay = history[first].day;
  int lastMonth = history[first].month;
  int block = history[first].hour / 6;
  const int edge = g.landscape ? g.e - g.f : g.f;
  const int out = g.landscape ? 1 : -1; // the marks point away from the frame
  for (int i = first; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    const int t = timePosition(g, i);
    if (s.day != lastDay) {
      const Point at = g.landscape ? Point{t - 50, g.e - g.f + 50} : Point{g.f - 50, t - 50};
      marks.push_back({{onPage(g, t, edge), onPage(g, t, edge + out * 40)},
                       Label{at, fixedWidth(6, "%2d.%2d.", lastDay, lastMonth)}});
      lastDay = s.day;
      lastMonth = s.month;
    }
    if (s.hour / 6 != block) {
      marks.push_back({{onPage(g, t, edge), onPage(g, t, edge + out * 20)}, std::nullopt});
      block = s.hour / 6;
    }
  }
  return marks;
}

void layoutLandscapeScales(const PageGeometry& g, PrintedBarogramLayout& l) {
  const int d = g.d, e = g.e, f = g.f;
  l.frame = {{f, f}, {f, e - f}, {d - f, e - f}, {d - f, f}, {f, f}};
  for (int k = 0; k <= 10; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 10.0f);
    l.ticks.push_back({{f, y}, {f - 25, y}});
  }
  for (int k = 0; k <= 20; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f);
    l.ticks.push_back({{d - f, y}, {d - f + 25, y}});
  }
  for (int k = 0; k <= 100; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01);
    l.ticks.push_back({{f, y}, {f - 13, y}});
    l.ticks.push_back({{d - f, y}, {d - f + 13, y}});
  }
  for (int k = 1; k <= 19; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f);
    l.grid.push_back({{f, y}, {d - f, y}});
  }
  for (int k = 0; k <= 10; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 10.0f) - g.lh / 2;
    l.pressureLabels.push_back({{f - 6 * g.mcw, y}, fixedWidth(4, "%4d", g.B / 10 + 100 - 10 * k)});
  }
  for (int k = 0; k <= 20; ++k) {
    int v = 10 - k;
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f) - g.lh / 2;
    // The middle label is the blank that precedes the zero.
    l.tendencyLabels.push_back({{d - f + 40, y}, fixedWidth(3, v != 0 ? "%+3d" : " %3d", v)});
  }
}

void layoutPortraitScales(const PageGeometry& g, PrintedBarogramLayout& l) {
  const int d = g.d, e = g.e, f = g.f;
  l.frame = {{d - f, f}, {f, f}, {f, e - f}, {d - f, e - f}, {d - f, f}};
  for (int k = 0; k <= 20; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f);
    l.ticks.push_back({{x, f}, {x, f - 25}});
    l.ticks.push_back({{x, e - f}, {x, e - f + 25}});
  }
  for (int k = 0; k <= 100; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01);
    l.ticks.push_back({{x, f}, {x, f - 13}});
    l.ticks.push_back({{x, e - f}, {x, e - f + 13}});
  }
  for (int k = 1; k <= 19; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f);
    l.grid.push_back({{x, f}, {x, e - f}});
  }
  for (int k = 0; k <= 10; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 10.0f) + g.lh / 2;
    l.pressureLabels.push_back({{x, f - 5 * g.mcw}, fixedWidth(4, "%4d", g.B / 10 + 10 * k)});
  }
  for (int k = 0; k <= 20; ++k) {
    int v = k - 10;
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f) + g.lh / 2;
    l.tendencyLabels.push_back({{x, e - f + 35}, fixedWidth(3, v != 0 ? "%+3d" : "%3d", v)});
  }
}

void selectCurvePen(AppContext& app, platform::Canvas& canvas, platform::ObjectHandle pen) {
  if (canvas.select(pen) == 0) {
    reportFatal(app, Fatal::CurvePenFailed);
  }
}

void drawCurves(AppContext& app, platform::Canvas& canvas, const PrintedBarogramLayout& l) {
  const auto& pens = app.display.printer;
  const std::pair<const Curve*, platform::ObjectHandle> curves[] = {{&l.pressure, pens.printBlackPen7},
                                                                    {&l.tendency1h, pens.printBluePen5},
                                                                    {&l.tendency3h, pens.printGreenPen5},
                                                                    {&l.variation, pens.printRedPen5}};
  for (const auto& [curve, pen] : curves) {
    if (curve->shown) {
      selectCurvePen(app, canvas, pen);
      drawCurve(canvas, *curve);
    }
  }
}

} // namespace

PrintedBarogramLayout layoutPrintedBarogram(const History& history, const Settings& settings,
                                            platform::CanvasSize page, platform::TextMetrics metrics) {
  const PageGeometry g = pageGeometry(page, metrics, settings.lowScale != 0);
  PrintedBarogramLayout l;
  l.landscape = g.landscape;
  l.margin = g.f;
  const Point titleAt = g.landscape ? Point{g.d / 2 - 200, g.f / 2} : Point{g.d - g.f / 2, g.e / 2 - 200};
  l.title = Label{titleAt, title(settings.language, g.landscape)};
  if (g.landscape) {
    layoutLandscapeScales(g, l);
  } else {
    layoutPortraitScales(g, l);
  }
  l.pressure = pageCurve(g, history, Quantity::Pressure, true, settings.variationBars != 0);
  l.tendency1h = pageCurve(g, history, Quantity::Tendency1h, settings.drawTendency1h != 0, false);
  l.tendency3h = pageCurve(g, history, Quantity::Tendency3h, settings.drawTendency3h != 0, false);
  l.variation = pageCurve(g, history, Quantity::Variation, settings.drawVariation != 0, false);
  l.marks = pageMarks(g, history);
  return l;
}

void drawPrintedBarogram(AppContext& app) {
  platform::Canvas& canvas = app.printing.printer->canvas();
  const PrintedBarogramLayout l =
      layoutPrintedBarogram(app.history, app.settings, canvas.size(), canvas.textMetrics());
  const int escapement = l.landscape ? 0 : 2700;

  selectRotatedSystemFont(app, canvas, escapement);
  drawLabel(canvas, l.title);
  if (canvas.select(app.display.printer.printBlackPen5) == 0) {
    reportFatal(app, Fatal::FramePenFailed);
  }
  drawPolyline(canvas, l.frame);
  for (const Segment& tick : l.ticks) {
    drawSegment(canvas, tick);
  }
  if (canvas.select(app.display.printer.printDotPen) == 0) {
    reportFatal(app, l.landscape ? Fatal::LandscapeGridPenFailed : Fatal::PortraitGridPenFailed);
  }
  for (const Segment& line : l.grid) {
    drawSegment(canvas, line);
  }
  selectRotatedSystemFont(app, canvas, escapement);
  for (const Label& label : l.pressureLabels) {
    drawLabel(canvas, label);
  }
  for (const Label& label : l.tendencyLabels) {
    drawLabel(canvas, label);
  }
  if (!l.landscape) {
    selectRotatedSystemFont(app, canvas, 0);
  }
  drawCurves(app, canvas, l);

  const bool penFailed = canvas.select(app.display.printer.printBlackPen3) == 0;
  selectRotatedSystemFont(app, canvas, escapement);
  if (penFailed) {
    reportFatal(app, Fatal::CurvePenFailed);
  }
  for (const PrintMark& mark : l.marks) {
    drawSegment(canvas, mark.line);
    if (mark.date) {
      drawLabel(canvas, *mark.date);
    }
  }
}

} // namespace baromon
