#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/analysis/DiurnalRhythm.h"
#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "support/LogBuilder.h"
#include "support/RecordingCanvas.h"
#include "support/TestApp.h"

namespace {

using baromon::fakes::RecordingCanvas;
using baromon::fakes::TestApp;
using baromon::platform::PenSpec;
using baromon::platform::PenStyle;
using baromon::platform::Rgb;
using baromon::testlog::LogBuilder;
using Kind = RecordingCanvas::Kind;

const PenSpec kAxisPen{PenStyle::Solid, 2, {0, 0, 0}};
const PenSpec kPressurePen{PenStyle::Solid, 3, {0, 0, 0}};
const PenSpec kFitPen{PenStyle::Solid, 1, {255, 0, 0}};
const PenSpec kTendency1hPen{PenStyle::Solid, 1, {0, 0, 255}};
const PenSpec kTendency3hPen{PenStyle::Solid, 1, {0, 200, 0}};
const PenSpec kVariationPen{PenStyle::Solid, 1, {200, 200, 200}};
const PenSpec kGridPen{PenStyle::Dot, 1, {200, 200, 200}};

std::vector<RecordingCanvas::Op> linesWith(const RecordingCanvas& canvas, const PenSpec& pen) {
  std::vector<RecordingCanvas::Op> out;
  for (const auto& op : canvas.lines()) {
    if (op.pen == pen) {
      out.push_back(op);
    }
  }
  return out;
}

std::vector<std::string> textsOf(const RecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const auto& op : canvas.texts()) {
    out.push_back(op.text);
  }
  return out;
}

bool hasLine(const RecordingCanvas& canvas, int x0, int y0, int x, int y, const PenSpec& pen) {
  auto lines = canvas.lines();
  return std::any_of(lines.begin(), lines.end(), [&](const auto& op) {
    return op.x0 == x0 && op.y0 == y0 && op.x == x && op.y == y && op.pen == pen;
  });
}

bool hasText(const RecordingCanvas& canvas, int x, int y, const std::string& text) {
  auto texts = canvas.texts();
  return std::any_of(texts.begin(), texts.end(),
                     [&](const auto& op) { return op.x == x && op.y == y && op.text == text; });
}

// Two complete days; slot 5 carries tendencies and a variation on both.
LogBuilder twoCompleteDays() {
  LogBuilder log;
  for (unsigned day = 1; day <= 2; ++day) {
    for (int slot = 0; slot < 288; ++slot) {
      std::int32_t pressure = day == 1 ? 101300 + (slot % 2) * 200 : 101400 + (slot % 2 ? 200 : -200);
      bool marked = slot == 5;
      log.add(day, slot / 12, (slot % 12) * 5, pressure, marked ? 10 : 0, marked ? -8 : 0, marked ? 20 : 0);
    }
  }
  return log;
}

struct Painted {
  TestApp t;
  RecordingCanvas canvas{t.graphics, {1100, 600}};
  int result = 0;
  explicit Painted(const LogBuilder* log, baromon::platform::CanvasSize size = {1100, 600}) {
    baromon::createScreenPens(t.app);
    canvas.setSize(size);
    if (log) {
      log->writeTo(t.dir);
    }
    result = baromon::paintDiurnalRhythm(t.app, canvas);
  }
};

// The 576-record log: the summary line, all five curves and their pens.
TEST(DiurnalPaint, CompleteDaysDrawSummaryAndFiveCurves) {
  LogBuilder log = twoCompleteDays();
  Painted p(&log);
  EXPECT_EQ(p.result, 1);
  auto texts = p.canvas.texts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.front().text, "576 records of 2 days analyzed (mean 1014.00 hPa)");
  EXPECT_EQ(texts.front().x, 10);
  EXPECT_EQ(texts.front().y, 2);
  EXPECT_EQ(texts.front().background, baromon::platform::BackgroundMode::Transparent);
  EXPECT_TRUE(hasText(p.canvas, 10, 20, "linear regression analysis: 12hr (UTC) phase angle   0 degrees"));

  for (const PenSpec* pen : {&kPressurePen, &kFitPen, &kTendency1hPen, &kTendency3hPen, &kVariationPen}) {
    EXPECT_EQ(linesWith(p.canvas, *pen).size(), 288u) << baromon::fakes::describePen(*pen);
  }

  // Slot 0 averages 1012.50 hPa, 1.50 hPa under the mean: 0.5 px per hundredth.
  auto pressure = linesWith(p.canvas, kPressurePen);
  EXPECT_EQ(pressure[0].x0, 50);
  EXPECT_EQ(pressure[0].y0, 375);
  EXPECT_EQ(pressure[0].x, 50);
  EXPECT_EQ(pressure[0].y, 375);
  EXPECT_EQ(pressure[1].x, 53) << "slots are 1000/288 px apart";
  EXPECT_EQ(pressure[1].y, 225);
  EXPECT_EQ(pressure[287].x, 1046);

  // Slot 5: +1.0 hPa/h reaches the top edge, -0.8 hPa/3h lies 200 px below
  // the zero line, 2.0 hPa of variation rises 300 px from the bottom edge.
  EXPECT_EQ(linesWith(p.canvas, kTendency1hPen)[5].y, 50);
  EXPECT_EQ(linesWith(p.canvas, kTendency3hPen)[5].y, 500);
  EXPECT_EQ(linesWith(p.canvas, kVariationPen)[5].y, 250);
  EXPECT_EQ(linesWith(p.canvas, kVariationPen)[4].y, 550);
  EXPECT_EQ(linesWith(p.canvas, kFitPen)[0].x0, 50);
  EXPECT_EQ(linesWith(p.canvas, kFitPen)[0].y0, 300);
}

// The frame, axes, ticks, labels and grid of a 1100 x 600 client area.
TEST(DiurnalPaint, FrameTicksLabelsAndGridFollowTheClientSize) {
  Painted p(nullptr);
  auto rects = p.canvas.of(Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].x0, 50);
  EXPECT_EQ(rects[0].y0, 50);
  EXPECT_EQ(rects[0].x, 1050);
  EXPECT_EQ(rects[0].y, 550);
  EXPECT_EQ(rects[0].brush.colour, (Rgb{245, 245, 255}));
  EXPECT_EQ(rects[0].pen, (PenSpec{PenStyle::Solid, 1, {0, 0, 0}})) << "the paint's own pen outlines it";

  EXPECT_TRUE(hasLine(p.canvas, 50, 300, 1050, 300, kAxisPen)) << "zero line";
  EXPECT_TRUE(hasLine(p.canvas, 50, 300, 50, 50, kAxisPen));
  EXPECT_TRUE(hasLine(p.canvas, 50, 50, 50, 550, kAxisPen));

  // Hours are 1000/24 px apart; hour 0 has a tick but no number, hour 24 neither.
  EXPECT_TRUE(hasLine(p.canvas, 50, 550, 50, 560, kAxisPen));
  EXPECT_TRUE(hasLine(p.canvas, 91, 550, 91, 560, kAxisPen));
  EXPECT_TRUE(hasText(p.canvas, 82, 560, " 1"));
  EXPECT_TRUE(hasText(p.canvas, 999, 560, "23"));
  EXPECT_FALSE(hasLine(p.canvas, 1050, 550, 1050, 560, kAxisPen));

  // Half the plot height is 5 hPa: 50 px per hPa.
  EXPECT_TRUE(hasLine(p.canvas, 50, 250, 40, 250, kAxisPen));
  EXPECT_TRUE(hasText(p.canvas, 10, 240, "+1.0"));
  EXPECT_TRUE(hasText(p.canvas, 10, 540, "-5.0"));
  EXPECT_TRUE(hasText(p.canvas, 10, 40, "+5.0"));

  auto grid = linesWith(p.canvas, kGridPen);
  EXPECT_EQ(grid.size(), 24u + 20u) << "24 hour lines, 10 value lines each side";
  EXPECT_TRUE(hasLine(p.canvas, 50, 75, 1050, 75, kGridPen)) << "4.5 hPa";
  EXPECT_FALSE(hasLine(p.canvas, 50, 50, 1050, 50, kGridPen)) << "the edge is not drawn again";

  auto texts = textsOf(p.canvas);
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& s) { return s.size() == 4; }),
            10);
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& s) { return s.size() == 2; }),
            23);
}

// No log, or a day with one empty slot: the frame and the phase line, no curve.
TEST(DiurnalPaint, IncompleteDataDrawsNoCurvesButStillThePhaseLine) {
  LogBuilder holed = twoCompleteDays();
  // Drop 03:10 from both days (slot 38 of each).
  holed.text.erase(288 * 80 + 38 * 80, 80);
  holed.text.erase(38 * 80, 80);
  const LogBuilder* logs[] = {nullptr, &holed};
  for (const LogBuilder* log : logs) {
    Painted p(log);
    auto texts = p.canvas.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().text, "insufficient data (one complete day needed)");
    EXPECT_TRUE(linesWith(p.canvas, kPressurePen).empty());
    EXPECT_TRUE(linesWith(p.canvas, kFitPen).empty());
    EXPECT_EQ(linesWith(p.canvas, kGridPen).size(), 44u);
    EXPECT_EQ(texts.back().y, 20);
    EXPECT_EQ(texts.back().text.rfind("linear regression analysis: 12hr (UTC) phase angle ", 0), 0u);
  }
}

// The pen the paint found is given back; the brush stays.
// Every paint reads the whole log, but draws only once it has let go of it.
TEST(DiurnalPaint, DrawsWithTheLogReleased) {
  TestApp t;
  baromon::createScreenPens(t.app);
  LogBuilder log;
  log.day(1, [](int) { return 101300; }).day(2, [](int slot) { return 101300 + slot; });
  log.writeTo(t.dir);
  RecordingCanvas canvas(t.graphics, {500, 250});
  int held = 0;
  canvas.onOp = [&](const RecordingCanvas::Op&) {
    held += t.files.open("monitor.txt", baromon::platform::FileAccess::ReadWrite,
                         baromon::platform::OpenMode::OpenExisting) == nullptr;
  };
  baromon::paintDiurnalRhythm(t.app, canvas);
  EXPECT_GT(canvas.lines().size(), 288u * 5) << "the curves were drawn";
  EXPECT_EQ(held, 0) << "monitor.txt was held while the window was drawn";
}

// A drawn text's box: from its point, one cell high, as wide as its characters at the
// font's widest (no character of the font is wider).
struct TextBox {
  int left, top, right, bottom;
  std::string text;
};

std::vector<TextBox> textBoxes(RecordingCanvas& canvas) {
  std::vector<TextBox> boxes;
  const auto metrics = canvas.textMetrics();
  for (const auto& op : canvas.texts()) {
    const int width = static_cast<int>(op.text.size()) * metrics.maxCharWidth;
    const int height = metrics.height;
    boxes.push_back({op.x, op.y, op.x + width, op.y + height, op.text});
  }
  return boxes;
}

// Apart: at least one pixel of background between them, across or down.
bool apart(const TextBox& a, const TextBox& b) {
  return a.right < b.left || b.right < a.left || a.bottom < b.top || b.bottom < a.top;
}

// The window's client area at its given outer size of 500 x 250 (caption and frame off),
// with the 16-pixel cell and 8-pixel digits of the window font: hour labels one hour
// apart ran together ("1011121314"), and the value labels 1 hPa apart overlapped.
TEST(DiurnalPaint, EveryLabelStandsApartAtTheWindowsOwnSize) {
  LogBuilder log = twoCompleteDays();
  for (const baromon::platform::CanvasSize client :
       {baromon::platform::CanvasSize{484, 211}, baromon::platform::CanvasSize{1100, 600},
        baromon::platform::CanvasSize{300, 150}}) {
    SCOPED_TRACE(std::to_string(client.width) + "x" + std::to_string(client.height));
    Painted p(&log, client);
    const auto boxes = textBoxes(p.canvas);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      for (std::size_t j = i + 1; j < boxes.size(); ++j) {
        EXPECT_TRUE(apart(boxes[i], boxes[j]))
            << "\"" << boxes[i].text << "\" touches \"" << boxes[j].text << "\"";
      }
    }
    // Still a scale to read: every second hour at least, and both ends of the value scale.
    const auto texts = textsOf(p.canvas);
    const auto hours =
        std::count_if(texts.begin(), texts.end(), [](const std::string& s) { return s.size() == 2; });
    EXPECT_GE(hours, client.width < 400 ? 7 : 11);
    if (client.height > 200) {
      EXPECT_NE(std::find(texts.begin(), texts.end(), "+4.0"), texts.end());
      EXPECT_NE(std::find(texts.begin(), texts.end(), "-4.0"), texts.end());
    }
  }
}

// A proportional system font: average 7 pixels, digits 9, but one glyph of the font 29
// pixels wide. The labels are not spaced for that glyph: every second hour keeps its label.
TEST(DiurnalPaint, LabelsAreSpacedForDigitsNotTheFontsWidestGlyph) {
  LogBuilder log = twoCompleteDays();
  TestApp t;
  baromon::createScreenPens(t.app);
  log.writeTo(t.dir);
  RecordingCanvas canvas(t.graphics, {484, 211});
  canvas.metrics = {16, 0, 29, 7};
  baromon::paintDiurnalRhythm(t.app, canvas);
  std::vector<RecordingCanvas::Op> hours;
  for (const auto& op : canvas.texts()) {
    if (op.text.size() == 2) {
      hours.push_back(op);
    }
  }
  ASSERT_EQ(hours.size(), 11u);
  for (std::size_t i = 1; i < hours.size(); ++i) {
    EXPECT_LT(hours[i - 1].x + 2 * 9, hours[i].x) << hours[i - 1].text << " and " << hours[i].text;
  }
}

TEST(DiurnalPaint, RestoresThePenItFound) {
  Painted p(nullptr);
  EXPECT_EQ(p.canvas.currentPen(), p.t.graphics.stockBlackPen());
  EXPECT_EQ(p.canvas.currentBrush(), p.t.app.display.screen.plotBrush);
}

} // namespace
