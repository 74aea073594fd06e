#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/display/DrawingResources.h"
#include "support/RecordingCanvas.h"
#include "support/TestApp.h"

namespace baromon::testing {

using fakes::RecordingCanvas;
using Op = RecordingCanvas::Op;

inline HistorySample sample(int day, int month, int hour, int minute, std::int32_t pressure,
                            std::int32_t t1 = 0, std::int32_t t3 = 0, std::int32_t variation = 0) {
  HistorySample s;
  s.year = 2003;
  s.day = static_cast<std::uint8_t>(day);
  s.month = static_cast<std::uint8_t>(month);
  s.hour = static_cast<std::uint8_t>(hour);
  s.minute = static_cast<std::uint8_t>(minute);
  s.pressure = pressure;
  s.tendency1h = t1;
  s.tendency3h = t3;
  s.variation = variation;
  return s;
}

// Fills slots 0..count-1 going back in steps of `stepMinutes` from the newest time.
inline void fillHistory(History& history, int count, int day, int month, int hour, int minute,
                        int stepMinutes, std::int32_t pressure = 101325) {
  int minutes = hour * 60 + minute;
  for (int i = 0; i < count; ++i) {
    if (minutes < 0) {
      minutes += 24 * 60;
      --day;
    }
    history[i] = sample(day, month, minutes / 60, minutes % 60, pressure);
    minutes -= stepMinutes;
  }
}

inline std::vector<Op> linesWithPen(const RecordingCanvas& dc, const platform::PenSpec& pen) {
  std::vector<Op> result;
  for (const Op& op : dc.lines()) {
    if (op.pen == pen) {
      result.push_back(op);
    }
  }
  return result;
}

inline bool hasLine(const std::vector<Op>& lines, int x0, int y0, int x1, int y1) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const Op& op) { return op.x0 == x0 && op.y0 == y0 && op.x == x1 && op.y == y1; });
}

inline std::vector<std::string> textsOf(const RecordingCanvas& dc) {
  std::vector<std::string> result;
  for (const Op& op : dc.texts()) {
    result.push_back(op.text);
  }
  return result;
}

const platform::PenSpec kGridDot{platform::PenStyle::Dot, 1, {200, 200, 200}};
const platform::PenSpec kBlack1{platform::PenStyle::Solid, 1, {0, 0, 0}};
const platform::PenSpec kBlack2{platform::PenStyle::Solid, 2, {0, 0, 0}};
const platform::PenSpec kRed1{platform::PenStyle::Solid, 1, {255, 0, 0}};
const platform::PenSpec kRed2{platform::PenStyle::Solid, 2, {255, 0, 0}};
const platform::PenSpec kGreen1{platform::PenStyle::Solid, 1, {0, 200, 0}};
const platform::PenSpec kBlue1{platform::PenStyle::Solid, 1, {0, 0, 255}};
const platform::PenSpec kDarkBlue2{platform::PenStyle::Solid, 2, {5, 5, 180}};
const platform::PenSpec kBrown1{platform::PenStyle::Solid, 1, {180, 100, 90}};
const platform::PenSpec kBrown2{platform::PenStyle::Solid, 2, {180, 100, 90}};

} // namespace baromon::testing
