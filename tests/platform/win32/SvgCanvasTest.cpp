#include <gtest/gtest.h>

#include <string>

#include "adapters/win32/SvgCanvas.h"

namespace baromon {
namespace {

using namespace platform;

bool has(const std::string& document, const std::string& part) {
  return document.find(part) != std::string::npos;
}

TEST(SvgCanvas, TextsAreUtf8WithXmlEscapedAndTurnedByTheirEscapement) {
  GraphicsObjects objects;
  SvgCanvas canvas(objects, {200, 100});
  canvas.setBackgroundMode(BackgroundMode::Transparent);
  canvas.textOut(10, 20, std::string("Verf\xFCgung & <\x80>"));
  canvas.select(objects.create(FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0}));
  canvas.textOut(30, 40, std::string("1050"));
  const std::string svg = canvas.document();
  EXPECT_TRUE(has(svg, "Verf\xC3\xBCgung &amp; &lt;\xE2\x82\xAC&gt;</text>")) << svg;
  EXPECT_TRUE(has(svg, "transform=\"rotate(-270 30 40)\"")) << svg;
  EXPECT_TRUE(has(svg, "width=\"200\" height=\"100\" viewBox=\"0 0 200 100\"")) << svg;
  // The metrics are GDI's: the painters lay out their lines as on the screen.
  EXPECT_GT(canvas.textMetrics().height, 0);
}

TEST(SvgCanvas, LinesRunThroughPixelCentresInThePensColourWidthAndDots) {
  GraphicsObjects objects;
  SvgCanvas canvas(objects, {100, 100});
  canvas.select(objects.create(PenSpec{PenStyle::Solid, 2, {255, 0, 0}}));
  canvas.moveTo(5, 6);
  canvas.lineTo(15, 6);
  canvas.select(objects.create(PenSpec{PenStyle::Dot, 1, {200, 200, 200}}));
  canvas.lineTo(15, 30); // from where the last line ended
  canvas.select(objects.create(BrushSpec{{245, 245, 255}}));
  canvas.rectangle(50, 35, 91, 66);
  const std::string svg = canvas.document();
  EXPECT_TRUE(has(svg, "points=\"5.5,6.5 15.5,6.5\" fill=\"none\" stroke=\"#ff0000\" stroke-width=\"2\""))
      << svg;
  EXPECT_TRUE(has(svg, "points=\"15.5,6.5 15.5,30.5\" fill=\"none\" stroke=\"#c8c8c8\" stroke-width=\"1\" "
                       "stroke-dasharray=\"3,3\""))
      << svg;
  // The outline on x 50..90 and y 35..65, as the raster canvases draw it.
  EXPECT_TRUE(has(svg, "<rect x=\"50.5\" y=\"35.5\" width=\"40\" height=\"30\" fill=\"#f5f5ff\"")) << svg;
}

} // namespace
} // namespace baromon
