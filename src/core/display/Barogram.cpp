#include "core/display/Barogram.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/display/DrawingResources.h"
#include "core/domain/Rules.h"

namespace baromon {

using platform::Canvas;
using platform::ObjectHandle;

namespace {

struct LegendTexts {
  const char* pressure;
  const char* oneHour;
  const char* threeHours;
};

// By Language. The Spanish texts are those the users know, odd spelling included.
constexpr LegendTexts kLegend[6] = {
    {"Luftdruck", "1 Std Tendenz", "3 Std Tendenz"},  {"air pressure", "1 hr tendency", "3 hrs tendency"},
    {"pression atm.", "tendence 1h", "tendence 3h"},  {"Luchtdruk", "1h tendency", "3h tendency"},
    {"pressione atm.", "tendenza 1h", "tendenza 3h"}, {"pression atm.", "tendenza 1h", "tendenz 3h"},
};

constexpr platform::Rgb kBlack{0, 0, 0};
constexpr platform::Rgb kPaperText{180, 100, 90};
constexpr int kLeft = 50;
constexpr int kTop = 35;

int scaleBase(const Settings& settings) { return settings.lowScale ? 900 : 950; }

// The first `count` characters of the formatted text (every format here gives at least that many).
std::string formatted(int count, const char* format, int a, int b = 0) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, format, a, b);
  return std::string(text, static_cast<std::size_t>(std::clamp(std::min(count, length), 0, 31)));
}

// The first slot that holds a sample, or -1 when the shown history is empty.
int firstFilledSlot(const History& history) {
  for (int i = 0; i < kHistoryShown; ++i) {
    if (history[i].day != 0) {
      return i;
    }
  }
  return -1;
}

// A curve through the filled slots at x(i) - 3, its points clamped at the top.
// It starts at the right edge with slot 0's value (not clamped); when slot 0 is
// empty it starts at its first sample's own point, so no segment runs in from a
// zero value far outside the plot. `startY` is the y of slot 0 at the right edge.
template <typename ToY, typename StartY>
Curve curveThroughSlots(const History& history, const PlotFrame& f, bool shown, ToY toY, StartY startY) {
  Curve curve;
  curve.shown = shown;
  if (!shown) {
    return curve;
  }
  const int first = firstFilledSlot(history);
  curve.start = first > 0 ? Point{sampleToX(first, f.xR, f.w) - 3, clampTop(toY(history[first]))}
                          : Point{f.xR, startY(history[0])};
  for (int i = 0; i < kHistoryShown; ++i) {
    if (history[i].day != 0) {
      curve.points.push_back(
          CurvePoint{Point{sampleToX(i, f.xR, f.w) - 3, clampTop(toY(history[i]))}, false, std::nullopt});
    }
  }
  return curve;
}

// The pressure curve of both looks: falling points, and variation bars longer than the threshold.
Curve pressureCurve(const History& history, const PlotFrame& f, bool low, bool bars, float barThreshold) {
  auto toY = [&](const HistorySample& s) { return pressureToY(s.pressure, f.y0, f.h, low); };
  Curve curve = curveThroughSlots(history, f, true, toY, toY);
  std::size_t n = 0;
  for (int i = 0; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    CurvePoint& p = curve.points[n++];
    p.falls = isFastFall(s.tendency1h, s.tendency3h);
    const float b = varBarHalfLength(s.variation, f.h);
    if (bars && b > barThreshold) {
      const int half = static_cast<int>(b);
      p.bar = Segment{{p.at.x, p.at.y - half}, {p.at.x, p.at.y + half}};
    }
  }
  return curve;
}

void layoutLegendAndScales(BarogramLayout& l, const Settings& settings) {
  const PlotFrame& f = l.frame;
  const LegendTexts& legend = inLanguage(kLegend, settings.language);
  l.legendTexts = {Label{{f.q, 10}, legend.pressure}, Label{{2 * f.q, 10}, legend.oneHour},
                   Label{{3 * f.q, 10}, legend.threeHours}};
  for (int c = 1; c <= 3; ++c) {
    l.legendSamples[c - 1] = Segment{{c * f.q - f.t, 18}, {c * f.q - 10, 18}};
  }
  l.plot = Rect{kLeft, kTop, f.xR + 1, f.y0 + 1};
  const int base = scaleBase(settings);
  for (int k = 0; k <= 10; ++k) {
    l.pressureLabels.push_back(
        {{f.xR + 5, scaleRowY(k, 0.1, f.y0, f.h) - 8}, formatted(4, "%4d", base + 10 * k)});
  }
  for (int k = 0; k <= 100; ++k) {
    const int y = scaleRowY(k, 0.01, f.y0, f.h);
    l.fineTicks.push_back({{kLeft, y}, {kLeft - 5, y}});
  }
  for (int k = 0; k <= 20; ++k) {
    const int y = scaleRowY(k, 0.05, f.y0, f.h);
    l.tendencyLabels.push_back({{20, y - 8}, formatted(3, "%+3d", k - 10)});
    l.rightTicks.push_back({{f.xR, y}, {f.xR + 5, y}});
  }
  for (int k = 1; k <= 19; ++k) {
    const int y = scaleRowY(k, 0.05, f.y0, f.h);
    l.grid.push_back({{kLeft, y}, {f.xR, y}});
  }
}

// The day lines with their dates and, at the five-minute step, the six-hour lines.
std::vector<TimeMark> timeMarks(const History& history, const PlotFrame& f, int step) {
  std::vector<TimeMark> marks;
  const int first = firstFilledSlot(history);
  if (first < 0) {
    return marks;
  }
  // The previous day starts as the newest sample's, so an empty slot 0 makes no day line.
  int prevDay = history[first].day;
  int prevMonth = history[first].month;
  int prevSix = history[first].hour / 6;
  for (int i = first; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    const int x = sampleToX(i, f.xR, f.w);
    if (s.day != prevDay) {
      marks.push_back({{{x, f.y0}, {x, f.y0 - f.h}},
                       f.y0 + 1,
                       f.y0 + 5,
                       Label{{x - 15, f.y0 + 8}, formatted(6, "%2d.%2d.", prevDay, prevMonth)}});
      prevDay = s.day;
      prevMonth = s.month;
    }
    if (step <= 300 && s.hour / 6 != prevSix) {
      marks.push_back({{{x, f.y0 - 1}, {x, f.y0 - f.h}}, f.y0 + 2, f.y0 + 5, std::nullopt});
      prevSix = s.hour / 6;
    }
  }
  return marks;
}

// The day lines, each with its dates and its own pressure scale, and the two-hour lines.
std::vector<PaperMark> paperMarks(const History& history, const PlotFrame& f, int base) {
  std::vector<PaperMark> marks;
  const int first = firstFilledSlot(history);
  if (first < 0) {
    return marks;
  }
  int prevDay = history[first].day;
  int prevMonth = history[first].month;
  int prevTwo = history[first].hour / 2;
  for (int i = first; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    const int x = sampleToX(i, f.xR, f.w);
    if (s.day != prevDay) {
      const std::string date = formatted(6, "%2d.%2d.", prevDay, prevMonth);
      PaperMark mark{true, {{x, f.y0}, {x, f.y0 - f.h}}, {Label{{x, f.y0 + 10}, date}, Label{{x, 15}, date}}};
      for (int k = 0; k <= 9; ++k) {
        mark.labels.push_back(
            {{x + 1, scaleRowY(k, 0.1, f.y0, f.h) - 16}, formatted(4, "%4d", base + 10 * k)});
      }
      marks.push_back(std::move(mark));
      prevDay = s.day;
      prevMonth = s.month;
    }
    if (s.hour / 2 != prevTwo) {
      marks.push_back({false, {{x, f.y0 - 1}, {x, f.y0 - f.h}}, {}});
      prevTwo = s.hour / 2;
    }
  }
  return marks;
}

// Selects a pen and reports event 22 when the selection fails; drawing goes on
// with whatever pen the canvas holds.
ObjectHandle selectChecked(AppContext& app, Canvas& dc, ObjectHandle pen) {
  ObjectHandle previous = dc.select(pen);
  if (previous == 0) {
    reportEvent(app, Event::SelectObjectFailed);
  }
  return previous;
}

// The pressure curve in the steady pen, turning red over falling stretches.
void paintPressureCurve(AppContext& app, Canvas& dc, const Curve& curve, ObjectHandle steadyPen) {
  selectChecked(app, dc, steadyPen);
  dc.moveTo(curve.start.x, curve.start.y);
  bool falling = false;
  for (const CurvePoint& p : curve.points) {
    if (p.falls != falling) {
      dc.select(p.falls ? app.display.screen.redPen2 : steadyPen);
      falling = p.falls;
    }
    drawCurvePoint(dc, p);
  }
}

void paintLegendAndScales(AppContext& app, Canvas& dc, const BarogramLayout& l) {
  const ScreenPens& pens = app.display.screen;
  for (const Label& text : l.legendTexts) {
    drawLabel(dc, text);
  }
  dc.select(pens.blackPen1);
  drawSegment(dc, l.legendSamples[0]);
  selectChecked(app, dc, pens.bluePen1);
  drawSegment(dc, l.legendSamples[1]);
  selectChecked(app, dc, pens.greenPen1);
  drawSegment(dc, l.legendSamples[2]);

  selectChecked(app, dc, pens.blackPen1);
  dc.select(pens.plotBrush);
  dc.rectangle(l.plot.left, l.plot.top, l.plot.right, l.plot.bottom);
  for (const Label& label : l.pressureLabels) {
    drawLabel(dc, label);
  }
  for (const Segment& tick : l.fineTicks) {
    drawSegment(dc, tick);
  }
  for (const Label& label : l.tendencyLabels) {
    drawLabel(dc, label);
  }
  for (const Segment& tick : l.rightTicks) {
    drawSegment(dc, tick);
  }
}

} // namespace

PlotFrame plotFrame(int clientWidth, int clientHeight) {
  PlotFrame f;
  f.y0 = clientHeight - 35;
  f.h = clientHeight - 70;
  f.xR = clientWidth - 50;
  f.w = clientWidth - 100;
  f.yMid = f.y0 - f.h / 2;
  f.q = clientWidth / 4;
  f.t = clientWidth / 12;
  return f;
}

BarogramLayout layoutBarogram(const History& history, const Settings& settings, platform::CanvasSize client) {
  BarogramLayout l;
  l.frame = plotFrame(client.width, client.height);
  const PlotFrame& f = l.frame;
  layoutLegendAndScales(l, settings);
  l.timeMarks = timeMarks(history, f, static_cast<int>(settings.displayStep));
  // The variation curve starts on the baseline, its points one pixel above it.
  l.variation = curveThroughSlots(
      history, f, settings.drawVariation != 0,
      [&](const HistorySample& s) { return variationToY(s.variation, f.y0 - 1, f.h); },
      [&](const HistorySample& s) { return variationToY(s.variation, f.y0, f.h); });
  auto t3 = [&](const HistorySample& s) { return tendencyToY(s.tendency3h, f.yMid, f.h); };
  auto t1 = [&](const HistorySample& s) { return tendencyToY(s.tendency1h, f.yMid, f.h); };
  l.tendency3h = curveThroughSlots(history, f, settings.drawTendency3h != 0, t3, t3);
  l.tendency1h = curveThroughSlots(history, f, settings.drawTendency1h != 0, t1, t1);
  l.pressure = pressureCurve(history, f, settings.lowScale != 0, settings.variationBars != 0, 2.0f);
  return l;
}

PaperLayout layoutPaperBarogram(const History& history, const Settings& settings,
                                platform::CanvasSize client) {
  PaperLayout l;
  l.frame = plotFrame(client.width, client.height);
  const PlotFrame& f = l.frame;
  l.paper = Rect{kLeft, kTop, f.xR + 1, f.y0 + 1};
  for (int k = 1; k <= 99; ++k) {
    const int y = scaleRowY(k, 0.01, f.y0, f.h);
    l.hpaLines.push_back({{kLeft, y}, {f.xR, y}});
  }
  for (int k = 1; k <= 9; ++k) {
    const int y = scaleRowY(k, 0.1, f.y0, f.h);
    l.tenLines.push_back({{kLeft, y}, {f.xR, y}});
  }
  l.marks = paperMarks(history, f, scaleBase(settings));
  l.pressure = pressureCurve(history, f, settings.lowScale != 0, true, 1.0f);
  return l;
}

void paintBarogram(AppContext& app, Canvas& dc) {
  if (app.settings.paperLook) {
    paintPaperBarogram(app, dc);
    return;
  }
  const BarogramLayout l = layoutBarogram(app.history, app.settings, dc.size());
  const ScreenPens& pens = app.display.screen;
  paintLegendAndScales(app, dc, l);

  // Dotted grid, then the day and six-hour lines with the same pen.
  const ObjectHandle keptPen = selectChecked(app, dc, pens.gridDotPen);
  for (const Segment& line : l.grid) {
    drawSegment(dc, line);
  }
  for (const TimeMark& mark : l.timeMarks) {
    for (int y = mark.pixelsFrom; y <= mark.pixelsTo; ++y) {
      dc.setPixel(mark.line.from.x, y, kBlack);
    }
    drawSegment(dc, mark.line);
    if (mark.date) {
      drawLabel(dc, *mark.date);
    }
  }

  dc.select(pens.redPen1);
  if (l.variation.shown) {
    drawCurve(dc, l.variation);
  }
  selectChecked(app, dc, pens.greenPen1);
  if (l.tendency3h.shown) {
    drawCurve(dc, l.tendency3h);
  }
  selectChecked(app, dc, pens.bluePen1);
  if (l.tendency1h.shown) {
    drawCurve(dc, l.tendency1h);
  }
  paintPressureCurve(app, dc, l.pressure, pens.blackPen2);
  dc.select(keptPen);
}

void paintPaperBarogram(AppContext& app, Canvas& dc) {
  const PaperLayout l = layoutPaperBarogram(app.history, app.settings, dc.size());
  const ScreenPens& pens = app.display.screen;

  // The chart paper, outlined with whatever pen the paint starts with.
  dc.select(pens.paperBrush);
  dc.rectangle(l.paper.left, l.paper.top, l.paper.right, l.paper.bottom);
  dc.select(pens.brownPen1);
  for (const Segment& line : l.hpaLines) {
    drawSegment(dc, line);
  }
  dc.select(pens.brownPen2);
  for (const Segment& line : l.tenLines) {
    drawSegment(dc, line);
  }
  dc.setTextColour(kPaperText);
  dc.setBackgroundMode(platform::BackgroundMode::Transparent);
  for (const PaperMark& mark : l.marks) {
    dc.select(mark.day ? pens.brownPen2 : pens.brownPen1);
    drawSegment(dc, mark.line);
    for (const Label& label : mark.labels) {
      drawLabel(dc, label);
    }
  }
  paintPressureCurve(app, dc, l.pressure, pens.darkBluePen2);
}

} // namespace baromon
