#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <utility>

#include "adapters/qt/CanvasOutput.h"
#include "adapters/raster/PngEncoder.h"
#include "adapters/qt/QtCanvas.h"
#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "support/TempDir.h"
#include "support/TestApp.h"

using namespace baromon;

namespace {

// The header fields a reader goes by: bit depth and colour type (3 palette, 2 RGB).
struct Header {
  int depth;
  int colourType;
};

Header headerOf(const QByteArray& png) {
  EXPECT_GE(png.size(), 29);
  EXPECT_EQ(png.mid(12, 4), QByteArray("IHDR"));
  return {static_cast<unsigned char>(png.at(24)), static_cast<unsigned char>(png.at(25))};
}

// Decoded by Qt's reader (libpng checks every chunk's CRC and zlib the stream's checksum).
QImage decoded(const QByteArray& png) {
  QImage image;
  EXPECT_TRUE(image.loadFromData(png, "PNG"));
  return image.convertToFormat(QImage::Format_RGB32);
}

// The encoder's file of a 32-bit image (at the resolution given), as Qt's bytes.
QByteArray encoded(QImage image, int dotsPerMetre = 0) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  const raster::Pixels pixels{reinterpret_cast<raster::Colour*>(image.bits()), image.width(), image.height(),
                              image.bytesPerLine() / 4};
  const std::string png = raster::encodePng(pixels, dotsPerMetre);
  return QByteArray(png.data(), static_cast<qsizetype>(png.size()));
}

void expectSamePixels(const QImage& expected, const QImage& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  int differing = 0;
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      differing += expected.pixel(x, y) == actual.pixel(x, y) ? 0 : 1;
    }
  }
  EXPECT_EQ(differing, 0);
}

// `colours` colours one after the other along the rows, each of them at least once.
QImage stripes(int width, int colours) {
  const int height = colours / width + 2;
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int i = (y * width + x) % colours;
      image.setPixel(x, y, qRgb(i % 256, (i * 7) % 256, i / 256));
    }
  }
  return image;
}

} // namespace

// The smallest depth that holds the palette, rows packed to whole bytes whatever the
// width, and beyond 256 colours plain RGB; every pixel comes back.
TEST(PngEncoder, PicksTheDepthForTheColoursAndKeepsEveryPixel) {
  const struct {
    int colours;
    Header header;
  } cases[] = {{1, {1, 3}},  {2, {1, 3}},  {3, {2, 3}},   {4, {2, 3}},  {5, {4, 3}},
               {16, {4, 3}}, {17, {8, 3}}, {256, {8, 3}}, {257, {8, 2}}};
  for (const auto& c : cases) {
    for (int width : {1, 3, 7, 8, 9, 33}) {
      SCOPED_TRACE(testing::Message() << c.colours << " colours, " << width << " wide");
      const QImage image = stripes(width, c.colours);
      const QByteArray png = encoded(image);
      const Header header = headerOf(png);
      EXPECT_EQ(header.depth, c.header.depth);
      EXPECT_EQ(header.colourType, c.header.colourType);
      expectSamePixels(image, decoded(png));
    }
  }
}

// Alpha is not kept; the resolution is.
TEST(PngEncoder, WritesOpaquePixelsAndTheResolution) {
  QImage image(4, 2, QImage::Format_ARGB32);
  image.fill(qRgba(10, 20, 30, 40));
  const QImage back = decoded(encoded(image, 7559));
  EXPECT_EQ(back.pixel(3, 1), qRgb(10, 20, 30));
  EXPECT_EQ(back.dotsPerMeterX(), 7559);
  EXPECT_EQ(back.dotsPerMeterY(), 7559);
  EXPECT_EQ(raster::encodePng(raster::Pixels{}, 3780), "") << "no pixels, no file";
}

namespace {

// A barogram of 1000 samples with every curve on.
void fillBusyHistory(AppContext& app) {
  for (int i = 0; i < kHistoryShown; ++i) {
    HistorySample& s = app.history[i];
    const int minutes = 4 * 24 * 60 - 5 * i;
    s.year = 2026;
    s.month = 3;
    s.day = static_cast<std::uint8_t>(10 + minutes / 1440);
    s.hour = static_cast<std::uint8_t>(minutes % 1440 / 60);
    s.minute = static_cast<std::uint8_t>(minutes % 60);
    s.pressure = 100000 + (i * 37) % 2500;
    s.tendency1h = (i % 97) - 48;
    s.tendency3h = (i % 61) - 30;
    s.variation = i % 23;
  }
  app.settings.drawTendency1h = app.settings.drawTendency3h = app.settings.drawVariation = 1;
  createScreenPens(app);
}

QImage paintedBarogram(fakes::TestApp& t, int width, int height) {
  QImage image = qt::makeBackBuffer(width, height);
  qt::QtCanvas dc(t.graphics, image);
  paintBarogram(t.app, dc);
  return image;
}

} // namespace

// The file holds what the window would show, as a palette image, at sizes below and
// above a huge page.
TEST(PngEncoder, ThePictureFileHasThePaintedPixels) {
  fakes::TestApp t;
  fillBusyHistory(t.app);
  fakes::TempDir dir;
  for (auto [width, height] : {std::pair{101, 71}, {1100, 600}, {1920, 1080}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const std::string path = dir.file("b.png");
    ASSERT_EQ(qt::renderToFile(t.graphics, path, width, height,
                               [&](platform::Canvas& dc) { paintBarogram(t.app, dc); }),
              "");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray png = file.readAll();
    EXPECT_EQ(headerOf(png).colourType, 3) << "a barogram has a palette";
    expectSamePixels(paintedBarogram(t, width, height), decoded(png));
  }
}
