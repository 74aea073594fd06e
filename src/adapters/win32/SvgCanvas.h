#pragma once

#include <string>

#include "adapters/win32/GdiCanvas.h"
#include "platform/Canvas.h"

namespace baromon::platform {

// A Canvas that writes an SVG document: a line is a polyline through the pixel
// centres, a pixel a 1 x 1 rectangle, a dotted pen dashes 3 on / 3 off, a text an
// SVG text in a sans-serif face of the GDI font's cell height (turned by its
// escapement, on its cell of background colour when opaque), converted from
// Windows-1252. Text metrics are GDI's, from a canvas on a memory bitmap beside it,
// so the painters lay out their texts as on the screen.
class SvgCanvas final : public Canvas {
public:
  SvgCanvas(GraphicsObjects& objects, CanvasSize size);
  SvgCanvas(const SvgCanvas&) = delete;
  SvgCanvas& operator=(const SvgCanvas&) = delete;

  // The whole document so far, closed.
  std::string document() const;

  ObjectHandle select(ObjectHandle handle) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void setPixel(int x, int y, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, const char* text, int count) override;
  using Canvas::textOut;
  Rgb setTextColour(Rgb colour) override;
  BackgroundMode setBackgroundMode(BackgroundMode mode) override;
  TextMetrics textMetrics() override { return measure_.textMetrics(); }
  CanvasSize size() const override { return size_; }

private:
  GraphicsObjects& objects_;
  CanvasSize size_;
  GdiMemoryBitmap measureBitmap_{1, 1};
  GdiCanvas measure_;
  std::string body_;
  PenSpec pen_;
  BrushSpec brush_{{255, 255, 255}};
  FontSpec font_;
  ObjectHandle penHandle_, brushHandle_, fontHandle_;
  int x_ = 0, y_ = 0;
  Rgb textColour_{0, 0, 0};
  BackgroundMode background_ = BackgroundMode::Opaque;
};

} // namespace baromon::platform
