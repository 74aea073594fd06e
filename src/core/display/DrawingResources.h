#pragma once

#include <cstdint>

#include "platform/Canvas.h"

namespace baromon {

struct AppContext;

// The screen's pens and brushes, made once by createScreenPens. A handle of 0
// marks an object whose creation failed; selecting it fails.
struct ScreenPens {
  platform::ObjectHandle gridDotPen = 0;   // dotted 1 px RGB(200,200,200): grid and time lines
  platform::ObjectHandle lightGreyPen = 0; // solid 1 px RGB(200,200,200)
  platform::ObjectHandle blackPen1 = 0;    // frame, ticks, pressure legend sample
  platform::ObjectHandle blackPen2 = 0;    // pressure curve
  platform::ObjectHandle blackPen3 = 0;
  platform::ObjectHandle redPen1 = 0;      // variation curve
  platform::ObjectHandle redPen2 = 0;      // pressure curve while it falls fast
  platform::ObjectHandle greenPen1 = 0;    // three-hour tendency
  platform::ObjectHandle bluePen1 = 0;     // one-hour tendency
  platform::ObjectHandle darkBluePen2 = 0; // pressure curve of the paper look
  platform::ObjectHandle brownPen1 = 0;    // paper look: 1 hPa and two-hour lines
  platform::ObjectHandle brownPen2 = 0;    // paper look: 10 hPa and day lines
  platform::ObjectHandle plotBrush = 0;    // RGB(245,245,255)
  platform::ObjectHandle paperBrush = 0;   // RGB(250,240,230)
};

// The printer's wide pens, made once by createPrinterPens.
struct PrinterPens {
  platform::ObjectHandle printDotPen = 0;    // dotted 1 px RGB(32,32,32): grid
  platform::ObjectHandle printBlackPen7 = 0; // pressure curve and its bars
  platform::ObjectHandle printBlackPen5 = 0; // frame and ticks
  platform::ObjectHandle printBlackPen3 = 0; // day and six-hour marks
  platform::ObjectHandle printRedPen5 = 0;   // variation curve
  platform::ObjectHandle printGreenPen5 = 0; // three-hour tendency
  platform::ObjectHandle printBluePen5 = 0;  // one-hour tendency
};

// Everything the display keeps for the whole run: the two pen sets (each made
// once), the panel font description and the rotated font currently in use.
struct DisplayState {
  ScreenPens screen;
  bool screenPensMade = false;
  PrinterPens printer;
  bool printerPensMade = false;
  // Height, width, escapement and weight are set by each selectPanelFont.
  platform::FontSpec panelFont{platform::FontKind::Panel, 0, 0, 0, 0};
  platform::ObjectHandle rotatedFont = 0;
};

void createScreenPens(AppContext& app);
void createPrinterPens(AppContext& app);

// Makes the panel font of the given cell height, width and weight and selects it
// into `dc` until restoreStockFont. Failures are fatal (events 5 and 60, or 61).
void selectPanelFont(AppContext& app, platform::Canvas& dc, int escapement, int height, int width,
                     int weight);
// Selects the stock fixed font and destroys the font it replaces.
void restoreStockFont(AppContext& app, platform::Canvas& dc);
// Makes the system font turned by `escapement` (0 or 2700) and selects it; the
// previous rotated font is destroyed when this one replaces it.
void selectRotatedSystemFont(AppContext& app, platform::Canvas& dc, int escapement);

// floor(x) + 1 when the fraction is at least one half, else floor(x): halves go up, also below zero.
double nearestHalfUp(double x);

// Value-to-pixel scales shared by the screen and the printed barogram. Pressure
// in hundredths of a hPa, tendencies and variation in tenths; H is the plot height.
int pressureToY(std::int32_t pressure, int y0, int h, bool lowScale);
int tendencyToY(std::int32_t tendency, int yMid, int h);
int variationToY(std::int32_t variation, int base, int h);
float varBarHalfLength(std::int32_t variation, int h);
int sampleToX(int index, int xRight, int width);
// The y of row k of a scale with step factor `factor` (0.1, 0.05, 0.01), 0 when above row 1.
int scaleRowY(int k, double factor, int y0, int h);
// A curve point above the top of the picture is held at 0.
inline int clampTop(int y) { return y < 1 ? 0 : y; }

} // namespace baromon
