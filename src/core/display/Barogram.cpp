#include "core/display/Barogram.h"

#include <cstdio>
#include <cstring>

#include "core/app/AppContext.h"
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

int scaleBase(const Settings& settings) { return settings.LO ? 900 : 950; }

// Selects a pen and reports event 22 when the selection fails; drawing goes on
// with whatever pen the canvas holds.
ObjectHandle selectChecked(AppContext& app, Canvas& dc, ObjectHandle pen) {
  ObjectHandle previous = dc.select(pen);
  if (previous == 0) {
    reportEvent(app, Event::SelectObjectFailed);
  }
  return previous;
}

void drawLine(Canvas& dc, int x0, int y0, int x1, int y1) {
  dc.moveTo(x0, y0);
  dc.lineTo(x1, y1);
}

void drawFormatted(Canvas& dc, int x, int y, int count, const char* format, int a, int b = 0) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b);
  dc.textOut(x, y, text, count);
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

// Where a curve starts: at the right edge with slot 0's value (not clamped).
// When slot 0 is empty the curve starts at its first sample's own point, so no
// segment runs in from a zero value far outside the plot.
template <typename ToY>
void startCurve(Canvas& dc, const History& history, const PlotFrame& f, int first, ToY toY) {
  if (first > 0) {
    dc.moveTo(sampleToX(first, f.xR, f.w) - 3, clampTop(toY(history[first])));
  } else {
    dc.moveTo(f.xR, toY(history[0]));
  }
}

template <typename ToY>
void drawCurve(Canvas& dc, const History& history, const PlotFrame& f, int first, ToY toY) {
  startCurve(dc, history, f, first, toY);
  for (int i = 0; i < kHistoryShown; ++i) {
    if (history[i].day != 0) {
      dc.lineTo(sampleToX(i, f.xR, f.w) - 3, clampTop(toY(history[i])));
    }
  }
}

// The pressure curve with its falling colour and variation bars, shared by both looks.
void drawPressureCurve(AppContext& app, Canvas& dc, const PlotFrame& f, int first, ObjectHandle steadyPen,
                       bool bars, float barThreshold) {
  const History& history = app.history;
  const bool low = app.settings.LO != 0;
  auto toY = [&](const HistorySample& s) { return pressureToY(s.pressure, f.y0, f.h, low); };
  selectChecked(app, dc, steadyPen);
  startCurve(dc, history, f, first, toY);
  bool falling = false;
  for (int i = 0; i < kHistoryShown; ++i) {
    const HistorySample& s = history[i];
    if (s.day == 0) {
      continue;
    }
    const int y = clampTop(toY(s));
    const bool falls = isFastFall(s.tendency1h, s.tendency3h);
    if (falls && !falling) {
      dc.select(app.display.screen.redPen2);
      falling = true;
    } else if (!falls && falling) {
      dc.select(steadyPen);
      falling = false;
    }
    const int x = sampleToX(i, f.xR, f.w) - 3;
    dc.lineTo(x, y);
    if (bars) {
      const float b = varBarHalfLength(s.variation, f.h);
      if (b > barThreshold) {
        const int half = static_cast<int>(b);
        dc.lineTo(x, y - half);
        dc.lineTo(x, y + half);
        dc.moveTo(x, y);
      }
    }
  }
}

// Legend: texts and their line samples, whether or not the curves are on.
void drawLegend(AppContext& app, Canvas& dc, const PlotFrame& f) {
  const ScreenPens& pens = app.display.screen;
  const LegendTexts& legend = inLanguage(kLegend, app.settings.LANG);
  dc.textOut(f.q, 10, legend.pressure, static_cast<int>(std::strlen(legend.pressure)));
  dc.textOut(2 * f.q, 10, legend.oneHour, static_cast<int>(std::strlen(legend.oneHour)));
  dc.textOut(3 * f.q, 10, legend.threeHours, static_cast<int>(std::strlen(legend.threeHours)));
  dc.select(pens.blackPen1);
  drawLine(dc, f.q - f.t, 18, f.q - 10, 18);
  selectChecked(app, dc, pens.bluePen1);
  drawLine(dc, 2 * f.q - f.t, 18, 2 * f.q - 10, 18);
  selectChecked(app, dc, pens.greenPen1);
  drawLine(dc, 3 * f.q - f.t, 18, 3 * f.q - 10, 18);
}

// Frame and plot area, then the scales: pressure on the right, one tick per hPa
// on the left, tendency on the left.
void drawFrameAndScales(AppContext& app, Canvas& dc, const PlotFrame& f) {
  const ScreenPens& pens = app.display.screen;
  selectChecked(app, dc, pens.blackPen1);
  dc.select(pens.plotBrush);
  dc.rectangle(kLeft, kTop, f.xR + 1, f.y0 + 1);

  const int base = scaleBase(app.settings);
  for (int k = 0; k <= 10; ++k) {
    drawFormatted(dc, f.xR + 5, scaleRowY(k, 0.1, f.y0, f.h) - 8, 4, "%4d", base + 10 * k);
  }
  for (int k = 0; k <= 100; ++k) {
    const int y = scaleRowY(k, 0.01, f.y0, f.h);
    drawLine(dc, kLeft, y, kLeft - 5, y);
  }
  for (int k = 0; k <= 20; ++k) {
    drawFormatted(dc, 20, scaleRowY(k, 0.05, f.y0, f.h) - 8, 3, "%+3d", k - 10);
  }
  for (int k = 0; k <= 20; ++k) {
    const int y = scaleRowY(k, 0.05, f.y0, f.h);
    drawLine(dc, f.xR, y, f.xR + 5, y);
  }
}

// The day lines with their dates and, at the five-minute step, the six-hour
// lines, drawn with the pen the canvas holds.
void drawDayLines(AppContext& app, Canvas& dc, const PlotFrame& f, int first) {
  const History& history = app.history;
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
      for (int y = f.y0 + 1; y <= f.y0 + 5; ++y) {
        dc.setPixel(x, y, kBlack);
      }
      drawLine(dc, x, f.y0, x, f.y0 - f.h);
      drawFormatted(dc, x - 15, f.y0 + 8, 6, "%2d.%2d.", prevDay, prevMonth);
      prevDay = s.day;
      prevMonth = s.month;
    }
    if (app.settings.SHOW <= 300 && s.hour / 6 != prevSix) {
      for (int y = f.y0 + 2; y <= f.y0 + 5; ++y) {
        dc.setPixel(x, y, kBlack);
      }
      drawLine(dc, x, f.y0 - 1, x, f.y0 - f.h);
      prevSix = s.hour / 6;
    }
  }
}

// Variation curve, rising from the bottom edge.
void drawVariationCurve(Canvas& dc, const History& history, const PlotFrame& f, int first) {
  if (first > 0) {
    dc.moveTo(sampleToX(first, f.xR, f.w) - 3,
              clampTop(variationToY(history[first].variation, f.y0 - 1, f.h)));
  } else {
    dc.moveTo(f.xR, variationToY(history[0].variation, f.y0, f.h));
  }
  for (int i = 0; i < kHistoryShown; ++i) {
    if (history[i].day != 0) {
      dc.lineTo(sampleToX(i, f.xR, f.w) - 3, clampTop(variationToY(history[i].variation, f.y0 - 1, f.h)));
    }
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

void paintBarogram(AppContext& app, Canvas& dc) {
  const Settings& settings = app.settings;
  if (settings.DP) {
    paintPaperBarogram(app, dc);
    return;
  }
  const platform::CanvasSize client = dc.size();
  const PlotFrame f = plotFrame(client.width, client.height);
  const ScreenPens& pens = app.display.screen;
  const History& history = app.history;

  drawLegend(app, dc, f);
  drawFrameAndScales(app, dc, f);

  // Dotted grid, then the day and six-hour lines with the same pen.
  const ObjectHandle keptPen = selectChecked(app, dc, pens.gridDotPen);
  for (int k = 1; k <= 19; ++k) {
    const int y = scaleRowY(k, 0.05, f.y0, f.h);
    drawLine(dc, kLeft, y, f.xR, y);
  }
  const int first = firstFilledSlot(history);
  if (first >= 0) {
    drawDayLines(app, dc, f, first);
  }

  dc.select(pens.redPen1);
  if (settings.VAR) {
    drawVariationCurve(dc, history, f, first);
  }

  // Tendency curves about the middle line.
  selectChecked(app, dc, pens.greenPen1);
  if (settings.T3) {
    drawCurve(dc, history, f, first,
              [&](const HistorySample& s) { return tendencyToY(s.tendency3h, f.yMid, f.h); });
  }
  selectChecked(app, dc, pens.bluePen1);
  if (settings.T1) {
    drawCurve(dc, history, f, first,
              [&](const HistorySample& s) { return tendencyToY(s.tendency1h, f.yMid, f.h); });
  }

  drawPressureCurve(app, dc, f, first, pens.blackPen2, settings.DKS != 0, 2.0f);
  dc.select(keptPen);
}

void paintPaperBarogram(AppContext& app, Canvas& dc) {
  const Settings& settings = app.settings;
  const platform::CanvasSize client = dc.size();
  const PlotFrame f = plotFrame(client.width, client.height);
  const ScreenPens& pens = app.display.screen;
  const History& history = app.history;
  const int base = scaleBase(settings);

  // The chart paper, outlined with whatever pen the paint starts with.
  dc.select(pens.paperBrush);
  dc.rectangle(kLeft, kTop, f.xR + 1, f.y0 + 1);
  dc.select(pens.brownPen1);
  for (int k = 1; k <= 99; ++k) {
    const int y = scaleRowY(k, 0.01, f.y0, f.h);
    drawLine(dc, kLeft, y, f.xR, y);
  }
  dc.select(pens.brownPen2);
  for (int k = 1; k <= 9; ++k) {
    const int y = scaleRowY(k, 0.1, f.y0, f.h);
    drawLine(dc, kLeft, y, f.xR, y);
  }
  dc.setTextColour(kPaperText);
  dc.setBackgroundMode(platform::BackgroundMode::Transparent);

  const int first = firstFilledSlot(history);
  if (first >= 0) {
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
        dc.select(pens.brownPen2);
        drawLine(dc, x, f.y0, x, f.y0 - f.h);
        drawFormatted(dc, x, f.y0 + 10, 6, "%2d.%2d.", prevDay, prevMonth);
        drawFormatted(dc, x, 15, 6, "%2d.%2d.", prevDay, prevMonth);
        prevDay = s.day;
        prevMonth = s.month;
        // Each day line carries its own pressure scale.
        for (int k = 0; k <= 9; ++k) {
          drawFormatted(dc, x + 1, scaleRowY(k, 0.1, f.y0, f.h) - 16, 4, "%4d", base + 10 * k);
        }
      }
      if (s.hour / 2 != prevTwo) {
        dc.select(pens.brownPen1);
        drawLine(dc, x, f.y0 - 1, x, f.y0 - f.h);
        prevTwo = s.hour / 2;
      }
    }
  }

  drawPressureCurve(app, dc, f, first, pens.darkBluePen2, true, 1.0f);
}

} // namespace baromon
