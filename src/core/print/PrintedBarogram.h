#pragma once

#include <optional>
#include <vector>

#include "core/display/Layout.h"
#include "core/store/LogRecord.h"
#include "platform/Canvas.h"

namespace baromon {

struct AppContext;
struct Settings;

// A day mark (with the date of the newer day) or a six-hour mark outside the frame.
struct PrintMark {
  Segment line;
  std::optional<Label> date;
};

// Everything the barogram page shows, in device pixels of the printable area.
struct PrintedBarogramLayout {
  bool landscape = true; // time runs across the page; else down it, texts turned by 270 degrees
  int margin = 0;        // on all four sides
  Label title;
  Polyline frame;
  std::vector<Segment> ticks; // outward, in drawing order
  std::vector<Segment> grid;  // dotted, 5 % of the frame apart
  std::vector<Label> pressureLabels;
  std::vector<Label> tendencyLabels;
  Curve pressure, tendency1h, tendency3h, variation;
  std::vector<PrintMark> marks; // newest first
};

// The page for the printable area `page` and the metrics of the printer's starting font.
PrintedBarogramLayout layoutPrintedBarogram(const History& history, const Settings& settings,
                                            platform::CanvasSize page, platform::TextMetrics metrics);

// Draws the loaded History as a barogram onto the started page of the chosen
// printer, landscape when the printable area is at least as wide as high, else
// turned by 90 degrees with time running down the page.
void drawPrintedBarogram(AppContext& app);

} // namespace baromon
