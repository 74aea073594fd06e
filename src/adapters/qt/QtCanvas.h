#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <memory>

#include "adapters/raster/Raster.h"
#include "platform/Canvas.h"

namespace baromon::qt {

// A Canvas on QPainter with the geometry of the system's drawing calls, so that
// a picture is the same on every machine.
//
// Raster mode (the canvas paints a QImage): lines, pixels and rectangles are set
// pixel by pixel with the line algorithm of the reference drawing layer (the end
// pixel left out, the dotted pen 3 on / 3 off restarting at each line); text goes
// through QPainter without antialiasing. The screen paints this way into a back
// buffer that the widget then blits (see blitBackBuffer).
//
// Vector mode (any other paint device: SVG, PDF, printer): the same primitives as
// QPainter shapes at pixel centres, so the output stays scalable.
//
// Fonts, at pixel sizes: the stock font every paint starts with is the system's
// default font, proportional with equal-width digits (DejaVu Sans, a cell 16
// high); the panel font is DejaVu Sans Mono fitted to the cell height and width
// asked for; the rotated system font is DejaVu Sans. No text is smoothed.
class QtCanvas : public platform::Canvas {
public:
  // Raster mode on `image` (Format_RGB32 or ARGB32), which must outlive the canvas.
  QtCanvas(platform::GraphicsObjects& objects, QImage& image);
  // Vector mode on a painter that is already active; `size` is the client area or page in device pixels.
  QtCanvas(platform::GraphicsObjects& objects, QPainter& painter, QSize size);
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  platform::ObjectHandle select(platform::ObjectHandle handle) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void setPixel(int x, int y, platform::Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, const char* text, int count) override;
  using Canvas::textOut;
  platform::Rgb setTextColour(platform::Rgb colour) override;
  platform::BackgroundMode setBackgroundMode(platform::BackgroundMode mode) override;
  platform::TextMetrics textMetrics() override;
  platform::CanvasSize size() const override { return {size_.width(), size_.height()}; }

  // The QFont that stands for a font description (exposed for the front end's own texts).
  static QFont fontFor(const platform::FontSpec& wanted);
  // A fixed-pitch face of the default font's size (a printer's default font).
  static QFont fixedPitchFont();
  // Pixels between a text's cell top and its letters' own cell (the default font's letters
  // are a size smaller than its cell).
  static int cellTopFor(const platform::FontSpec& wanted, const QFont& font);

private:
  void vectorLine(int x0, int y0, int x1, int y1);
  void useFont(const platform::FontSpec& font);

  const platform::PenSpec& currentPen() const { return selection_.pen(); }

  platform::CanvasSelection selection_;
  std::unique_ptr<QPainter> ownPainter_;
  QPainter* painter_ = nullptr;
  QImage* image_ = nullptr;
  raster::Pixels pixels_; // the image's, when painting one
  QSize size_;

  int curX_ = 0, curY_ = 0;
  QFont qfont_;
  int cellTop_ = 0;
  platform::Rgb textColour_{0, 0, 0};
  platform::BackgroundMode background_ = platform::BackgroundMode::Opaque;
};

// Draws a back buffer painted at the widget's logical size onto the widget,
// pixel for pixel in logical coordinates whatever the device pixel ratio.
void blitBackBuffer(QPainter& widgetPainter, const QImage& backBuffer);

// A white RGB32 image of the given size for a raster QtCanvas.
QImage makeBackBuffer(int width, int height);

} // namespace baromon::qt
