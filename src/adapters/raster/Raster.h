#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Canvas.h"

// Drawing on 32-bit pixels in memory, the same for the windows' back buffer and the
// pictures written to files: the pixels of lines, dots and rectangles are ours, not a
// toolkit's, so a barogram is the same picture whoever lays out its letters.
namespace baromon::raster {

// A pixel as 32-bit pictures store it: 0xffRRGGBB (Qt's RGB32 has the same layout).
using Colour = std::uint32_t;
constexpr Colour kWhite = 0xffffffffu;

constexpr Colour colourOf(platform::Rgb c) {
  return 0xff000000u | (Colour{c.r} << 16) | (Colour{c.g} << 8) | Colour{c.b};
}

// Pixels someone else owns, row after row `stride` pixels apart.
struct Pixels {
  Colour* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;

  Colour* row(int y) const { return bits + y * stride; }
  // Points outside the picture are left out.
  void plot(int x, int y, Colour colour) const {
    if (x >= 0 && y >= 0 && x < width && y < height) {
      row(y)[x] = colour;
    }
  }
  // Fills left..right-1 x top..bottom-1, cut to the picture.
  void fill(int left, int top, int right, int bottom, Colour colour) const;
};

// From (x0, y0) to (x1, y1) with the pen, leaving the end pixel out; `background` is
// what the gaps of a dotted pen get.
void drawLine(const Pixels& pixels, int x0, int y0, int x1, int y1, const platform::PenSpec& pen,
              platform::BackgroundMode background);

// Puts a rectangle's corners in order (left above right, top above bottom); false when
// it covers no pixel.
bool orderCorners(int& left, int& top, int& right, int& bottom);

// Fills left..right-1 x top..bottom-1 with `fill` and outlines it with the pen along its
// first and last columns and rows (corners in any order).
void drawRectangle(const Pixels& pixels, int left, int top, int right, int bottom,
                   const platform::PenSpec& pen, Colour fill, platform::BackgroundMode background);

} // namespace baromon::raster
