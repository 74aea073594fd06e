#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "adapters/win32/GdiCanvas.h"
#include "support/CanvasPixelCases.h"

namespace baromon {
namespace {

using namespace platform;
namespace pixels = fakes::canvas_pixels;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

struct Painted {
  GraphicsObjects objects;
  GdiMemoryBitmap picture{pixels::kWidth, pixels::kHeight};
};

int countColour(const GdiMemoryBitmap& picture, Rgb colour) {
  int n = 0;
  for (int y = 0; y < picture.size().height; ++y) {
    for (int x = 0; x < picture.size().width; ++x) {
      n += picture.pixel(x, y) == colour ? 1 : 0;
    }
  }
  return n;
}

std::string text(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

TEST(GdiCanvas, LineLeavesTheEndPixelOutInEveryDirection) {
  for (const auto& c : pixels::kLines) {
    Painted p;
    ASSERT_TRUE(p.picture.valid());
    {
      GdiCanvas canvas(p.objects, p.picture.dc(), p.picture.size());
      canvas.moveTo(c.x0, c.y0);
      canvas.lineTo(c.x1, c.y1);
    }
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(p.picture.pixel(c.x0, c.y0), kBlack);
    EXPECT_EQ(p.picture.pixel(c.x1, c.y1), kWhite);
    EXPECT_EQ(countColour(p.picture, kBlack), c.pixels);
  }
}

TEST(GdiCanvas, HalfwayPointsFollowTheOctantRule) {
  Painted forward;
  {
    GdiCanvas canvas(forward.objects, forward.picture.dc(), forward.picture.size());
    canvas.moveTo(0, 0);
    canvas.lineTo(4, 2);
  }
  for (const auto& lit : pixels::kHalfwayForwardLit) {
    EXPECT_EQ(forward.picture.pixel(lit.x, lit.y), kBlack) << lit.x << "," << lit.y;
  }
  Painted backward;
  {
    GdiCanvas canvas(backward.objects, backward.picture.dc(), backward.picture.size());
    canvas.moveTo(4, 2);
    canvas.lineTo(0, 0);
  }
  for (const auto& lit : pixels::kHalfwayBackwardLit) {
    EXPECT_EQ(backward.picture.pixel(lit.x, lit.y), kBlack) << lit.x << "," << lit.y;
  }
}

TEST(GdiCanvas, MidwayStepsMatchTheReferenceInEveryOctant) {
  for (const auto& c : pixels::kMidway) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    Painted p;
    {
      GdiCanvas canvas(p.objects, p.picture.dc(), p.picture.size());
      canvas.moveTo(pixels::kMidwayX, pixels::kMidwayY);
      canvas.lineTo(pixels::kMidwayX + c.dx, pixels::kMidwayY + c.dy);
    }
    std::istringstream expected(c.pixels);
    int count = 0;
    for (std::string xy; expected >> xy; ++count) {
      const auto comma = xy.find(',');
      const int x = pixels::kMidwayX + std::stoi(xy.substr(0, comma));
      const int y = pixels::kMidwayY + std::stoi(xy.substr(comma + 1));
      EXPECT_EQ(p.picture.pixel(x, y), kBlack) << xy;
    }
    EXPECT_EQ(countColour(p.picture, kBlack), count);
  }
}

TEST(GdiCanvas, DottedPenRestartsAtEachLineAndFillsGapsWhenOpaque) {
  Painted p;
  p.picture.fill(pixels::kPlot);
  {
    GdiCanvas canvas(p.objects, p.picture.dc(), p.picture.size());
    pixels::paintDotted(p.objects, canvas);
  }
  std::string row3;
  std::string row8;
  for (int x = 0; x < 20; ++x) {
    row3 += p.picture.pixel(x, 3) == pixels::kDotColour ? '+' : p.picture.pixel(x, 3) == kWhite ? '-' : '?';
    if (x < 12) {
      row8 += p.picture.pixel(x, 8) == pixels::kDotColour ? '+'
              : p.picture.pixel(x, 8) == pixels::kPlot    ? '-'
                                                          : '?';
    }
  }
  EXPECT_EQ(row3, pixels::kDottedOpaqueRow3);
  EXPECT_EQ(row8, pixels::kDottedTransparentRow8);
}

TEST(GdiCanvas, RectangleAndWidePens) {
  Painted p;
  {
    GdiCanvas canvas(p.objects, p.picture.dc(), p.picture.size());
    pixels::paintRectangleAndWidePen(p.objects, canvas);
  }
  for (const auto& c : pixels::kRectangleAndWidePen) {
    EXPECT_EQ(text(p.picture.pixel(c.x, c.y)), text(c.colour)) << c.legend;
  }
}

TEST(GdiCanvas, SelectionsReturnTheReplacedObjectAndRefuseDeadHandles) {
  Painted p;
  GdiCanvas canvas(p.objects, p.picture.dc(), p.picture.size());
  const ObjectHandle red = p.objects.create(PenSpec{PenStyle::Solid, 1, {255, 0, 0}});
  EXPECT_EQ(canvas.select(red), p.objects.stockBlackPen());
  EXPECT_EQ(canvas.select(0), 0u);
  p.objects.destroy(red);
  EXPECT_EQ(canvas.select(red), 0u);
  // The destroyed pen stays the one drawing until the next selection.
  canvas.moveTo(1, 1);
  canvas.lineTo(5, 1);
  EXPECT_EQ(p.picture.pixel(2, 1), (Rgb{255, 0, 0}));
  canvas.setPixel(7, 7, Rgb{1, 2, 3});
  EXPECT_EQ(p.picture.pixel(7, 7), (Rgb{1, 2, 3}));
}

TEST(GdiCanvas, TextHangsFromItsPointAndTurnsDownwards) {
  GraphicsObjects objects;
  GdiMemoryBitmap picture(400, 200);
  {
    GdiCanvas canvas(objects, picture.dc(), picture.size());
    EXPECT_EQ(canvas.textMetrics().height, 16);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.textOut(10, 50, "IIII");
    canvas.select(objects.create(FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0}));
    canvas.textOut(300, 100, "WWWWWW");
    canvas.select(objects.create(FontSpec{FontKind::Panel, 60, 30, 0, 700}));
    EXPECT_LE(canvas.textMetrics().height, 60);
    EXPECT_GE(canvas.textMetrics().height, 56);
  }
  auto ink = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        n += picture.pixel(x, y) != kWhite ? 1 : 0;
      }
    }
    return n;
  };
  EXPECT_GT(ink(10, 50, 50, 66), 20);
  EXPECT_EQ(ink(0, 0, 200, 50), 0);
  EXPECT_EQ(ink(0, 66, 200, 100), 0);
  EXPECT_GT(ink(284, 100, 300, 200), 30);
  EXPECT_EQ(ink(300, 0, 400, 200), 0);
  EXPECT_EQ(ink(200, 0, 400, 100), 0);
}

} // namespace
} // namespace baromon
