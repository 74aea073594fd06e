#include <gtest/gtest.h>

#include <QImage>
#include <QSvgRenderer>

#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "adapters/qt/CanvasOutput.h"
#include "adapters/qt/QtCanvas.h"
#include "support/TestApp.h"

using namespace baromon;

namespace {

constexpr QRgb kBlack = 0xff000000u;
constexpr QRgb kWhite = 0xffffffffu;
const QRgb kPlot = qRgb(245, 245, 255);
const QRgb kGrid = qRgb(200, 200, 200);

// 41 samples from 17:00 back to 13:40: one day, one six-hour block, so no time lines.
void steadyAfternoon(AppContext& app) {
  for (int i = 0; i <= 40; ++i) {
    const int minutes = 17 * 60 - 5 * i;
    HistorySample& s = app.history[i];
    s.year = 2026;
    s.day = 8;
    s.month = 12;
    s.hour = static_cast<std::uint8_t>(minutes / 60);
    s.minute = static_cast<std::uint8_t>(minutes % 60);
    s.pressure = 101325;
  }
  app.settings.displayStep = 300;
}

} // namespace

// The QApplication comes from the environment registered in QtCanvasTest.cpp.
TEST(BarogramPixels, FrameCurveAndDottedGridLandOnTheirPixels) {
  fakes::TestApp t;
  steadyAfternoon(t.app);
  createScreenPens(t.app);
  QImage image = qt::makeBackBuffer(1100, 600);
  {
    qt::QtCanvas dc(t.graphics, image);
    paintBarogram(t.app, dc);
  }
  // Frame outline along x = 50, x = 1050, y = 35 and y = 565; the plot inside.
  for (auto [x, y] :
       {std::pair{50, 35}, {1050, 35}, {50, 565}, {1050, 565}, {700, 35}, {700, 565}, {50, 400}}) {
    EXPECT_EQ(image.pixel(x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(image.pixel(51, 36), kPlot);
  EXPECT_EQ(image.pixel(1049, 564), kPlot);
  EXPECT_EQ(image.pixel(1051, 36), kWhite); // outside, between two ticks
  EXPECT_EQ(image.pixel(700, 566), kWhite);

  // 1013.25 hPa at y = 230 with the 2-pixel pen: rows 229 and 230.
  for (int x : {1008, 1020, 1046}) {
    EXPECT_EQ(image.pixel(x, 229), kBlack) << x;
    EXPECT_EQ(image.pixel(x, 230), kBlack) << x;
    EXPECT_EQ(image.pixel(x, 228), kPlot) << x;
    EXPECT_EQ(image.pixel(x, 231), kPlot) << x;
  }
  EXPECT_EQ(image.pixel(1000, 230), kPlot); // the curve ends at sample 40's point, x = 1008

  // The first grid line, y = 538: 3 on, 3 off from x = 50, the gaps white (opaque background).
  for (int x = 100; x < 112; ++x) {
    EXPECT_EQ(image.pixel(x, 538), (x - 50) % 6 < 3 ? kGrid : kWhite) << x;
  }
  // The zero line of the tendency scale, y = 300.
  EXPECT_EQ(image.pixel(56, 300), kGrid);
  EXPECT_EQ(image.pixel(59, 300), kWhite);

  // Legend sample of the pressure: one black row at y = 18 from x = 184 to 264.
  EXPECT_EQ(image.pixel(184, 18), kBlack);
  EXPECT_EQ(image.pixel(264, 18), kBlack);
  EXPECT_EQ(image.pixel(265, 18), kWhite);
  EXPECT_EQ(image.pixel(200, 17), kWhite);
}

TEST(BarogramPixels, SvgOutputIsAValidPicture) {
  fakes::TestApp t;
  steadyAfternoon(t.app);
  createScreenPens(t.app);
  const std::string path = t.dir.file("b.svg");
  ASSERT_EQ(
      qt::renderToFile(t.graphics, path, 1100, 600, [&](platform::Canvas& dc) { paintBarogram(t.app, dc); }),
      "");
  QSvgRenderer svg(QString::fromStdString(path));
  ASSERT_TRUE(svg.isValid());
  EXPECT_EQ(svg.viewBox(), QRect(0, 0, 1100, 600));
  QImage back(1100, 600, QImage::Format_RGB32);
  back.fill(Qt::white);
  QPainter painter(&back);
  svg.render(&painter);
  painter.end();
  EXPECT_EQ(qGray(back.pixel(1020, 230)) < 80, true); // the curve is dark
  EXPECT_EQ(back.pixel(51, 100), kPlot);
}
