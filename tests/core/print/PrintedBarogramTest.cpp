#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#include "core/print/PrintedBarogram.h"
#include "support/FakePrinters.h"
#include "support/TestApp.h"

namespace {

using baromon::HistorySample;
using baromon::fakes::FakePrinters;
using baromon::fakes::RecordingCanvas;
using baromon::fakes::TestApp;
using baromon::platform::FontKind;
using baromon::platform::PenSpec;
using baromon::platform::PenStyle;
using Op = RecordingCanvas::Op;

const PenSpec kFramePen{PenStyle::Solid, 5, {0, 0, 0}};
const PenSpec kGridPen{PenStyle::Dot, 1, {32, 32, 32}};
const PenSpec kPressurePen{PenStyle::Solid, 7, {0, 0, 0}};
const PenSpec kTendency1hPen{PenStyle::Solid, 5, {0, 0, 255}};
const PenSpec kTendency3hPen{PenStyle::Solid, 5, {0, 200, 0}};
const PenSpec kVariationPen{PenStyle::Solid, 5, {255, 0, 0}};
const PenSpec kMarkPen{PenStyle::Solid, 3, {0, 0, 0}};

// A chosen printer with its page started, ready for drawPrintedBarogram.
struct Page {
  TestApp t;
  FakePrinters printers{t.graphics};
  RecordingCanvas* canvas = nullptr;

  explicit Page(int width, int height, int lh = 100, int mcw = 50) {
    t.app.settings.language = baromon::English;
    baromon::createPrinterPens(t.app);
    t.app.printing.printers = &printers;
    printers.pageSize = {width, height};
    printers.metrics = {lh, 0, mcw, mcw / 2};
    baromon::choosePrinter(t.app);
    canvas = printers.page.get();
  }
  void draw() { baromon::drawPrintedBarogram(t.app); }

  std::vector<Op> linesWith(const PenSpec& pen) const {
    std::vector<Op> out;
    for (const auto& op : canvas->lines()) {
      if (op.pen == pen) {
        out.push_back(op);
      }
    }
    return out;
  }
  std::vector<Op> movesWith(const PenSpec& pen) const {
    std::vector<Op> out;
    for (const auto& op : canvas->of(RecordingCanvas::Kind::MoveTo)) {
      if (op.pen == pen) {
        out.push_back(op);
      }
    }
    return out;
  }
  const Op* text(const std::string& s) const {
    for (const auto& op : canvas->ops) {
      if (op.kind == RecordingCanvas::Kind::Text && op.text == s) {
        return &op;
      }
    }
    return nullptr;
  }
  bool hasLine(int x0, int y0, int x, int y, const PenSpec& pen) const {
    auto lines = linesWith(pen);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const Op& op) { return op.x0 == x0 && op.y0 == y0 && op.x == x && op.y == y; });
  }
  // Entries 0..count-1 valid, one every five minutes back from 6 March 00:00.
  void fillHistory(int count, std::int32_t pressure = 101325) {
    for (int i = 0; i < count; ++i) {
      int minutes = 5 * 24 * 60 - 5 * i; // minutes after 1 March 00:00
      HistorySample& s = t.app.history[i];
      s.year = 2024;
      s.month = 3;
      s.day = static_cast<std::uint8_t>(1 + minutes / (24 * 60));
      s.hour = static_cast<std::uint8_t>(minutes % (24 * 60) / 60);
      s.minute = static_cast<std::uint8_t>(minutes % 60);
      s.pressure = pressure;
    }
  }
};

// Portrait: time runs down the page, newest at the bottom edge.
TEST(PrintedBarogram, PortraitPageGeometry) {
  Page p(4800, 6600);
  p.fillHistory(1000);
  p.draw();
  // f 660, W 3480, H 5280: the frame, drawn from the top right corner.
  auto frame = p.linesWith(kFramePen);
  ASSERT_GE(frame.size(), 4u);
  EXPECT_EQ(frame[0].x0, 4140);
  EXPECT_EQ(frame[0].y0, 660);
  EXPECT_EQ(frame[0].x, 660);
  EXPECT_EQ(frame[1].y, 5940);
  EXPECT_EQ(frame[3].x, 4140);
  EXPECT_EQ(frame[3].y, 660);

  // 1013.25 hPa lies 63.25 hPa right of the left edge: 660 + 632.5 * 3.48.
  auto pressure = p.linesWith(kPressurePen);
  ASSERT_EQ(pressure.size(), 1000u);
  EXPECT_EQ(pressure[0].x0, 2861);
  EXPECT_EQ(pressure[0].y0, 5939) << "the curve starts one pixel above the edge";
  EXPECT_EQ(pressure[0].x, 2861);
  EXPECT_EQ(pressure[0].y, 5940);
  EXPECT_EQ(pressure[999].y, 666) << "entry 999: 5940 - trunc(999 * 5.28)";

  // Scales across the top and bottom, 5 % ticks 174 px apart.
  EXPECT_TRUE(p.hasLine(660, 660, 660, 635, kFramePen));
  EXPECT_TRUE(p.hasLine(834, 5940, 834, 5965, kFramePen));
  EXPECT_TRUE(p.hasLine(695, 660, 695, 647, kFramePen)) << "1 % tick";
  EXPECT_EQ(p.linesWith(kGridPen).size(), 19u);
  EXPECT_TRUE(p.hasLine(834, 660, 834, 5940, kGridPen));

  // Labels written downwards: 950 at the left, 1050 at the right.
  const Op* low = p.text(" 950");
  ASSERT_NE(low, nullptr);
  EXPECT_EQ(low->x, 660 + 50);
  EXPECT_EQ(low->y, 660 - 5 * 50);
  EXPECT_EQ(low->font.kind, FontKind::RotatedSystem);
  EXPECT_EQ(low->font.escapement, 2700);
  ASSERT_NE(p.text("1050"), nullptr);
  EXPECT_EQ(p.text("1050")->x, 4140 + 50);
  const Op* zero = p.text("  0");
  ASSERT_NE(zero, nullptr) << "the middle tendency label is the zero";
  EXPECT_EQ(zero->x, 2400 + 50);
  EXPECT_EQ(zero->y, 5940 + 35);
  ASSERT_NE(p.text("-10"), nullptr);
  EXPECT_EQ(p.text("-10")->x, 710);

  const Op* title = p.text("Air pressure data");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 4800 - 330);
  EXPECT_EQ(title->y, 3300 - 200);
  EXPECT_EQ(title->font.escapement, 2700);
}

// Landscape: the same barogram with time running left to right.
TEST(PrintedBarogram, LandscapePageGeometry) {
  Page p(6600, 4800, 100, 50);
  p.fillHistory(1000);
  p.draw();
  // f 660, W 5280, H 3480.
  auto frame = p.linesWith(kFramePen);
  ASSERT_GE(frame.size(), 4u);
  EXPECT_EQ(frame[0].x0, 660);
  EXPECT_EQ(frame[0].y0, 660);
  EXPECT_EQ(frame[0].y, 4140);
  EXPECT_EQ(frame[1].x, 5940);

  const Op* top = p.text("1050");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->x, 660 - 6 * 50);
  EXPECT_EQ(top->y, 660 - 50);
  EXPECT_EQ(top->font.escapement, 0);
  ASSERT_NE(p.text(" 950"), nullptr);
  EXPECT_EQ(p.text(" 950")->y, 4140 - 50);
  const Op* blank = p.text("   ");
  ASSERT_NE(blank, nullptr) << "the middle tendency label is blank";
  EXPECT_EQ(blank->x, 5940 + 40);
  EXPECT_EQ(blank->y, 2400 - 50);
  ASSERT_NE(p.text("+10"), nullptr);
  EXPECT_EQ(p.text("+10")->y, 610);
  EXPECT_EQ(p.text("  0"), nullptr);

  EXPECT_TRUE(p.hasLine(660, 1008, 635, 1008, kFramePen)) << "10 % tick on the left";
  EXPECT_TRUE(p.hasLine(5940, 834, 5965, 834, kFramePen)) << "5 % tick on the right";
  EXPECT_TRUE(p.hasLine(660, 695, 647, 695, kFramePen)) << "1 % tick";

  // 1013.25 hPa: 4140 - 632.5 * 3.48 = 1939.
  auto pressure = p.linesWith(kPressurePen);
  ASSERT_EQ(pressure.size(), 1000u);
  EXPECT_EQ(pressure[0].x0, 5939);
  EXPECT_EQ(pressure[0].y0, 1939);
  EXPECT_EQ(pressure[0].x, 5940);
  EXPECT_EQ(pressure[999].x, 5940 - 5274) << "entries 5.28 px apart";

  const Op* title = p.text("Air pressure data");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 3300 - 200);
  EXPECT_EQ(title->y, 330);
}

// Where pressures at and beyond the scale land, with the normal and the low range.
TEST(PrintedBarogram, PressureScaleAndItsLimits) {
  struct Case {
    const char* legend;
    int lowScale;
    std::int32_t pressure;
    int y;
  } cases[] = {
      {"1050.00 hPa is the top edge", 0, 105000, 660},
      {"with LO, 1000.00 hPa is the top edge", 1, 100000, 660},
      {"950.00 hPa is the bottom edge", 0, 95000, 4140},
      {"above the range: into the top margin", 0, 106000, 312},
      {"far above: held at 0 once below 1", 0, 150000, 0},
      {"below the range: into the bottom margin without limit", 0, 90000, 5880},
  };
  for (const auto& c : cases) {
    Page p(6600, 4800);
    p.t.app.settings.lowScale = c.lowScale;
    p.fillHistory(2, c.pressure);
    p.draw();
    auto pressure = p.linesWith(kPressurePen);
    ASSERT_EQ(pressure.size(), 2u) << c.legend;
    EXPECT_EQ(pressure[1].y, c.y) << c.legend;
    if (c.lowScale) {
      ASSERT_NE(p.text("1000"), nullptr);
      EXPECT_EQ(p.text("1000")->y, 610) << c.legend;
    }
  }
}

// The optional curves and the variation bars, with their pens.
TEST(PrintedBarogram, OptionalCurvesAndVariationBars) {
  Page p(6600, 4800);
  p.fillHistory(3);
  p.t.app.history[1].variation = 100; // 10 hPa: bars of 100 * 0.87 px
  p.t.app.history[1].tendency1h = -50;
  p.t.app.history[1].tendency3h = 100;
  p.t.app.settings.variationBars = 1;
  p.draw();
  EXPECT_TRUE(p.linesWith(kTendency1hPen).empty());
  EXPECT_TRUE(p.linesWith(kTendency3hPen).empty());
  EXPECT_TRUE(p.linesWith(kVariationPen).empty());
  auto pressure = p.linesWith(kPressurePen);
  ASSERT_EQ(pressure.size(), 9u) << "three points, each with its bar up and down";
  EXPECT_EQ(pressure[4].y, 1939 - 87);
  EXPECT_EQ(pressure[5].y, 1939 + 87);
  EXPECT_EQ(pressure[4].x, pressure[3].x);

  Page q(6600, 4800);
  q.fillHistory(3);
  q.t.app.history[1] = p.t.app.history[1];
  q.t.app.settings.drawTendency1h = q.t.app.settings.drawTendency3h = q.t.app.settings.drawVariation = 1;
  q.draw();
  ASSERT_EQ(q.linesWith(kTendency1hPen).size(), 3u);
  EXPECT_EQ(q.movesWith(kTendency1hPen).front().y, 2400) << "zero tendency is the middle";
  EXPECT_EQ(q.linesWith(kTendency1hPen)[1].y, 2400 + 870);
  EXPECT_EQ(q.linesWith(kTendency3hPen)[1].y, 660) << "+10 hPa reaches the top edge";
  EXPECT_EQ(q.linesWith(kVariationPen)[1].y, 4140 - 1740);
  EXPECT_EQ(q.linesWith(kPressurePen).size(), 3u) << "no bars without DKS";
}

// Day and six-hour marks, and the date named on each day change.
TEST(PrintedBarogram, DayMarksNameTheNewerDay) {
  for (bool landscape : {true, false}) {
    Page p(landscape ? 6600 : 4800, landscape ? 4800 : 6600);
    // Newest first: 1 February 00:10 back to 31 January 23:50.
    const int hours[] = {0, 0, 0, 23, 23};
    const int minutes[] = {10, 5, 0, 55, 50};
    for (int i = 0; i < 5; ++i) {
      HistorySample& s = p.t.app.history[i];
      s.year = 2024;
      s.month = i < 3 ? 2 : 1;
      s.day = i < 3 ? 1 : 31;
      s.hour = static_cast<std::uint8_t>(hours[i]);
      s.minute = static_cast<std::uint8_t>(minutes[i]);
      s.pressure = 100000;
    }
    p.draw();
    auto marks = p.linesWith(kMarkPen);
    ASSERT_EQ(marks.size(), 2u) << "one day mark and one six-hour mark";
    const Op* label = p.text(" 1. 2.");
    ASSERT_NE(label, nullptr) << "day 1 of month 2";
    EXPECT_EQ(p.text("31. 1."), nullptr);
    if (landscape) {
      int x = 5940 - static_cast<int>(3 * 5.28f);
      EXPECT_EQ(marks[0].x0, x);
      EXPECT_EQ(marks[0].y0, 4140);
      EXPECT_EQ(marks[0].y, 4180);
      EXPECT_EQ(marks[1].y, 4160);
      EXPECT_EQ(label->x, x - 50);
      EXPECT_EQ(label->y, 4190);
      EXPECT_EQ(label->font.escapement, 0);
    } else {
      int y = 5940 - static_cast<int>(3 * 5.28f);
      EXPECT_EQ(marks[0].x0, 660);
      EXPECT_EQ(marks[0].y0, y);
      EXPECT_EQ(marks[0].x, 620);
      EXPECT_EQ(marks[1].x, 640);
      EXPECT_EQ(label->x, 610);
      EXPECT_EQ(label->y, y - 50);
      EXPECT_EQ(label->font.escapement, 2700);
    }
  }
}

// A newest entry that failed to decode: each curve starts at the first valid entry's own
// point (as on the screen), and the empty entry makes no day or six-hour mark.
TEST(PrintedBarogram, EmptyNewestEntryStartsEachCurveAtItsFirstSample) {
  for (bool landscape : {true, false}) {
    Page p(landscape ? 6600 : 4800, landscape ? 4800 : 6600);
    p.t.app.settings.drawTendency1h = p.t.app.settings.drawTendency3h = p.t.app.settings.drawVariation =
        p.t.app.settings.variationBars = 1;
    p.fillHistory(3);
    p.t.app.history[0] = HistorySample{};
    for (int i = 1; i < 3; ++i) {
      p.t.app.history[i].tendency1h = p.t.app.history[i].tendency3h = 5;
      p.t.app.history[i].variation = 40;
    }
    p.draw();
    for (const PenSpec& pen : {kPressurePen, kTendency1hPen, kTendency3hPen, kVariationPen}) {
      const auto moves = p.movesWith(pen);
      const auto lines = p.linesWith(pen);
      ASSERT_FALSE(moves.empty());
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(moves[0].x, lines[0].x) << landscape << " " << baromon::fakes::describePen(pen);
      EXPECT_EQ(moves[0].y, lines[0].y) << landscape << " " << baromon::fakes::describePen(pen);
    }
    EXPECT_TRUE(p.linesWith(kMarkPen).empty()) << landscape;
    EXPECT_EQ(p.text(" 0. 0."), nullptr) << landscape;
  }
}

// An empty history: frame, scales, title and labels; each curve only its first move.
TEST(PrintedBarogram, EmptyHistoryDrawsTheFrameOnly) {
  Page p(6600, 4800);
  p.t.app.settings.drawTendency1h = 1;
  p.draw();
  EXPECT_TRUE(p.linesWith(kPressurePen).empty());
  EXPECT_EQ(p.movesWith(kPressurePen).size(), 1u);
  EXPECT_EQ(p.movesWith(kTendency1hPen).size(), 1u);
  EXPECT_TRUE(p.linesWith(kMarkPen).empty());
  EXPECT_NE(p.text("Air pressure data"), nullptr);
  EXPECT_EQ(p.canvas->texts().size(), 1u + 11u + 21u);
}

// A pen that could not be made: the fatal error of the step, and the page goes on.
TEST(PrintedBarogram, MissingPensAreFatalButDrawingGoesOn) {
  struct Case {
    const char* legend;
    bool landscape;
    baromon::platform::ObjectHandle baromon::PrinterPens::*pen;
    const char* code;
  } cases[] = {
      {"frame pen", true, &baromon::PrinterPens::printBlackPen5, "fatal error # 007"},
      {"grid pen in landscape", true, &baromon::PrinterPens::printDotPen, "fatal error # 009"},
      {"grid pen in portrait", false, &baromon::PrinterPens::printDotPen, "fatal error # 011"},
      {"pressure pen", false, &baromon::PrinterPens::printBlackPen7, "fatal error # 022"},
      {"mark pen", true, &baromon::PrinterPens::printBlackPen3, "fatal error # 022"},
  };
  for (const auto& c : cases) {
    Page p(c.landscape ? 6600 : 4800, c.landscape ? 4800 : 6600);
    p.fillHistory(10);
    p.t.app.display.printer.*c.pen = 0;
    p.draw();
    std::string err = p.t.dir.read("monitor.err");
    EXPECT_NE(err.find(c.code), std::string::npos) << c.legend << ": " << err;
    EXPECT_EQ(p.t.windows.quits.size(), 1u) << c.legend;
    EXPECT_NE(p.text(" 950"), nullptr) << c.legend << ": the labels are still written";
  }
}

} // namespace
