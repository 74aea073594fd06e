#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

// The plain pieces a picture's layout is made of: every coordinate already a
// whole pixel, every text already cut or padded to the characters that are drawn.
// Layout functions compute them without a canvas; painters hand them on unchanged.

namespace baromon {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// A move to `from`, then a line to `to` (whose own pixel is left out).
struct Segment {
  Point from;
  Point to;
  bool operator==(const Segment&) const = default;
};

// A filled rectangle; right and bottom are exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Label {
  Point at;
  std::string text;
  bool operator==(const Label&) const = default;
};

// A move to the first point, then lines through the others.
using Polyline = std::vector<Point>;

struct CurvePoint {
  Point at;
  bool falls = false;         // the segment leading here is drawn in the falling colour
  std::optional<Segment> bar; // a variation bar: lines to its two ends, then back to `at`
};

// A move to `start` (not clamped), then a line to each point.
struct Curve {
  bool shown = false;
  Point start;
  std::vector<CurvePoint> points;
};

inline void drawSegment(platform::Canvas& canvas, const Segment& s) {
  canvas.moveTo(s.from.x, s.from.y);
  canvas.lineTo(s.to.x, s.to.y);
}

inline void drawLabel(platform::Canvas& canvas, const Label& label) {
  canvas.textOut(label.at.x, label.at.y, label.text);
}

inline void drawPolyline(platform::Canvas& canvas, const Polyline& line) {
  if (line.empty()) {
    return;
  }
  canvas.moveTo(line.front().x, line.front().y);
  for (std::size_t i = 1; i < line.size(); ++i) {
    canvas.lineTo(line[i].x, line[i].y);
  }
}

// The points of a curve from its start; pen changes at falling points are the caller's.
inline void drawCurvePoint(platform::Canvas& canvas, const CurvePoint& p) {
  canvas.lineTo(p.at.x, p.at.y);
  if (p.bar) {
    canvas.lineTo(p.bar->from.x, p.bar->from.y);
    canvas.lineTo(p.bar->to.x, p.bar->to.y);
    canvas.moveTo(p.at.x, p.at.y);
  }
}

inline void drawCurve(platform::Canvas& canvas, const Curve& curve) {
  canvas.moveTo(curve.start.x, curve.start.y);
  for (const CurvePoint& p : curve.points) {
    drawCurvePoint(canvas, p);
  }
}

} // namespace baromon
