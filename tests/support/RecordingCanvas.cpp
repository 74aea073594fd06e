#include "support/RecordingCanvas.h"

#include <cstdio>

namespace baromon::fakes {

using namespace baromon::platform;

std::string hexColour(Rgb colour) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", colour.r, colour.g, colour.b);
  return buffer;
}

std::string describePen(const PenSpec& pen) {
  return std::string(pen.style == PenStyle::Dot ? "dot" : "solid") + "/" + std::to_string(pen.width) + "/" +
         hexColour(pen.colour);
}

std::string describeFont(const FontSpec& font) {
  switch (font.kind) {
  case FontKind::StockFixed:
    return "stock";
  case FontKind::RotatedSystem:
    return "system/esc" + std::to_string(font.escapement);
  case FontKind::Panel:
    break;
  }
  return "panel/" + std::to_string(font.height) + "x" + std::to_string(font.width) + "/w" +
         std::to_string(font.weight) + "/esc" + std::to_string(font.escapement);
}

RecordingCanvas::RecordingCanvas(GraphicsObjects& objects, CanvasSize size)
    : objects_(objects), selection_(objects), size_(size) {}

void RecordingCanvas::keep(const Op& op) {
  ops.push_back(op);
  if (onOp) {
    onOp(ops.back());
  }
}

RecordingCanvas::Op RecordingCanvas::stamp(Kind kind) const {
  Op op;
  op.kind = kind;
  op.pen = selection_.pen();
  op.brush = selection_.brush();
  op.font = selection_.font();
  op.textColour = textColour_;
  op.background = background_;
  return op;
}

ObjectHandle RecordingCanvas::select(ObjectHandle handle) {
  const GraphicsObject* object = objects_.find(handle);
  if (object == nullptr || failingSelections_ > 0) {
    if (object != nullptr) {
      --failingSelections_;
    }
    Op op = stamp(Kind::SelectFailed);
    op.handle = handle;
    keep(op);
    return 0;
  }
  const ObjectHandle previous = selection_.select(handle);
  Op op = stamp(Kind::Select);
  op.handle = handle;
  keep(op);
  return previous;
}

void RecordingCanvas::moveTo(int x, int y) {
  Op op = stamp(Kind::MoveTo);
  op.x = curX_ = x;
  op.y = curY_ = y;
  keep(op);
}

void RecordingCanvas::lineTo(int x, int y) {
  Op op = stamp(Kind::LineTo);
  op.x0 = curX_;
  op.y0 = curY_;
  op.x = curX_ = x;
  op.y = curY_ = y;
  keep(op);
}

void RecordingCanvas::setPixel(int x, int y, Rgb colour) {
  Op op = stamp(Kind::Pixel);
  op.x = x;
  op.y = y;
  op.colour = colour;
  keep(op);
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
  Op op = stamp(Kind::Rectangle);
  op.x0 = left;
  op.y0 = top;
  op.x = right;
  op.y = bottom;
  keep(op);
}

void RecordingCanvas::textOut(int x, int y, const char* text, int count) {
  Op op = stamp(Kind::Text);
  op.x = x;
  op.y = y;
  op.text.assign(text, count > 0 ? static_cast<std::size_t>(count) : 0);
  keep(op);
}

Rgb RecordingCanvas::setTextColour(Rgb colour) {
  Op op = stamp(Kind::TextColour);
  op.colour = colour;
  keep(op);
  Rgb previous = textColour_;
  textColour_ = colour;
  return previous;
}

BackgroundMode RecordingCanvas::setBackgroundMode(BackgroundMode mode) {
  BackgroundMode previous = background_;
  background_ = mode;
  keep(stamp(Kind::BackgroundMode));
  return previous;
}

std::vector<RecordingCanvas::Op> RecordingCanvas::of(Kind kind) const {
  std::vector<Op> result;
  for (const Op& op : ops) {
    if (op.kind == kind) {
      result.push_back(op);
    }
  }
  return result;
}

std::string RecordingCanvas::describe(const Op& op) {
  auto point = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
  const char* bk = op.background == BackgroundMode::Opaque ? "opaque" : "transparent";
  switch (op.kind) {
  case Kind::Select:
    return "select " + std::to_string(op.handle);
  case Kind::SelectFailed:
    return "select " + std::to_string(op.handle) + " failed";
  case Kind::MoveTo:
    return "move " + point(op.x, op.y);
  case Kind::LineTo:
    return "line " + point(op.x0, op.y0) + " -> " + point(op.x, op.y) + " pen=" + describePen(op.pen) +
           " bk=" + bk;
  case Kind::Pixel:
    return "pixel " + point(op.x, op.y) + " " + hexColour(op.colour);
  case Kind::Rectangle:
    return "rect " + point(op.x0, op.y0) + " " + point(op.x, op.y) + " pen=" + describePen(op.pen) +
           " brush=" + hexColour(op.brush.colour);
  case Kind::Text: {
    std::string shown;
    for (unsigned char c : op.text) {
      if (c < 0x20 || c >= 0x7f || c == '\\' || c == '"') {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        shown += escaped;
      } else {
        shown += static_cast<char>(c);
      }
    }
    return "text " + point(op.x, op.y) + " \"" + shown + "\" font=" + describeFont(op.font) +
           " colour=" + hexColour(op.textColour) + " bk=" + bk;
  }
  case Kind::TextColour:
    return "textcolour " + hexColour(op.colour);
  case Kind::BackgroundMode:
    return std::string("bkmode ") + bk;
  }
  return "?";
}

std::vector<std::string> RecordingCanvas::dump() const {
  std::vector<std::string> lines;
  lines.reserve(ops.size());
  for (const Op& op : ops) {
    lines.push_back(describe(op));
  }
  return lines;
}

} // namespace baromon::fakes
