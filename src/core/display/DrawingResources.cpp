#include "core/display/DrawingResources.h"

#include <cmath>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/domain/Units.h"

namespace baromon {

using platform::BrushSpec;
using platform::ObjectHandle;
using platform::PenSpec;
using platform::PenStyle;

namespace {

ObjectHandle makePen(AppContext& app, PenStyle style, int width, platform::Rgb colour) {
  ObjectHandle handle = app.platform.graphics.create(PenSpec{style, width, colour});
  if (handle == 0) {
    reportEvent(app, Event::CreatePenFailed);
  }
  return handle;
}

ObjectHandle makeBrush(AppContext& app, platform::Rgb colour) {
  ObjectHandle handle = app.platform.graphics.create(BrushSpec{colour});
  if (handle == 0) {
    reportEvent(app, Event::CreateBrushFailed);
  }
  return handle;
}

// A font was made (or not): select it, taking the fatal path on failure. A font
// whose creation failed is not offered to the canvas, so the user sees one fatal
// error for one fault. Returns the font replaced, 0 if nothing was selected.
ObjectHandle selectNewFont(AppContext& app, platform::Canvas& dc, ObjectHandle font) {
  if (font == 0) {
    reportEvent(app, Event::FontSet2Failed);
    reportFatal(app, Fatal::FontNotCreated);
    return 0;
  }
  ObjectHandle previous = dc.select(font);
  if (previous == 0) {
    reportFatal(app, Fatal::FontNotSelected);
    app.platform.graphics.destroy(font);
  }
  return previous;
}

} // namespace

void createScreenPens(AppContext& app) {
  DisplayState& display = app.display;
  if (display.screenPensMade) {
    return;
  }
  display.screenPensMade = true;
  ScreenPens& p = display.screen;
  p.gridDotPen = makePen(app, PenStyle::Dot, 1, {200, 200, 200});
  p.lightGreyPen = makePen(app, PenStyle::Solid, 1, {200, 200, 200});
  p.blackPen1 = makePen(app, PenStyle::Solid, 1, {0, 0, 0});
  p.blackPen2 = makePen(app, PenStyle::Solid, 2, {0, 0, 0});
  p.blackPen3 = makePen(app, PenStyle::Solid, 3, {0, 0, 0});
  p.redPen1 = makePen(app, PenStyle::Solid, 1, {255, 0, 0});
  p.redPen2 = makePen(app, PenStyle::Solid, 2, {255, 0, 0});
  p.greenPen1 = makePen(app, PenStyle::Solid, 1, {0, 200, 0});
  p.bluePen1 = makePen(app, PenStyle::Solid, 1, {0, 0, 255});
  p.darkBluePen2 = makePen(app, PenStyle::Solid, 2, {5, 5, 180});
  p.brownPen1 = makePen(app, PenStyle::Solid, 1, {180, 100, 90});
  p.brownPen2 = makePen(app, PenStyle::Solid, 2, {180, 100, 90});
  p.plotBrush = makeBrush(app, {245, 245, 255});
  p.paperBrush = makeBrush(app, {250, 240, 230});
}

void createPrinterPens(AppContext& app) {
  DisplayState& display = app.display;
  if (display.printerPensMade) {
    return;
  }
  display.printerPensMade = true;
  PrinterPens& p = display.printer;
  p.printDotPen = makePen(app, PenStyle::Dot, 1, {32, 32, 32});
  p.printBlackPen7 = makePen(app, PenStyle::Solid, 7, {0, 0, 0});
  p.printBlackPen5 = makePen(app, PenStyle::Solid, 5, {0, 0, 0});
  p.printBlackPen3 = makePen(app, PenStyle::Solid, 3, {0, 0, 0});
  p.printRedPen5 = makePen(app, PenStyle::Solid, 5, {255, 0, 0});
  p.printGreenPen5 = makePen(app, PenStyle::Solid, 5, {0, 200, 0});
  p.printBluePen5 = makePen(app, PenStyle::Solid, 5, {0, 0, 255});
}

void selectPanelFont(AppContext& app, platform::Canvas& dc, int escapement, int height, int width,
                     int weight) {
  platform::FontSpec& font = app.display.panelFont;
  font.kind = platform::FontKind::Panel;
  font.escapement = escapement;
  font.height = height;
  font.width = width;
  font.weight = weight;
  selectNewFont(app, dc, app.platform.graphics.create(font));
}

void restoreStockFont(AppContext& app, platform::Canvas& dc) {
  ObjectHandle replaced = dc.select(app.platform.graphics.stockFixedFont());
  app.platform.graphics.destroy(replaced);
}

void selectRotatedSystemFont(AppContext& app, platform::Canvas& dc, int escapement) {
  platform::FontSpec font{};
  font.kind = platform::FontKind::RotatedSystem;
  font.escapement = escapement;
  ObjectHandle handle = app.platform.graphics.create(font);
  ObjectHandle replaced = selectNewFont(app, dc, handle);
  if (replaced != 0 && replaced == app.display.rotatedFont) {
    app.platform.graphics.destroy(replaced);
  }
  if (replaced != 0) {
    app.display.rotatedFont = handle;
  }
}

double nearestHalfUp(double x) {
  double whole = std::floor(x);
  return x - whole >= 0.5 ? whole + 1.0 : whole;
}

int pressureToY(std::int32_t pressure, int y0, int h, bool lowScale) {
  float v = static_cast<float>(exactTenthsFromHundredths(pressure));
  v = v - (lowScale ? 9000.0f : 9500.0f);
  const float factor = static_cast<float>(h * 0.001);
  v = v * factor;
  const float y = static_cast<float>(y0) - v;
  return static_cast<int>(nearestHalfUp(y));
}

int tendencyToY(std::int32_t tendency, int yMid, int h) {
  const float factor = static_cast<float>(h * 0.005);
  const float y = static_cast<float>(yMid) - static_cast<float>(tendency) * factor;
  return static_cast<int>(nearestHalfUp(y));
}

int variationToY(std::int32_t variation, int base, int h) {
  const float factor = static_cast<float>(h * 0.005);
  const float y = static_cast<float>(base) - static_cast<float>(variation) * factor;
  return static_cast<int>(nearestHalfUp(y));
}

float varBarHalfLength(std::int32_t variation, int h) {
  const float factor = static_cast<float>(h * 0.00025);
  return static_cast<float>(variation) * factor;
}

int sampleToX(int index, int xRight, int width) {
  const float px = static_cast<float>(width / 1002.0);
  return xRight - static_cast<int>(static_cast<float>(index) * px);
}

int scaleRowY(int k, double factor, int y0, int h) {
  const float step = static_cast<float>(h * factor);
  const int y = y0 - static_cast<int>(nearestHalfUp(static_cast<float>(k) * step));
  return clampTop(y);
}

} // namespace baromon
