#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <string>

#include "core/display/Panels.h"
#include "adapters/qt/QtCanvas.h"
#include "support/TestApp.h"

// The texts drawn in the default font fit the windows they are drawn in.
// The QApplication comes from the environment registered in QtCanvasTest.cpp.

using namespace baromon;

namespace {

constexpr QRgb kWhite = 0xffffffffu;

// Client areas of the windows, by the front end's nominal frame: the diurnal
// window is 500 x 250 outer, the correction popup 280 x 140 with a 1-pixel border.
constexpr int kDiurnalClientWidth = 500 - 16;
constexpr int kPopupClientWidth = 280 - 2;

struct Ink {
  int left = -1;  // first column with ink, -1 for none
  int right = -1; // last column with ink
};

Ink inkOf(const QImage& image) {
  Ink ink;
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixel(x, y) != kWhite) {
        if (ink.left < 0) {
          ink.left = x;
        }
        ink.right = x;
        break;
      }
    }
  }
  return ink;
}

// The columns a text takes when drawn at x in the default font of a fresh paint.
Ink defaultFontInk(const std::string& text, int x) {
  platform::GraphicsObjects objects;
  QImage image = qt::makeBackBuffer(1200, 40);
  {
    qt::QtCanvas dc(objects, image);
    dc.setBackgroundMode(platform::BackgroundMode::Transparent);
    dc.textOut(x, 2, text);
  }
  return inkOf(image);
}

} // namespace

TEST(TextFit, DiurnalLinesFitTheWindow) {
  for (const char* line : {"32000 records of 111 days analyzed (mean 1013.25 hPa)",
                           "insufficient data (one complete day needed)",
                           "linear regression analysis: 12hr (UTC) phase angle 113 degrees",
                           "linear regression analysis: 12hr (UTC) phase angle 359 degrees"}) {
    const Ink ink = defaultFontInk(line, 10);
    EXPECT_GT(ink.right, 200) << line; // drawn at all
    EXPECT_LT(ink.right, kDiurnalClientWidth) << line;
  }
}

// The hour numbers stand 16 pixels apart in the diurnal window (xh = (484 - 100) / 24).
TEST(TextFit, DiurnalHourNumbersStayApart) {
  const double xh = (kDiurnalClientWidth - 100) / 24.0;
  Ink previous;
  for (int h = 1; h < 24; ++h) {
    char label[8];
    std::snprintf(label, sizeof label, "%2d", h);
    const Ink ink = defaultFontInk(label, static_cast<int>(h * xh) + 50 - 9);
    if (h > 1) {
      EXPECT_LT(previous.right, ink.left) << "hours " << h - 1 << " and " << h;
    }
    previous = ink;
  }
}

TEST(TextFit, CorrectionPromptsFitThePopupInEveryLanguage) {
  for (int language = 0; language < 6; ++language) {
    fakes::TestApp t;
    t.app.settings.language = static_cast<std::uint8_t>(language);
    QImage image = qt::makeBackBuffer(1200, 40);
    {
      qt::QtCanvas dc(t.graphics, image);
      paintCorrectionPrompt(t.app, dc);
    }
    const Ink ink = inkOf(image);
    EXPECT_GE(ink.left, 20) << language;
    EXPECT_LT(ink.right, kPopupClientWidth) << language;
  }
}
