#include "adapters/raster/RasterCanvas.h"

#include <variant>

namespace baromon::raster {

using platform::BackgroundMode;
using platform::ObjectHandle;
using platform::Rgb;

RasterCanvas::RasterCanvas(platform::GraphicsObjects& objects, const Pixels& pixels, Lettering& lettering)
    : objects_(objects), pixels_(pixels), lettering_(lettering) {
  penHandle_ = objects_.stockBlackPen();
  brushHandle_ = objects_.stockWhiteBrush();
  fontHandle_ = objects_.stockFixedFont();
  lettering_.useFont(platform::FontSpec{});
}

ObjectHandle RasterCanvas::select(ObjectHandle handle) {
  const platform::GraphicsObject* object = objects_.find(handle);
  if (object == nullptr) {
    return 0;
  }
  ObjectHandle previous = 0;
  if (const auto* pen = std::get_if<platform::PenSpec>(object)) {
    previous = penHandle_;
    penHandle_ = handle;
    pen_ = *pen;
  } else if (const auto* brush = std::get_if<platform::BrushSpec>(object)) {
    previous = brushHandle_;
    brushHandle_ = handle;
    brush_ = *brush;
  } else {
    previous = fontHandle_;
    fontHandle_ = handle;
    lettering_.useFont(std::get<platform::FontSpec>(*object));
  }
  return previous;
}

void RasterCanvas::moveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void RasterCanvas::lineTo(int x, int y) {
  drawLine(pixels_, curX_, curY_, x, y, pen_, background_);
  curX_ = x;
  curY_ = y;
}

void RasterCanvas::setPixel(int x, int y, Rgb colour) { pixels_.plot(x, y, colourOf(colour)); }

void RasterCanvas::rectangle(int left, int top, int right, int bottom) {
  drawRectangle(pixels_, left, top, right, bottom, pen_, colourOf(brush_.colour), background_);
}

void RasterCanvas::textOut(int x, int y, const char* text, int count) {
  if (count > 0) {
    lettering_.draw(pixels_, x, y, text, count, colourOf(textColour_), background_ == BackgroundMode::Opaque);
  }
}

Rgb RasterCanvas::setTextColour(Rgb colour) {
  const Rgb previous = textColour_;
  textColour_ = colour;
  return previous;
}

BackgroundMode RasterCanvas::setBackgroundMode(BackgroundMode mode) {
  const BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

} // namespace baromon::raster
