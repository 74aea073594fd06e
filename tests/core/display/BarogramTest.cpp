#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "core/display/Barogram.h"

using namespace baromon;
using namespace baromon::testing;
using namespace baromon::platform;

namespace {

// The main window's default client area, 1100 x 600: Y0 565, H 530, XR 1050, W 1000.
struct Paint {
  fakes::TestApp t;
  RecordingCanvas dc{t.graphics, {1100, 600}};
  Paint() {
    t.app.settings.displayStep = 300;
    createScreenPens(t.app);
  }
  void run() { paintBarogram(t.app, dc); }
  History& history() { return t.app.history; }
};

const Op* textAt(const RecordingCanvas& dc, const std::string& text) {
  for (const Op& op : dc.ops) {
    if (op.kind == RecordingCanvas::Kind::Text && op.text == text) {
      return &op;
    }
  }
  return nullptr;
}

// Lines drawn to the curve points (x(i) - 3) with a pen: the pressure curve's segments.
std::vector<Op> verticals(const RecordingCanvas& dc, const PenSpec& pen, int fromY, int toY) {
  std::vector<Op> result;
  for (const Op& op : linesWithPen(dc, pen)) {
    if (op.x0 == op.x && op.y0 == fromY && op.y == toY) {
      result.push_back(op);
    }
  }
  return result;
}

} // namespace

TEST(Barogram, FrameScalesGridAndLegendOfTheDefaultWindow) {
  Paint p;
  p.run();
  const auto rects = p.dc.of(RecordingCanvas::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(RecordingCanvas::describe(rects[0]), "rect 50,35 1051,566 pen=solid/1/000000 brush=f5f5ff");

  struct Label {
    const char* text;
    int x, y;
  } labels[] = {
      {"Luftdruck", 275, 10}, {"1 Std Tendenz", 550, 10}, {"3 Std Tendenz", 825, 10},
      {" 950", 1055, 557},    {"1000", 1055, 292},        {"1050", 1055, 27},
      {"-10", 20, 557},       {" +0", 20, 292},           {"+10", 20, 27},
  };
  for (const Label& l : labels) {
    const Op* op = textAt(p.dc, l.text);
    ASSERT_NE(op, nullptr) << l.text;
    EXPECT_EQ(op->x, l.x) << l.text;
    EXPECT_EQ(op->y, l.y) << l.text;
    // The paint's defaults: stock font, black on an opaque background.
    EXPECT_EQ(op->font.kind, FontKind::StockFixed);
    EXPECT_EQ(op->textColour, (Rgb{0, 0, 0}));
    EXPECT_EQ(op->background, BackgroundMode::Opaque);
  }
  EXPECT_EQ(p.dc.texts().size(), 3u + 11u + 21u);

  const auto black = linesWithPen(p.dc, kBlack1);
  EXPECT_TRUE(hasLine(black, 184, 18, 265, 18));                       // pressure legend sample
  EXPECT_TRUE(hasLine(linesWithPen(p.dc, kBlue1), 459, 18, 540, 18));  // one hour
  EXPECT_TRUE(hasLine(linesWithPen(p.dc, kGreen1), 734, 18, 815, 18)); // three hours
  EXPECT_TRUE(hasLine(black, 50, 565, 45, 565));                       // fine tick at 950 hPa
  EXPECT_TRUE(hasLine(black, 50, 35, 45, 35));                         // and at 1050 hPa
  EXPECT_TRUE(hasLine(black, 1050, 300, 1055, 300));                   // right tick at zero tendency
  EXPECT_EQ(black.size(), 1u + 101u + 21u);

  const auto grid = linesWithPen(p.dc, kGridDot);
  ASSERT_EQ(grid.size(), 19u);
  EXPECT_TRUE(hasLine(grid, 50, 538, 1050, 538)); // 26.5 px per division, halves going up
  EXPECT_TRUE(hasLine(grid, 50, 300, 1050, 300));
  // With no samples there is nothing more: no time lines, no curves.
  EXPECT_TRUE(linesWithPen(p.dc, kBlack2).empty());
  EXPECT_TRUE(p.dc.pixels().empty());
}

TEST(Barogram, LowScaleAndLanguagesChangeOnlyTheTexts) {
  struct Case {
    std::uint8_t lang;
    const char* pressure;
    const char* oneHour;
    const char* threeHours;
  } cases[] = {
      {1, "air pressure", "1 hr tendency", "3 hrs tendency"},
      {2, "pression atm.", "tendence 1h", "tendence 3h"},
      {3, "Luchtdruk", "1h tendency", "3h tendency"},
      {4, "pressione atm.", "tendenza 1h", "tendenza 3h"},
      {5, "pression atm.", "tendenza 1h", "tendenz 3h"},
  };
  for (const Case& c : cases) {
    Paint p;
    p.t.app.settings.language = c.lang;
    p.t.app.settings.lowScale = 1;
    p.run();
    const auto texts = textsOf(p.dc);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], c.pressure);
    EXPECT_EQ(texts[1], c.oneHour);
    EXPECT_EQ(texts[2], c.threeHours); // drawn whole
    EXPECT_NE(textAt(p.dc, " 900"), nullptr);
    EXPECT_NE(textAt(p.dc, "1000"), nullptr);
    EXPECT_EQ(textAt(p.dc, "1050"), nullptr);
  }
}

TEST(Barogram, ThousandSamplesSpanThePlotFromRightToLeftEdge) {
  Paint p;
  fillHistory(p.history(), 1000, 10, 6, 12, 0, 5);
  p.t.app.settings.displayStep = 600; // keeps the time lines out of this test's way
  p.run();
  const auto curve = linesWithPen(p.dc, kBlack2);
  ASSERT_EQ(curve.size(), 1000u);
  EXPECT_EQ(curve.front().x0, 1050); // starts at XR with slot 0's value
  EXPECT_EQ(curve.front().y0, 230);  // 1013.25 hPa
  EXPECT_EQ(curve.front().x, 1047);
  EXPECT_EQ(curve.back().x, 50); // sample 999 stands at 53, its curve point at 50
  EXPECT_EQ(curve.back().y, 230);
}

TEST(Barogram, FallingPressureIsRedOnlyBeyondTheThresholds) {
  Paint p;
  struct Case {
    const char* legend;
    std::int32_t t1, t3;
    bool red;
  } cases[] = {
      {"exactly -1.4 and -4.0 hPa: not falling", -14, -40, false},
      {"one hour -1.5 hPa", -15, 0, true},
      {"three hours -4.1 hPa", 0, -41, true},
      {"both", -30, -50, true},
      {"back to steady", 0, 0, false},
      {"falls again", -15, 40, true},
      {"rising", 10, 10, false},
  };
  const int n = static_cast<int>(std::size(cases));
  for (int i = 0; i < n; ++i) {
    p.history()[i] = sample(10, 6, 12, 0, 100000 + 100 * i, cases[i].t1, cases[i].t3);
  }
  p.run();
  std::vector<Op> curve;
  for (const Op& op : p.dc.lines()) {
    if (op.pen == kBlack2 || op.pen == kRed2) {
      curve.push_back(op);
    }
  }
  ASSERT_EQ(curve.size(), static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(curve[i].pen, cases[i].red ? kRed2 : kBlack2) << cases[i].legend;
    EXPECT_EQ(curve[i].x, sampleToX(i, 1050, 1000) - 3);
  }
}

TEST(Barogram, DayLineBetween2355AndMidnightCarriesTheNewerDate) {
  struct Case {
    const char* legend;
    int newDay, newMonth, oldDay, oldMonth;
    const char* label;
  } cases[] = {
      {"28 December", 28, 12, 27, 12, "28.12."},
      {"1 January: both numbers padded", 1, 1, 31, 12, " 1. 1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    Paint p;
    for (int i = 0; i <= 10; ++i) {
      p.history()[i] = sample(c.newDay, c.newMonth, 0, 50 - 5 * i, 101325);
    }
    for (int i = 11; i < 20; ++i) {
      p.history()[i] = sample(c.oldDay, c.oldMonth, 23, 55 - 5 * (i - 11), 101325);
    }
    p.run();
    const int x = sampleToX(11, 1050, 1000); // the 23:55 slot
    ASSERT_EQ(x, 1040);
    const auto grid = linesWithPen(p.dc, kGridDot);
    EXPECT_TRUE(hasLine(grid, x, 565, x, 35)); // day line
    EXPECT_TRUE(hasLine(grid, x, 564, x, 35)); // six-hour line of the same slot
    EXPECT_EQ(grid.size(), 19u + 2u);
    const Op* label = textAt(p.dc, c.label);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, x - 15);
    EXPECT_EQ(label->y, 573);
    // Day marks below the baseline: five pixels of the day, four of the six-hour line.
    int marks = 0;
    for (const Op& op : p.dc.pixels()) {
      EXPECT_EQ(op.x, x);
      EXPECT_GE(op.y, 566);
      EXPECT_LE(op.y, 570);
      ++marks;
    }
    EXPECT_EQ(marks, 9);
  }
}

TEST(Barogram, SixHourLinesOnlyWithTheFiveMinuteStep) {
  struct Case {
    unsigned show;
    int stepMinutes;
    std::size_t dayLines, sixHourLines;
  } cases[] = {
      // 1000 samples back from 12:00 on the 28th.
      {300, 5, 3, 14},   // back to 00:45 on the 25th: 3 midnights, 14 six-hour boundaries
      {600, 10, 7, 0},   // back to the 21st
      {1800, 30, 21, 0}, // back to the 7th
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.show);
    Paint p;
    p.t.app.settings.displayStep = c.show;
    fillHistory(p.history(), 1000, 28, 6, 12, 0, c.stepMinutes);
    p.run();
    EXPECT_EQ(verticals(p.dc, kGridDot, 565, 35).size(), c.dayLines);
    EXPECT_EQ(verticals(p.dc, kGridDot, 564, 35).size(), c.sixHourLines);
  }
}

TEST(Barogram, VariationBarsInBothLooks) {
  struct Case {
    const char* legend;
    int paper;
    int dks;
    std::int32_t variation;
    int half; // 0: no bar
  } cases[] = {
      {"0.8 hPa: b = 1.06, too short for the normal look", 0, 1, 8, 0},
      {"0.8 hPa in the paper look: +-1 px", 1, 0, 8, 1},
      {"1.6 hPa: b = 2.12", 0, 1, 16, 2},
      {"bars off", 0, 0, 16, 0},
      {"0.3 hPa: b = 0.3975, too short even on paper", 1, 1, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    Paint p;
    p.t.app.settings.paperLook = static_cast<std::uint8_t>(c.paper);
    p.t.app.settings.variationBars = static_cast<std::uint8_t>(c.dks);
    p.history()[0] = sample(10, 6, 12, 0, 101325, 0, 0, c.variation);
    p.run();
    const PenSpec pen = c.paper ? kDarkBlue2 : kBlack2;
    const auto curve = linesWithPen(p.dc, pen);
    if (c.half == 0) {
      ASSERT_EQ(curve.size(), 1u);
      continue;
    }
    ASSERT_EQ(curve.size(), 3u);
    EXPECT_TRUE(hasLine(curve, 1047, 230, 1047, 230 - c.half));
    EXPECT_TRUE(hasLine(curve, 1047, 230 - c.half, 1047, 230 + c.half));
    const Op& back = p.dc.ops.back();
    EXPECT_EQ(RecordingCanvas::describe(back),
              c.paper ? "move 1047,230" : "select " + std::to_string(back.handle));
  }
}

TEST(Barogram, TendencyAndVariationCurvesFollowTheirSwitches) {
  Paint p;
  p.history()[0] = sample(10, 6, 12, 0, 101325, -14, 100, 10);
  p.history()[1] = sample(10, 6, 11, 55, 101325, 0, -100, 0);
  p.t.app.settings.drawTendency1h = 1;
  p.t.app.settings.drawVariation = 1;
  p.run();
  const auto blue = linesWithPen(p.dc, kBlue1);
  EXPECT_TRUE(hasLine(blue, 1050, 337, 1047, 337)); // -1.4 hPa
  const auto red = linesWithPen(p.dc, kRed1);
  ASSERT_EQ(red.size(), 2u);
  EXPECT_EQ(red[0].x0, 1050);
  EXPECT_EQ(red[0].y0, 565 - 26); // the start uses Y0 as base, rounded 538.5 -> 539
  EXPECT_EQ(red[0].y, 538);       // the points use Y0 - 1
  EXPECT_EQ(red[1].y, 564);
  // T3 off: the green pen is selected but draws nothing beyond its legend sample.
  EXPECT_EQ(linesWithPen(p.dc, kGreen1).size(), 1u);

  Paint q;
  q.history()[0] = sample(10, 6, 12, 0, 101325, 0, 150, 0);
  q.t.app.settings.drawTendency3h = 1;
  q.run();
  const auto green = linesWithPen(q.dc, kGreen1);
  ASSERT_EQ(green.size(), 2u);
  EXPECT_EQ(green[1].y0, tendencyToY(150, 300, 530)); // the start is not clamped ...
  EXPECT_LT(green[1].y0, 0);
  EXPECT_EQ(green[1].y, 0); // ... the points are
}

TEST(Barogram, EmptyNewestSlotStartsEachCurveAtItsFirstSample) {
  Paint p;
  p.t.app.settings.drawTendency1h = 1;
  p.t.app.settings.drawTendency3h = 1;
  p.t.app.settings.drawVariation = 1;
  p.history()[1] = sample(10, 6, 11, 55, 101325, 5, 5, 5);
  p.history()[2] = sample(10, 6, 11, 50, 101325, 5, 5, 5);
  p.run();
  const int x1 = sampleToX(1, 1050, 1000) - 3;
  for (const PenSpec& pen : {kBlack2, kBlue1, kGreen1, kRed1}) {
    for (const Op& op : linesWithPen(p.dc, pen)) {
      if (op.y0 == 18) {
        continue; // legend sample
      }
      EXPECT_LE(op.x0, x1) << fakes::describePen(pen);
      EXPECT_LT(op.y0, 565) << fakes::describePen(pen) << ": no segment runs in from below the plot";
    }
  }
  EXPECT_TRUE(hasLine(linesWithPen(p.dc, kBlack2), x1, 230, x1, 230));
  // Nor does the empty slot make a day or six-hour line.
  EXPECT_EQ(linesWithPen(p.dc, kGridDot).size(), 19u);
  EXPECT_TRUE(p.dc.pixels().empty());
}

TEST(Barogram, UnselectablePensReportEvent22AndDrawingGoesOn) {
  struct Case {
    const char* legend;
    ObjectHandle ScreenPens::*pen;
    std::size_t events;
  } cases[] = {
      {"blue: legend and one-hour curve", &ScreenPens::bluePen1, 2},
      {"green: legend and three-hour curve", &ScreenPens::greenPen1, 2},
      {"black 1: the frame only", &ScreenPens::blackPen1, 1},
      {"grid", &ScreenPens::gridDotPen, 1},
      {"pressure curve", &ScreenPens::blackPen2, 1},
      {"variation: not checked", &ScreenPens::redPen1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    Paint p;
    p.t.app.settings.logEvents = 1;
    p.history()[0] = sample(10, 6, 12, 0, 101325);
    p.t.app.display.screen.*c.pen = 0; // as after a failed creation
    p.run();
    std::size_t lines = 0;
    if (FILE* f = std::fopen(p.t.dir.file("monitor.err").c_str(), "r")) {
      for (int ch; (ch = std::fgetc(f)) != EOF;) {
        lines += ch == '\n' ? 1 : 0;
      }
      std::fclose(f);
    }
    EXPECT_EQ(lines, c.events);
    EXPECT_EQ(p.dc.of(RecordingCanvas::Kind::Rectangle).size(), 1u);
    EXPECT_FALSE(p.dc.lines().empty());
  }
}

TEST(Barogram, PaperLook) {
  Paint p;
  p.t.app.settings.paperLook = 1;
  p.t.app.settings.drawTendency1h = p.t.app.settings.drawTendency3h = p.t.app.settings.drawVariation = 1;
  p.t.app.settings.displayStep = 1800; // ignored by the paper look
  // 02:00 on the 2nd back to 23:55 on the 1st in 5-minute slots, then falling and steady again.
  for (int i = 0; i < 30; ++i) {
    const int minutes = 2 * 60 - 5 * i;
    const int day = minutes < 0 ? 1 : 2;
    const int m = minutes < 0 ? minutes + 24 * 60 : minutes;
    const std::int32_t t1 = (i >= 3 && i < 6) ? -20 : 0;
    p.history()[i] = sample(day, 1, m / 60, m % 60, 100000, t1, 0, 0);
  }
  p.run();
  const auto rects = p.dc.of(RecordingCanvas::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(RecordingCanvas::describe(rects[0]), "rect 50,35 1051,566 pen=solid/1/000000 brush=faf0e6");
  const auto brown1 = linesWithPen(p.dc, kBrown1);
  const auto brown2 = linesWithPen(p.dc, kBrown2);
  EXPECT_TRUE(hasLine(brown1, 50, 560, 1050, 560)); // 1 hPa: 5.3 px
  EXPECT_TRUE(hasLine(brown2, 50, 512, 1050, 512)); // 10 hPa
  const int xDay = sampleToX(25, 1050, 1000);       // 23:55 on the 1st
  EXPECT_TRUE(hasLine(brown2, xDay, 565, xDay, 35));
  EXPECT_EQ(brown2.size(), 9u + 1u);
  const int xTwo = sampleToX(1, 1050, 1000); // 01:55: a two-hour line
  EXPECT_TRUE(hasLine(brown1, xTwo, 564, xTwo, 35));
  EXPECT_TRUE(hasLine(brown1, xDay, 564, xDay, 35)); // 00:00 -> 23:55 also changes hour / 2
  EXPECT_EQ(brown1.size(), 99u + 2u);

  // Texts: brown, transparent; the date twice, then the day line's own scale.
  const auto texts = p.dc.texts();
  ASSERT_EQ(texts.size(), 12u);
  EXPECT_EQ(RecordingCanvas::describe(texts[0]),
            "text " + std::to_string(xDay) + ",575 \" 2. 1.\" font=stock colour=b4645a bk=transparent");
  EXPECT_EQ(texts[1].y, 15);
  EXPECT_EQ(texts[2].text, " 950");
  EXPECT_EQ(texts[2].x, xDay + 1);
  EXPECT_EQ(texts[2].y, 549);
  EXPECT_EQ(texts[11].text, "1040");

  // The curve: dark blue, red while falling, dark blue again; no legend, grid or other curves.
  std::vector<PenSpec> pens;
  for (const Op& op : p.dc.lines()) {
    if (op.pen == kDarkBlue2 || op.pen == kRed2) {
      pens.push_back(op.pen);
    }
  }
  ASSERT_EQ(pens.size(), 30u);
  EXPECT_EQ(pens[2], kDarkBlue2);
  EXPECT_EQ(pens[3], kRed2);
  EXPECT_EQ(pens[5], kRed2);
  EXPECT_EQ(pens[6], kDarkBlue2);
  EXPECT_TRUE(linesWithPen(p.dc, kGridDot).empty());
  EXPECT_TRUE(linesWithPen(p.dc, kBlue1).empty());
  EXPECT_TRUE(p.dc.pixels().empty());
}
