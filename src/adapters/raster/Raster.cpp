#include "adapters/raster/Raster.h"

#include <algorithm>
#include <cstdlib>

namespace baromon::raster {

using platform::BackgroundMode;
using platform::PenStyle;

namespace {

// A wide pen covers a square around each point; a width of 2 covers the point's
// row and the one above (and its column and the one to the left).
void stamp(const Pixels& pixels, int x, int y, int width, Colour colour) {
  const int low = -(width / 2);
  // Round: the disc of the pen's diameter about the point (about the corner
  // above and to the left of it for even widths).
  const double centre = width % 2 == 0 ? -0.5 : 0.0;
  const double radius2 = width * width / 4.0;
  for (int dy = low; dy < low + width; ++dy) {
    for (int dx = low; dx < low + width; ++dx) {
      const double ex = dx - centre;
      const double ey = dy - centre;
      if (ex * ex + ey * ey <= radius2) {
        pixels.plot(x + dx, y + dy, colour);
      }
    }
  }
}

// A wide line is the band of the pen's width about the exact line, with round
// ends. A pixel belongs to the band when a point just below and right of its
// centre lies in it, so a band edge through pixel centres takes the upper or
// left row: a 2-pixel horizontal line at y covers rows y - 1 and y.
void wideLine(const Pixels& pixels, int x0, int y0, int x1, int y1, int width, Colour colour) {
  constexpr double nudge = 1.0 / 1024;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  const double half2 = width * width / 4.0;
  const int left = std::max(std::min(x0, x1) - width, 0);
  const int right = std::min(std::max(x0, x1) + width, pixels.width - 1);
  const int top = std::max(std::min(y0, y1) - width, 0);
  const int bottom = std::min(std::max(y0, y1) + width, pixels.height - 1);
  for (int py = top; py <= bottom; ++py) {
    for (int px = left; px <= right; ++px) {
      const double ax = px + nudge - x0;
      const double ay = py + nudge - y0;
      const double along = ax * dx + ay * dy;
      if (along < 0 || along > length2) {
        continue;
      }
      const double across = ax * dy - ay * dx;
      if (across * across < half2 * length2) {
        pixels.plot(px, py, colour);
      }
    }
  }
  stamp(pixels, x0, y0, width, colour);
  stamp(pixels, x1, y1, width, colour);
}

} // namespace

void Pixels::fill(int left, int top, int right, int bottom, Colour colour) const {
  const int x0 = std::max(left, 0);
  const int x1 = std::min(right, width);
  for (int y = std::max(top, 0); y < std::min(bottom, height) && x0 < x1; ++y) {
    std::fill(row(y) + x0, row(y) + x1, colour);
  }
}

// Bresenham over the major axis, leaving the end pixel out. Where the exact line
// passes midway between two pixels, octants 3, 5, 6 and 8 take the step and the
// others do not, as the reference drawing layer does, so that lines come out
// pixel for pixel the same. A dotted pen is 3 on, 3 off from each line's start;
// in opaque mode its gaps take the background colour.
void drawLine(const Pixels& pixels, int x0, int y0, int x1, int y1, const platform::PenSpec& pen,
              BackgroundMode background) {
  const int dx = x1 - x0;
  const int dy = y1 - y0;
  if (dx == 0 && dy == 0) {
    return;
  }
  int octant;
  if (dy > 0) {
    octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  } else {
    octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  }
  const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const int adx = std::abs(dx);
  const int ady = std::abs(dy);
  const bool xMajor = adx > ady;
  const int major = xMajor ? adx : ady;
  const int minor = xMajor ? ady : adx;
  const int sx = dx > 0 ? 1 : -1;
  const int sy = dy > 0 ? 1 : -1;
  const bool dotted = pen.style == PenStyle::Dot && pen.width <= 1;
  const int width = pen.width > 1 ? pen.width : 1;
  const Colour colour = colourOf(pen.colour);
  if (width > 1 && !dotted) {
    wideLine(pixels, x0, y0, x1, y1, width, colour);
    return;
  }
  int err = 2 * minor - major;
  int x = x0;
  int y = y0;
  for (int n = 0; n < major; ++n) {
    if (dotted) {
      if (n % 6 < 3) {
        pixels.plot(x, y, colour);
      } else if (background == BackgroundMode::Opaque) {
        pixels.plot(x, y, kWhite);
      }
    } else {
      pixels.plot(x, y, colour);
    }
    if (err + bias > 0) {
      (xMajor ? y : x) += xMajor ? sy : sx;
      err += 2 * minor - 2 * major;
    } else {
      err += 2 * minor;
    }
    (xMajor ? x : y) += xMajor ? sx : sy;
  }
}

bool orderCorners(int& left, int& top, int& right, int& bottom) {
  if (right < left) {
    std::swap(left, right);
  }
  if (bottom < top) {
    std::swap(top, bottom);
  }
  return right - left >= 1 && bottom - top >= 1;
}

void drawRectangle(const Pixels& pixels, int left, int top, int right, int bottom,
                   const platform::PenSpec& pen, Colour fill, BackgroundMode background) {
  if (!orderCorners(left, top, right, bottom)) {
    return;
  }
  pixels.fill(left, top, right, bottom, fill);
  // The outline runs along the first and last column and row inside the rectangle.
  drawLine(pixels, left, top, right - 1, top, pen, background);
  drawLine(pixels, right - 1, top, right - 1, bottom - 1, pen, background);
  drawLine(pixels, right - 1, bottom - 1, left, bottom - 1, pen, background);
  drawLine(pixels, left, bottom - 1, left, top, pen, background);
  if (right - left == 1 || bottom - top == 1) {
    pixels.plot(right - 1, bottom - 1, colourOf(pen.colour));
  }
}

} // namespace baromon::raster
