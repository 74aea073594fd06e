#pragma once

#include "platform/Canvas.h"

// The pixels every raster Canvas must light for the same calls, whatever draws them
// (Qt on a back buffer, GDI on a memory device context). Both canvas suites check
// these tables, so the canvases cannot drift apart. Pictures are 40 x 30, white.
namespace baromon::fakes::canvas_pixels {

inline constexpr int kWidth = 40;
inline constexpr int kHeight = 30;

// A line leaves its end pixel out in every direction: the start is lit, the end is
// not, and the count of lit pixels is the major-axis length.
struct LineCase {
  const char* legend;
  int x0, y0, x1, y1;
  int pixels;
};
inline constexpr LineCase kLines[] = {
    {"right", 5, 5, 15, 5, 10}, {"left", 15, 5, 5, 5, 10},      {"down", 5, 5, 5, 20, 15},
    {"up", 5, 20, 5, 5, 15},    {"diagonal", 2, 2, 12, 12, 10}, {"steep", 3, 1, 7, 25, 24},
};

// From (0,0) to (4,2) the exact line passes midway at x = 1 and x = 3. Going right
// and down does not step there; the same line drawn back right-to-left and upwards
// does, so both directions light the same pixels.
struct Point {
  int x, y;
};
inline constexpr Point kHalfwayForwardLit[] = {{1, 0}, {2, 1}, {3, 1}};
inline constexpr Point kHalfwayBackwardLit[] = {{4, 2}, {3, 1}, {2, 1}, {1, 0}};

// Lines from (20, 15) whose exact course passes midway between pixels, with the
// pixels a reference drawing layer lit for them (offsets from the start).
struct MidwayCase {
  int dx, dy;
  const char* pixels;
};
inline constexpr MidwayCase kMidway[] = {
    {6, 3, "0,0 1,0 2,1 3,1 4,2 5,2"},       {-6, -3, "0,0 -1,-1 -2,-1 -3,-2 -4,-2 -5,-3"},
    {3, 6, "0,0 0,1 1,2 1,3 2,4 2,5"},       {-3, -6, "0,0 -1,-1 -1,-2 -2,-3 -2,-4 -3,-5"},
    {-6, 3, "0,0 -1,0 -2,1 -3,1 -4,2 -5,2"}, {6, -3, "0,0 1,-1 2,-1 3,-2 4,-2 5,-3"},
    {-3, 6, "0,0 -1,1 -1,2 -2,3 -2,4 -3,5"}, {3, -6, "0,0 0,-1 1,-2 1,-3 2,-4 2,-5"},
    {4, -2, "0,0 1,-1 2,-1 3,-2"},           {-2, 4, "0,0 -1,1 -1,2 -2,3"},
    {5, 5, "0,0 1,1 2,2 3,3 4,4"},           {7, -1, "0,0 1,0 2,0 3,0 4,-1 5,-1 6,-1"},
};
inline constexpr int kMidwayX = 20;
inline constexpr int kMidwayY = 15;

// A dotted pen of this colour on a picture filled with kPlot: (0,3)-(10,3)-(20,3)
// opaque restarts the pattern at x = 10 ('+' pen, '-' the white background); then
// (0,8)-(12,8) transparent leaves the gaps in the plot colour.
inline constexpr platform::Rgb kDotColour{200, 200, 200};
inline constexpr platform::Rgb kPlot{245, 245, 255};
inline constexpr const char* kDottedOpaqueRow3 = "+++---+++-+++---+++-";
inline constexpr const char* kDottedTransparentRow8 = "+++---+++---";

// A rectangle (2,3)-(12,10) with the stock pen and a kPlot brush: the outline on
// x 2..11 and y 3..9, the inside filled. A 2-pixel red pen from (20,20) to (30,20)
// covers rows 19 and 20.
struct PixelCase {
  const char* legend;
  int x, y;
  platform::Rgb colour;
};
inline constexpr platform::Rgb kWhite{255, 255, 255};
inline constexpr platform::Rgb kBlack{0, 0, 0};
inline constexpr platform::Rgb kRed{255, 0, 0};
inline constexpr PixelCase kRectangleAndWidePen[] = {
    {"outline top left", 2, 3, kBlack},
    {"outline bottom right", 11, 9, kBlack},
    {"right edge left out", 12, 9, kWhite},
    {"bottom edge left out", 11, 10, kWhite},
    {"filled near top left", 3, 4, kPlot},
    {"filled near bottom right", 10, 8, kPlot},
    {"wide pen upper row", 25, 19, kRed},
    {"wide pen its own row", 25, 20, kRed},
    {"nothing below the wide pen", 25, 21, kWhite},
    {"nothing above the wide pen", 25, 18, kWhite},
};

// The calls that draw the rectangle picture, for any canvas.
inline void paintRectangleAndWidePen(platform::GraphicsObjects& objects, platform::Canvas& canvas) {
  const platform::ObjectHandle brush = objects.create(platform::BrushSpec{kPlot});
  const platform::ObjectHandle wide = objects.create(platform::PenSpec{platform::PenStyle::Solid, 2, kRed});
  canvas.select(brush);
  canvas.rectangle(2, 3, 12, 10);
  canvas.select(wide);
  canvas.moveTo(20, 20);
  canvas.lineTo(30, 20);
}

// The calls that draw the dotted picture (on a picture already filled with kPlot).
inline void paintDotted(platform::GraphicsObjects& objects, platform::Canvas& canvas) {
  const platform::ObjectHandle dot =
      objects.create(platform::PenSpec{platform::PenStyle::Dot, 1, kDotColour});
  canvas.select(dot);
  canvas.moveTo(0, 3);
  canvas.lineTo(10, 3);
  canvas.lineTo(20, 3);
  canvas.setBackgroundMode(platform::BackgroundMode::Transparent);
  canvas.moveTo(0, 8);
  canvas.lineTo(12, 8);
}

} // namespace baromon::fakes::canvas_pixels
