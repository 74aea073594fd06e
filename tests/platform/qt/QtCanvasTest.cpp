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
#include "support/CanvasPixelCases.h"
#include "support/TempDir.h"

using namespace baromon::platform;
using baromon::qt::QtCanvas;
namespace pixels = baromon::fakes::canvas_pixels;

namespace {

// One application object for the whole program, offscreen (set by the test environment).
class QtEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) {
      // The fonts of the pictures, not the machine's configuration: where that maps a face
      // elsewhere or hints it its own way, Qt's letters would differ from FreeType's.
      baromon::qt::useOnlyTheDejaVuFonts();
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
  QImage image = baromon::qt::makeBackBuffer(pixels::kWidth, pixels::kHeight);
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

QRgb qrgb(Rgb c) { return qRgb(c.r, c.g, c.b); }

} // namespace

TEST(QtCanvas, LineLeavesTheEndPixelOutInEveryDirection) {
  for (const auto& c : pixels::kLines) {
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
  Painted forward;
  {
    QtCanvas canvas(forward.objects, forward.image);
    canvas.moveTo(0, 0);
    canvas.lineTo(4, 2);
  }
  for (const auto& lit : pixels::kHalfwayForwardLit) {
    EXPECT_EQ(forward.image.pixel(lit.x, lit.y), kBlack) << lit.x << "," << lit.y;
  }
  Painted backward;
  {
    QtCanvas canvas(backward.objects, backward.image);
    canvas.moveTo(4, 2);
    canvas.lineTo(0, 0);
  }
  for (const auto& lit : pixels::kHalfwayBackwardLit) {
    EXPECT_EQ(backward.image.pixel(lit.x, lit.y), kBlack) << lit.x << "," << lit.y;
  }
}

TEST(QtCanvas, DottedPenRestartsAtEachLineAndFillsGapsWhenOpaque) {
  Painted p;
  p.image.fill(qrgb(pixels::kPlot));
  {
    QtCanvas canvas(p.objects, p.image);
    pixels::paintDotted(p.objects, canvas);
  }
  const QRgb grey = qrgb(pixels::kDotColour);
  const QRgb plot = qrgb(pixels::kPlot);
  for (int x = 0; x < 20; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(p.image.pixel(x, 3), pixels::kDottedOpaqueRow3[x] == '+' ? grey : kWhite);
    if (x < 12) {
      EXPECT_EQ(p.image.pixel(x, 8), pixels::kDottedTransparentRow8[x] == '+' ? grey : plot);
    }
  }
}

TEST(QtCanvas, RectangleAndWidePens) {
  Painted p;
  {
    QtCanvas canvas(p.objects, p.image);
    pixels::paintRectangleAndWidePen(p.objects, canvas);
  }
  for (const auto& c : pixels::kRectangleAndWidePen) {
    EXPECT_EQ(p.image.pixel(c.x, c.y), qrgb(c.colour)) << c.legend;
  }
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

TEST(QtCanvas, MidwayStepsMatchTheReferenceInEveryOctant) {
  for (const auto& c : pixels::kMidway) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    Painted p;
    {
      QtCanvas canvas(p.objects, p.image);
      canvas.moveTo(pixels::kMidwayX, pixels::kMidwayY);
      canvas.lineTo(pixels::kMidwayX + c.dx, pixels::kMidwayY + c.dy);
    }
    std::istringstream expected(c.pixels);
    int count = 0;
    for (std::string xy; expected >> xy; ++count) {
      const auto comma = xy.find(',');
      const int x = pixels::kMidwayX + std::stoi(xy.substr(0, comma));
      const int y = pixels::kMidwayY + std::stoi(xy.substr(comma + 1));
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
