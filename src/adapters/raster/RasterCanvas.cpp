#include "adapters/raster/RasterCanvas.h"

namespace baromon::raster {

using platform::BackgroundMode;
using platform::ObjectHandle;
using platform::Rgb;

RasterCanvas::RasterCanvas(platform::GraphicsObjects& objects, const Pixels& pixels, Lettering& lettering)
    : selection_(objects), pixels_(pixels), lettering_(lettering) {
  lettering_.useFont(selection_.font());
}

ObjectHandle RasterCanvas::select(ObjectHandle handle) {
  const ObjectHandle previous = selection_.select(handle);
  if (previous != 0 && handle == selection_.fontHandle()) {
    lettering_.useFont(selection_.font());
  }
  return previous;
}

void RasterCanvas::moveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void RasterCanvas::lineTo(int x, int y) {
  drawLine(pixels_, curX_, curY_, x, y, selection_.pen(), background_);
  curX_ = x;
  curY_ = y;
}

void RasterCanvas::setPixel(int x, int y, Rgb colour) { pixels_.plot(x, y, colourOf(colour)); }

void RasterCanvas::rectangle(int left, int top, int right, int bottom) {
  drawRectangle(pixels_, left, top, right, bottom, selection_.pen(), colourOf(selection_.brush().colour),
                background_);
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
