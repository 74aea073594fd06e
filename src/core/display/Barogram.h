#pragma once

#include <array>
#include <vector>

#include "core/display/Layout.h"
#include "core/store/LogRecord.h"
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

struct Settings;

// A day line (with the date of the newer day) or a six-hour line of the screen look,
// with the black pixels it sets under the baseline at the line's x.
struct TimeMark {
  Segment line;
  int pixelsFrom = 0; // first and last y of the pixels
  int pixelsTo = 0;
  std::optional<Label> date;
};

// Everything the screen look draws, in pixels of the client area.
struct BarogramLayout {
  PlotFrame frame;
  std::array<Label, 3> legendTexts;     // pressure, one hour, three hours
  std::array<Segment, 3> legendSamples; // in the same order
  Rect plot;                            // the filled plot area
  std::vector<Label> pressureLabels;    // right, the scale base at the bottom
  std::vector<Segment> fineTicks;       // left, one per hPa
  std::vector<Label> tendencyLabels;    // left, -10 at the bottom
  std::vector<Segment> rightTicks;      // one per tendency label
  std::vector<Segment> grid;            // dotted, 5 hPa apart
  std::vector<TimeMark> timeMarks;      // newest first
  Curve variation, tendency3h, tendency1h, pressure;
};

// A day line or two-hour line of the paper look; a day line carries its dates and a scale.
struct PaperMark {
  bool day = false;
  Segment line;
  std::vector<Label> labels;
};

struct PaperLayout {
  PlotFrame frame;
  Rect paper;
  std::vector<Segment> hpaLines; // one per hPa
  std::vector<Segment> tenLines; // one per 10 hPa
  std::vector<PaperMark> marks;  // newest first
  Curve pressure;
};

// The pictures of the two looks for a client area; they only read `history` and `settings`.
BarogramLayout layoutBarogram(const History& history, const Settings& settings, platform::CanvasSize client);
PaperLayout layoutPaperBarogram(const History& history, const Settings& settings,
                                platform::CanvasSize client);

// Paints the barogram of app.history into `dc` (the main window's client area);
// hands over to paintPaperBarogram when paperLook is on.
void paintBarogram(AppContext& app, platform::Canvas& dc);
void paintPaperBarogram(AppContext& app, platform::Canvas& dc);

} // namespace baromon
