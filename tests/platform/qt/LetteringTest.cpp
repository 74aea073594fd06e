#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "adapters/qt/QtCanvas.h"
#include "adapters/raster/FreeTypeLettering.h"
#include "adapters/raster/PictureFile.h"
#include "adapters/raster/RasterCanvas.h"
#include "support/TestApp.h"

// The picture program letters its pictures with FreeType, the front end with Qt; a
// picture must not depend on which of them drew it. The QApplication comes from the
// environment registered in QtCanvasTest.cpp.

using namespace baromon;
using platform::FontKind;
using platform::FontSpec;

namespace {

struct Drawn {
  QImage image;
  std::vector<platform::TextMetrics> metrics; // after each paint step that asks
};

using Paint = std::function<void(platform::Canvas&, std::vector<platform::TextMetrics>&)>;

Drawn byQt(platform::GraphicsObjects& objects, int width, int height, const Paint& paint) {
  Drawn drawn{qt::makeBackBuffer(width, height), {}};
  qt::QtCanvas dc(objects, drawn.image);
  paint(dc, drawn.metrics);
  return drawn;
}

Drawn byFreeType(platform::GraphicsObjects& objects, int width, int height, const Paint& paint) {
  Drawn drawn{qt::makeBackBuffer(width, height), {}};
  const auto lettering = raster::FreeTypeLettering::open(raster::kDejaVuDirectory);
  EXPECT_NE(lettering, nullptr);
  if (lettering != nullptr) {
    const raster::Pixels pixels{reinterpret_cast<raster::Colour*>(drawn.image.bits()), width, height,
                                drawn.image.bytesPerLine() / 4};
    raster::RasterCanvas dc(objects, pixels, *lettering);
    paint(dc, drawn.metrics);
  }
  return drawn;
}

// Where the two differ, as "x,y" of the first few, and how many.
std::string differences(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) {
    return "sizes differ";
  }
  std::string where;
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y) && ++count <= 8) {
        where += " " + std::to_string(x) + "," + std::to_string(y);
      }
    }
  }
  return count == 0 ? "" : std::to_string(count) + " pixels:" + where;
}

void expectSame(const Drawn& qt, const Drawn& ft) {
  EXPECT_EQ(differences(qt.image, ft.image), "");
  ASSERT_EQ(qt.metrics.size(), ft.metrics.size());
  for (std::size_t i = 0; i < qt.metrics.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(qt.metrics[i].height, ft.metrics[i].height);
    EXPECT_EQ(qt.metrics[i].externalLeading, ft.metrics[i].externalLeading);
    EXPECT_EQ(qt.metrics[i].maxCharWidth, ft.metrics[i].maxCharWidth);
    EXPECT_EQ(qt.metrics[i].aveCharWidth, ft.metrics[i].aveCharWidth);
  }
}

// Every byte of the code page that is a character, in lines of 32.
std::vector<std::string> codePageLines() {
  std::vector<std::string> lines;
  for (int first = 0x20; first < 0x100; first += 32) {
    std::string line;
    for (int b = first; b < first + 32; ++b) {
      if (b != 0x7f) {
        line.push_back(static_cast<char>(b));
      }
    }
    lines.push_back(line);
  }
  return lines;
}

} // namespace

TEST(Lettering, EveryCharacterOfEveryFontIsTheFrontEndsPixelForPixel) {
  const struct {
    const char* name;
    FontSpec font;
  } fonts[] = {
      {"stock", FontSpec{}},
      {"panel 60/30 bold", {FontKind::Panel, 60, 30, 0, 700}},
      {"panel 30/15 bold", {FontKind::Panel, 30, 15, 0, 700}},
      {"panel 20/0 normal", {FontKind::Panel, 20, 0, 0, 400}},
      {"panel 24/7 normal", {FontKind::Panel, 24, 7, 0, 0}},
      {"system", {FontKind::RotatedSystem, 0, 0, 0, 0}},
      {"system downwards", {FontKind::RotatedSystem, 0, 0, 2700, 0}},
  };
  for (const auto& f : fonts) {
    SCOPED_TRACE(f.name);
    for (const auto mode : {platform::BackgroundMode::Opaque, platform::BackgroundMode::Transparent}) {
      SCOPED_TRACE(mode == platform::BackgroundMode::Opaque ? "opaque" : "transparent");
      fakes::TestApp t;
      const platform::ObjectHandle font = t.graphics.create(f.font);
      const Paint paint = [&](platform::Canvas& dc, std::vector<platform::TextMetrics>& metrics) {
        // A grey ground shows the opaque cells.
        platform::BrushSpec grey{{200, 200, 200}};
        dc.select(t.graphics.create(grey));
        dc.rectangle(0, 0, 1400, 900);
        dc.select(font);
        dc.setBackgroundMode(mode);
        dc.setTextColour({0, 0, 255});
        metrics.push_back(dc.textMetrics());
        int at = 10;
        for (const std::string& line : codePageLines()) {
          if (f.font.escapement == 2700) {
            dc.textOut(1300 - at, 10, line);
          } else {
            dc.textOut(10, at, line);
          }
          at += metrics.back().height + 2;
        }
      };
      const Drawn qt = byQt(t.graphics, 1400, 900, paint);
      const Drawn ft = byFreeType(t.graphics, 1400, 900, paint);
      expectSame(qt, ft);
    }
  }
}
