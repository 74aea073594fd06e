#include "core/print/PrintedBarogram.h"

#include <cstdio>
#include <cstring>

#include "core/app/AppContext.h"
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

// Writes exactly `width` characters of the formatted text (cut, or filled with blanks).
template <typename... Args>
void writeFixed(platform::Canvas& canvas, int x, int y, int width, const char* format, Args... args) {
  char text[32];
  int length = std::snprintf(text, sizeof text, format, args...);
  if (length < 0) {
    length = 0;
  }
  for (int i = length; i < width && i < static_cast<int>(sizeof text); ++i) {
    text[i] = ' ';
  }
  canvas.textOut(x, y, text, width);
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

// One of the curves: where an entry lies across the time axis.
enum class Curve { Pressure, Tendency1h, Tendency3h, Variation };

float sampleValue(const HistorySample& s, Curve curve) {
  switch (curve) {
  case Curve::Pressure:
    return static_cast<float>(exactTenthsFromHundredths(s.pressure));
  case Curve::Tendency1h:
    return static_cast<float>(s.tendency1h);
  case Curve::Tendency3h:
    return static_cast<float>(s.tendency3h);
  case Curve::Variation:
    return static_cast<float>(s.variation);
  }
  return 0;
}

// The value axis position of a sample: y in landscape, x in portrait.
int valuePosition(const PageGeometry& g, const HistorySample& s, Curve curve) {
  float v = sampleValue(s, curve);
  if (g.landscape) {
    switch (curve) {
    case Curve::Pressure: {
      float above = v - static_cast<float>(g.B);
      float scaled = above * g.h001;
      return toPixel(static_cast<float>(static_cast<float>(g.e - g.f) - scaled));
    }
    case Curve::Tendency1h:
    case Curve::Tendency3h:
      // The zero line is a whole pixel row, as on the screen.
      // NOLINTNEXTLINE(bugprone-integer-division)
      return toPixel(static_cast<float>(static_cast<float>(g.e / 2) - v * 0.5f * g.h01));
    case Curve::Variation:
      return toPixel(static_cast<float>(static_cast<float>(g.e - g.f) - v * g.h01 * 0.5f));
    }
  } else {
    switch (curve) {
    case Curve::Pressure: {
      float above = v - static_cast<float>(g.B);
      float scaled = above * g.w001;
      return toPixel(static_cast<float>(static_cast<float>(g.f) + scaled));
    }
    case Curve::Tendency1h:
    case Curve::Tendency3h:
      // The zero line is a whole pixel column, as on the screen.
      // NOLINTNEXTLINE(bugprone-integer-division)
      return toPixel(static_cast<float>(static_cast<float>(g.d / 2) + v * g.w01 * 0.5f));
    case Curve::Variation:
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

void drawCurve(AppContext& app, platform::Canvas& canvas, const PageGeometry& g, Curve curve,
               platform::ObjectHandle pen, bool bars) {
  if (canvas.select(pen) == 0) {
    reportFatal(app, Fatal::CurvePenFailed);
  }
  const History& history = app.history;
  int first = valuePosition(g, history[0], curve);
  if (g.landscape) {
    canvas.moveTo(g.d - g.f - 1, first);
  } else {
    canvas.moveTo(first, g.e - g.f - 1);
  }
  for (int i = 0; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    int value = clampToEdge(valuePosition(g, s, curve));
    int time = timePosition(g, i);
    if (g.landscape) {
      canvas.lineTo(time, value);
      if (bars) {
        int v = static_cast<int>(static_cast<float>(s.variation) * g.h00025);
        canvas.lineTo(time, value - v);
        canvas.lineTo(time, value + v);
        canvas.moveTo(time, value);
      }
    } else {
      canvas.lineTo(value, time);
      if (bars) {
        int v = static_cast<int>(static_cast<float>(s.variation) * g.w00025);
        canvas.lineTo(value - v, time);
        canvas.lineTo(value + v, time);
        canvas.moveTo(value, time);
      }
    }
  }
}

void drawCurves(AppContext& app, platform::Canvas& canvas, const PageGeometry& g) {
  const auto& pens = app.display.printer;
  const Settings& s = app.settings;
  drawCurve(app, canvas, g, Curve::Pressure, pens.printBlackPen7, s.DKS != 0);
  if (s.T1) {
    drawCurve(app, canvas, g, Curve::Tendency1h, pens.printBluePen5, false);
  }
  if (s.T3) {
    drawCurve(app, canvas, g, Curve::Tendency3h, pens.printGreenPen5, false);
  }
  if (s.VAR) {
    drawCurve(app, canvas, g, Curve::Variation, pens.printRedPen5, false);
  }
}

// Day changes get a long mark and the date of the newer day; six-hour blocks a short one.
void drawMarks(AppContext& app, platform::Canvas& canvas, const PageGeometry& g, int block) {
  bool penFailed = canvas.select(app.display.printer.printBlackPen3) == 0;
  selectRotatedSystemFont(app, canvas, g.landscape ? 0 : 2700);
  if (penFailed) {
    reportFatal(app, Fatal::CurvePenFailed);
  }
  const History& history = app.history;
  int lastDay = history[0].day;
  int lastMonth = history[0].month;
  for (int i = 0; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    int t = timePosition(g, i);
    if (s.day != lastDay) {
      if (g.landscape) {
        canvas.moveTo(t, g.e - g.f);
        canvas.lineTo(t, g.e - g.f + 40);
        writeFixed(canvas, t - 50, g.e - g.f + 50, 6, "%2d.%2d.", lastDay, lastMonth);
      } else {
        canvas.moveTo(g.f, t);
        canvas.lineTo(g.f - 40, t);
        writeFixed(canvas, g.f - 50, t - 50, 6, "%2d.%2d.", lastDay, lastMonth);
      }
      lastDay = s.day;
      lastMonth = s.month;
    }
    if (s.hour / 6 != block) {
      if (g.landscape) {
        canvas.moveTo(t, g.e - g.f);
        canvas.lineTo(t, g.e - g.f + 20);
      } else {
        canvas.moveTo(g.f, t);
        canvas.lineTo(g.f - 20, t);
      }
      block = s.hour / 6;
    }
  }
}

void drawLandscape(AppContext& app, platform::Canvas& canvas, const PageGeometry& g) {
  const int d = g.d, e = g.e, f = g.f;
  canvas.moveTo(f, f);
  canvas.lineTo(f, e - f);
  canvas.lineTo(d - f, e - f);
  canvas.lineTo(d - f, f);
  canvas.lineTo(f, f);

  for (int k = 0; k <= 10; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 10.0f);
    canvas.moveTo(f, y);
    canvas.lineTo(f - 25, y);
  }
  for (int k = 0; k <= 20; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f);
    canvas.moveTo(d - f, y);
    canvas.lineTo(d - f + 25, y);
  }
  for (int k = 0; k <= 100; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01);
    canvas.moveTo(f, y);
    canvas.lineTo(f - 13, y);
    canvas.moveTo(d - f, y);
    canvas.lineTo(d - f + 13, y);
  }

  if (canvas.select(app.display.printer.printDotPen) == 0) {
    reportFatal(app, Fatal::LandscapeGridPenFailed);
  }
  for (int k = 1; k <= 19; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f);
    canvas.moveTo(f, y);
    canvas.lineTo(d - f, y);
  }

  selectRotatedSystemFont(app, canvas, 0);
  for (int k = 0; k <= 10; ++k) {
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 10.0f) - g.lh / 2;
    writeFixed(canvas, f - 6 * g.mcw, y, 4, "%4d", g.B / 10 + 100 - 10 * k);
  }
  for (int k = 0; k <= 20; ++k) {
    int v = 10 - k;
    int y = f + toPixel(static_cast<float>(k) * g.h01 * 5.0f) - g.lh / 2;
    // The middle label is the blank that precedes the zero.
    writeFixed(canvas, d - f + 40, y, 3, v != 0 ? "%+3d" : " %3d", v);
  }
}

void drawPortrait(AppContext& app, platform::Canvas& canvas, const PageGeometry& g) {
  const int d = g.d, e = g.e, f = g.f;
  canvas.moveTo(d - f, f);
  canvas.lineTo(f, f);
  canvas.lineTo(f, e - f);
  canvas.lineTo(d - f, e - f);
  canvas.lineTo(d - f, f);

  for (int k = 0; k <= 20; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f);
    canvas.moveTo(x, f);
    canvas.lineTo(x, f - 25);
    canvas.moveTo(x, e - f);
    canvas.lineTo(x, e - f + 25);
  }
  for (int k = 0; k <= 100; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01);
    canvas.moveTo(x, f);
    canvas.lineTo(x, f - 13);
    canvas.moveTo(x, e - f);
    canvas.lineTo(x, e - f + 13);
  }

  if (canvas.select(app.display.printer.printDotPen) == 0) {
    reportFatal(app, Fatal::PortraitGridPenFailed);
  }
  for (int k = 1; k <= 19; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f);
    canvas.moveTo(x, f);
    canvas.lineTo(x, e - f);
  }

  selectRotatedSystemFont(app, canvas, 2700);
  for (int k = 0; k <= 10; ++k) {
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 10.0f) + g.lh / 2;
    writeFixed(canvas, x, f - 5 * g.mcw, 4, "%4d", g.B / 10 + 10 * k);
  }
  for (int k = 0; k <= 20; ++k) {
    int v = k - 10;
    int x = f + toPixel(static_cast<float>(k) * g.w01 * 5.0f) + g.lh / 2;
    writeFixed(canvas, x, e - f + 35, 3, v != 0 ? "%+3d" : "%3d", v);
  }
  selectRotatedSystemFont(app, canvas, 0);
}

} // namespace

void drawPrintedBarogram(AppContext& app) {
  platform::Canvas& canvas = app.printing.printer->canvas();
  PageGeometry g{};
  platform::CanvasSize page = canvas.size();
  platform::TextMetrics metrics = canvas.textMetrics();
  g.d = page.width;
  g.e = page.height;
  g.lh = metrics.height + metrics.externalLeading;
  g.mcw = metrics.maxCharWidth;
  g.landscape = g.d >= g.e;
  g.f = g.landscape ? g.d / 10 : g.e / 10;
  g.W = g.d - 2 * g.f;
  g.H = g.e - 2 * g.f;
  g.B = app.settings.LO ? 9000 : 9500;
  g.w001 = static_cast<float>(g.W * 0.001);
  g.w01 = static_cast<float>(g.W * 0.01);
  g.w00025 = static_cast<float>(g.W * 0.00025);
  g.h001 = static_cast<float>(g.H * 0.001);
  g.h01 = static_cast<float>(g.H * 0.01);
  g.h00025 = static_cast<float>(g.H * 0.00025);

  int block = app.history[0].hour / 6;

  selectRotatedSystemFont(app, canvas, g.landscape ? 0 : 2700);
  const char* text = title(app.settings.LANG, g.landscape);
  if (g.landscape) {
    canvas.textOut(g.d / 2 - 200, g.f / 2, text, static_cast<int>(std::strlen(text)));
  } else {
    canvas.textOut(g.d - g.f / 2, g.e / 2 - 200, text, static_cast<int>(std::strlen(text)));
  }

  if (canvas.select(app.display.printer.printBlackPen5) == 0) {
    reportFatal(app, Fatal::FramePenFailed);
  }

  if (g.landscape) {
    drawLandscape(app, canvas, g);
  } else {
    drawPortrait(app, canvas, g);
  }
  drawCurves(app, canvas, g);
  drawMarks(app, canvas, g, block);
}

} // namespace baromon
