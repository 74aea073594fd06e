#pragma once

#include "adapters/raster/Raster.h"
#include "platform/Canvas.h"

namespace baromon::raster {

// The letters of a raster canvas: whoever rasterises glyphs (a font library) draws
// texts into the pixels in the font last chosen.
class Lettering {
public:
  virtual ~Lettering() = default;
  virtual void useFont(const platform::FontSpec& font) = 0;
  virtual platform::TextMetrics metrics() = 0;
  // `count` Windows-1252 bytes from the top left of the first cell at (x, y), over
  // white cells when `opaque`; a font with an escapement of 2700 runs downwards.
  virtual void draw(const Pixels& pixels, int x, int y, const char* text, int count, Colour colour,
                    bool opaque) = 0;
};

// A canvas on pixels in memory: lines, dots and rectangles drawn here, texts by the
// lettering. Nothing in it needs a toolkit.
class RasterCanvas : public platform::Canvas {
public:
  RasterCanvas(platform::GraphicsObjects& objects, const Pixels& pixels, Lettering& lettering);

  platform::ObjectHandle select(platform::ObjectHandle handle) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void setPixel(int x, int y, platform::Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, const char* text, int count) override;
  using Canvas::textOut;
  platform::Rgb setTextColour(platform::Rgb colour) override;
  platform::BackgroundMode setBackgroundMode(platform::BackgroundMode mode) override;
  platform::TextMetrics textMetrics() override { return lettering_.metrics(); }
  platform::CanvasSize size() const override { return {pixels_.width, pixels_.height}; }

private:
  platform::CanvasSelection selection_;
  Pixels pixels_;
  Lettering& lettering_;
  int curX_ = 0, curY_ = 0;
  platform::Rgb textColour_{0, 0, 0};
  platform::BackgroundMode background_ = platform::BackgroundMode::Opaque;
};

} // namespace baromon::raster
