#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPrinter>
#include <memory>
#include <sstream>

#include "adapters/qt/CanvasOutput.h"
#include "adapters/qt/QtCanvas.h"
#include "adapters/qt/Windows1252.h"
#include "support/TempDir.h"

using namespace baromon::platform;
using baromon::qt::QtCanvas;

namespace {

// One application object for the whole program, offscreen (set by the test environment).
class QtEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "test";
      static char* argv[] = {name, nullptr};
      app_ = std::make_unique<QApplication>(argc, argv);
    }
  }
  void TearDown() override { app_.reset(); }

private:
  std::unique_ptr<QApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;

struct Painted {
  GraphicsObjects objects;
  QImage image = baromon::qt::makeBackBuffer(40, 30);
};

int countColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      n += image.pixel(x, y) == colour ? 1 : 0;
    }
  }
  return n;
}

} // namespace

TEST(QtCanvas, LineLeavesTheEndPixelOutInEveryDirection) {
  struct Case {
    const char* legend;
    int x0, y0, x1, y1;
    int pixels; // the major-axis length
  } cases[] = {
      {"right", 5, 5, 15, 5, 10}, {"left", 15, 5, 5, 5, 10},      {"down", 5, 5, 5, 20, 15},
      {"up", 5, 20, 5, 5, 15},    {"diagonal", 2, 2, 12, 12, 10}, {"steep", 3, 1, 7, 25, 24},
  };
  for (const Case& c : cases) {
    Painted p;
    {
      QtCanvas canvas(p.objects, p.image);
      canvas.moveTo(c.x0, c.y0);
      canvas.lineTo(c.x1, c.y1);
    }
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(p.image.pixel(c.x0, c.y0), kBlack);
    EXPECT_EQ(p.image.pixel(c.x1, c.y1), kWhite);
    EXPECT_EQ(countColour(p.image, kBlack), c.pixels);
  }
}

TEST(QtCanvas, HalfwayPointsFollowTheOctantRule) {
  // From (0,0) to (4,2) the exact line passes midway at x = 1 and x = 3. Going
  // right and down does not step there; the same line drawn back right-to-left
  // and upwards does, so both directions light the same pixels.
  Painted forward;
  {
    QtCanvas canvas(forward.objects, forward.image);
    canvas.moveTo(0, 0);
    canvas.lineTo(4, 2);
  }
  EXPECT_EQ(forward.image.pixel(1, 0), kBlack);
  EXPECT_EQ(forward.image.pixel(2, 1), kBlack);
  EXPECT_EQ(forward.image.pixel(3, 1), kBlack);
  Painted backward;
  {
    QtCanvas canvas(backward.objects, backward.image);
    canvas.moveTo(4, 2);
    canvas.lineTo(0, 0);
  }
  EXPECT_EQ(backward.image.pixel(4, 2), kBlack);
  EXPECT_EQ(backward.image.pixel(3, 1), kBlack);
  EXPECT_EQ(backward.image.pixel(2, 1), kBlack);
  EXPECT_EQ(backward.image.pixel(1, 0), kBlack);
}

TEST(QtCanvas, DottedPenRestartsAtEachLineAndFillsGapsWhenOpaque) {
  Painted p;
  p.image.fill(qRgb(245, 245, 255));
  ObjectHandle dot = p.objects.create(PenSpec{PenStyle::Dot, 1, {200, 200, 200}});
  {
    QtCanvas canvas(p.objects, p.image);
    canvas.select(dot);
    canvas.moveTo(0, 3);
    canvas.lineTo(10, 3);
    canvas.lineTo(20, 3); // restarts the pattern at x = 10
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.moveTo(0, 8);
    canvas.lineTo(12, 8);
  }
  const QRgb grey = qRgb(200, 200, 200);
  const QRgb plot = qRgb(245, 245, 255);
  const char* row3 = "+++---+++-+++---+++-";
  for (int x = 0; x < 20; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(p.image.pixel(x, 3), row3[x] == '+' ? grey : kWhite);
    if (x < 12) {
      EXPECT_EQ(p.image.pixel(x, 8), x % 6 < 3 ? grey : plot);
    }
  }
}

TEST(QtCanvas, RectangleAndWidePens) {
  Painted p;
  ObjectHandle brush = p.objects.create(BrushSpec{{245, 245, 255}});
  ObjectHandle wide = p.objects.create(PenSpec{PenStyle::Solid, 2, {255, 0, 0}});
  {
    QtCanvas canvas(p.objects, p.image);
    canvas.select(brush);
    canvas.rectangle(2, 3, 12, 10); // outline x 2..11, y 3..9
    canvas.select(wide);
    canvas.moveTo(20, 20);
    canvas.lineTo(30, 20);
  }
  EXPECT_EQ(p.image.pixel(2, 3), kBlack);
  EXPECT_EQ(p.image.pixel(11, 9), kBlack);
  EXPECT_EQ(p.image.pixel(12, 9), kWhite);
  EXPECT_EQ(p.image.pixel(11, 10), kWhite);
  EXPECT_EQ(p.image.pixel(3, 4), qRgb(245, 245, 255));
  EXPECT_EQ(p.image.pixel(10, 8), qRgb(245, 245, 255));
  // A 2-pixel horizontal line at y covers rows y-1 and y.
  EXPECT_EQ(p.image.pixel(25, 19), qRgb(255, 0, 0));
  EXPECT_EQ(p.image.pixel(25, 20), qRgb(255, 0, 0));
  EXPECT_EQ(p.image.pixel(25, 21), kWhite);
  EXPECT_EQ(p.image.pixel(25, 18), kWhite);
}

TEST(QtCanvas, FontsHaveTheirCellHeightsAndTextHangsFromItsPoint) {
  GraphicsObjects objects;
  QImage image = baromon::qt::makeBackBuffer(400, 200);
  {
    QtCanvas canvas(objects, image);
    // The default font is proportional, in the system font's 16-pixel cell, with equal-width digits.
    const QFont normal = QtCanvas::fontFor(FontSpec{});
    EXPECT_EQ(QFontInfo(normal).family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(canvas.textMetrics().height, 16);
    const QFontMetrics digits(normal);
    EXPECT_LT(digits.horizontalAdvance(QLatin1Char('i')), digits.horizontalAdvance(QLatin1Char('W')));
    for (char d = '1'; d <= '9'; ++d) {
      EXPECT_EQ(digits.horizontalAdvance(QLatin1Char(d)), digits.horizontalAdvance(QLatin1Char('0'))) << d;
    }
    FontSpec panel{FontKind::Panel, 60, 30, 0, 700};
    ObjectHandle big = objects.create(panel);
    canvas.select(big);
    EXPECT_LE(canvas.textMetrics().height, 60);
    EXPECT_GE(canvas.textMetrics().height, 56);
    EXPECT_NEAR(canvas.textMetrics().aveCharWidth, 30, 2);

    canvas.select(objects.stockFixedFont());
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.textOut(10, 50, "IIII");
    ObjectHandle down = objects.create(FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0});
    canvas.select(down);
    canvas.textOut(300, 100, "WWWWWW");
  }
  auto ink = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        n += image.pixel(x, y) != kWhite ? 1 : 0;
      }
    }
    return n;
  };
  // The horizontal text hangs from y = 50 within its 16-pixel cell.
  EXPECT_GT(ink(10, 50, 50, 66), 20);
  EXPECT_EQ(ink(0, 0, 200, 50), 0);
  EXPECT_EQ(ink(0, 66, 200, 100), 0);
  // Turned 90 degrees clockwise about (300, 100): it runs down, its cell left of x = 300.
  EXPECT_GT(ink(284, 100, 300, 200), 30);
  EXPECT_EQ(ink(300, 0, 400, 200), 0);
  EXPECT_EQ(ink(200, 0, 400, 100), 0);
}

TEST(QtCanvas, Windows1252TextsReachQtAsUnicode) {
  EXPECT_EQ(baromon::qt::fromWindows1252(std::string("\xFC"
                                                     "ber \x80 \x93x\x94")),
            QString::fromUtf8("\xC3\xBC"
                              "ber \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"));
  EXPECT_EQ(baromon::qt::toWindows1252(QString::fromUtf8("\xC3\xBC\xE2\x82\xAC\xE4\xB8\x80")),
            std::string("\xFC\x80?"));
}

TEST(QtCanvas, RendersPngSvgAndPdfFilesByExtension) {
  baromon::fakes::TempDir dir;
  GraphicsObjects objects;
  auto paint = [](Canvas& dc) {
    dc.moveTo(0, 0);
    dc.lineTo(50, 40);
    dc.textOut(5, 5, "abc");
  };
  for (const char* name : {"a.png", "a.svg", "a.PDF"}) {
    const std::string path = dir.path() + "/" + name;
    EXPECT_EQ(baromon::qt::renderToFile(objects, path, 64, 48, paint), "") << name;
    EXPECT_GT(QFile(QString::fromStdString(path)).size(), 100) << name;
  }
  QImage png(QString::fromStdString(dir.path() + "/a.png"));
  EXPECT_EQ(png.size(), QSize(64, 48));
  EXPECT_EQ(png.pixel(0, 0), kBlack);
  EXPECT_NE(baromon::qt::renderToFile(objects, dir.path() + "/a.gif", 64, 48, paint), "");
}

TEST(QtCanvas, VectorModeOnA600DpiPrinterPage) {
  baromon::fakes::TempDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(dir.file("page.pdf")));
  printer.setResolution(600);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setPageMargins(QMarginsF(0.25, 0, 0.25, 0), QPageLayout::Inch);
  const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
  EXPECT_EQ(page.size(), QSize(4800, 6600));
  GraphicsObjects objects;
  QPainter painter(&printer);
  {
    QtCanvas canvas(objects, painter, page.size());
    EXPECT_EQ(canvas.size().width, 4800);
    EXPECT_EQ(canvas.textMetrics().height, 16); // pixel sizes are device pixels
    canvas.select(objects.create(PenSpec{PenStyle::Solid, 7, {0, 0, 0}}));
    canvas.moveTo(100, 100);
    canvas.lineTo(4000, 5000);
    canvas.select(objects.create(FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0}));
    canvas.textOut(300, 300, "gedruckt");
  }
  painter.end();
  EXPECT_GT(QFile(QString::fromStdString(dir.file("page.pdf"))).size(), 500);
}

// Lines from (20, 20) whose exact course passes midway between pixels, with the
// pixels a reference drawing layer lit for them (offsets from the start).
TEST(QtCanvas, MidwayStepsMatchTheReferenceInEveryOctant) {
  struct Case {
    int dx, dy;
    const char* pixels;
  } cases[] = {
      {6, 3, "0,0 1,0 2,1 3,1 4,2 5,2"},       {-6, -3, "0,0 -1,-1 -2,-1 -3,-2 -4,-2 -5,-3"},
      {3, 6, "0,0 0,1 1,2 1,3 2,4 2,5"},       {-3, -6, "0,0 -1,-1 -1,-2 -2,-3 -2,-4 -3,-5"},
      {-6, 3, "0,0 -1,0 -2,1 -3,1 -4,2 -5,2"}, {6, -3, "0,0 1,-1 2,-1 3,-2 4,-2 5,-3"},
      {-3, 6, "0,0 -1,1 -1,2 -2,3 -2,4 -3,5"}, {3, -6, "0,0 0,-1 1,-2 1,-3 2,-4 2,-5"},
      {4, -2, "0,0 1,-1 2,-1 3,-2"},           {-2, 4, "0,0 -1,1 -1,2 -2,3"},
      {5, 5, "0,0 1,1 2,2 3,3 4,4"},           {7, -1, "0,0 1,0 2,0 3,0 4,-1 5,-1 6,-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    Painted p;
    {
      QtCanvas canvas(p.objects, p.image);
      canvas.moveTo(20, 15);
      canvas.lineTo(20 + c.dx, 15 + c.dy);
    }
    std::string lit;
    std::istringstream expected(c.pixels);
    int count = 0;
    for (std::string xy; expected >> xy; ++count) {
      const auto comma = xy.find(',');
      const int x = 20 + std::stoi(xy.substr(0, comma));
      const int y = 15 + std::stoi(xy.substr(comma + 1));
      EXPECT_EQ(p.image.pixel(x, y), kBlack) << xy;
    }
    EXPECT_EQ(countColour(p.image, kBlack), count);
  }
}

namespace {

// The colours of a picture that are neither of the two given.
std::string strayColours(const QImage& image, QRgb ink, QRgb paper) {
  std::ostringstream stray;
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (c != ink && c != paper && n++ < 5) {
        stray << x << "," << y << "=(" << qRed(c) << "," << qGreen(c) << "," << qBlue(c) << ") ";
      }
    }
  }
  return n == 0 ? "" : std::to_string(n) + " stray pixels: " + stray.str();
}

} // namespace

// Text is never smoothed, whatever the machine's font configuration says: every
// pixel of a label is the text colour or the background, in every font and angle.
TEST(QtCanvas, TextHasOnlyTextAndBackgroundPixels) {
  struct Case {
    const char* legend;
    FontSpec font;
    Rgb colour;
    BackgroundMode mode;
    const char* text;
  } cases[] = {
      {"scale label", FontSpec{}, {0, 0, 0}, BackgroundMode::Opaque, "+10"},
      {"legend", FontSpec{}, {0, 0, 0}, BackgroundMode::Opaque, "3 hrs tendency"},
      {"paper label", FontSpec{}, {180, 100, 90}, BackgroundMode::Transparent, "28.12. 1050"},
      {"panel font",
       FontSpec{FontKind::Panel, 60, 30, 0, 700},
       {255, 0, 0},
       BackgroundMode::Transparent,
       "-1.4 hPa/h"},
      {"small panel",
       FontSpec{FontKind::Panel, 30, 15, 0, 700},
       {0, 0, 0},
       BackgroundMode::Transparent,
       "mean: 41234"},
      {"rotated",
       FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0},
       {0, 0, 0},
       BackgroundMode::Opaque,
       "Luftdruck 1013"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    GraphicsObjects objects;
    QImage image = baromon::qt::makeBackBuffer(500, 300);
    {
      QtCanvas canvas(objects, image);
      canvas.select(objects.create(c.font));
      canvas.setTextColour(c.colour);
      canvas.setBackgroundMode(c.mode);
      canvas.textOut(250, 20, c.text);
    }
    const QRgb ink = qRgb(c.colour.r, c.colour.g, c.colour.b);
    EXPECT_GT(countColour(image, ink), 10);
    EXPECT_EQ(strayColours(image, ink, kWhite), "");
  }
  // The same through the PNG output.
  baromon::fakes::TempDir dir;
  GraphicsObjects objects;
  const std::string path = dir.path() + "/label.png";
  ASSERT_EQ(baromon::qt::renderToFile(objects, path, 80, 40, [](Canvas& dc) { dc.textOut(5, 5, "+10"); }),
            "");
  QImage png(QString::fromStdString(path));
  EXPECT_EQ(strayColours(png.convertToFormat(QImage::Format_RGB32), kBlack, kWhite), "");
}
