#pragma once

#include "platform/Canvas.h"

namespace baromon {

struct AppContext;

// The plot geometry derived from the client area R x B at every paint.
struct PlotFrame {
  int y0 = 0;   // baseline, B - 35
  int h = 0;    // plot height, B - 70; the top edge is y0 - h = 35
  int xR = 0;   // right edge, R - 50; sample 0 stands here
  int w = 0;    // plot width, R - 100; the left edge is 50
  int yMid = 0; // zero tendency, y0 - h / 2
  int q = 0;    // legend column step, R / 4
  int t = 0;    // legend sample length, R / 12
};

PlotFrame plotFrame(int clientWidth, int clientHeight);

// Paints the barogram of app.history into `dc` (the main window's client area);
// hands over to paintPaperBarogram when DP is on.
void paintBarogram(AppContext& app, platform::Canvas& dc);
void paintPaperBarogram(AppContext& app, platform::Canvas& dc);

} // namespace baromon
