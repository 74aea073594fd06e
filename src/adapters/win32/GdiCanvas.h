#pragma once

#include <cstdint>
#include <vector>

#include "platform/Canvas.h"

namespace baromon::platform {

// A Canvas on a GDI device context: the drawing calls are the system's own (pens,
// brushes, CreateFontA, MoveToEx/LineTo, SetPixel, Rectangle, TextOutA), so lines
// leave their end pixel out and rectangles their right and bottom edges as the
// interface asks. Drawing objects are made from their descriptions when selected
// and deleted when replaced; the context gets its own objects back at the end.
// The dotted pen is 3 on / 3 off, restarting at each line, its gaps in the
// background colour when opaque; no text is smoothed.
class GdiCanvas final : public Canvas {
public:
  // `dc` is an HDC that outlives the canvas; `size` the client area or page in pixels.
  // Fonts are made in screen pixels times `fontScale` (a printer page's is its
  // resolution / 100, so that texts are about as large on paper as on the screen).
  GdiCanvas(GraphicsObjects& objects, void* dc, CanvasSize size, double fontScale = 1.0);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  ObjectHandle select(ObjectHandle handle) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void setPixel(int x, int y, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, const char* text, int count) override;
  using Canvas::textOut;
  Rgb setTextColour(Rgb colour) override;
  BackgroundMode setBackgroundMode(BackgroundMode mode) override;
  TextMetrics textMetrics() override;
  CanvasSize size() const override { return size_; }

private:
  void usePen(const PenSpec& pen);
  void useBrush(const BrushSpec& brush);
  void useFont(const FontSpec& font);
  int scaled(int pixels) const;

  platform::CanvasSelection selection_;
  void* dc_;
  CanvasSize size_;
  double fontScale_;
  void* pen_ = nullptr; // the GDI objects this canvas made and has selected
  void* brush_ = nullptr;
  void* font_ = nullptr;
  void* originalPen_ = nullptr;
  void* originalBrush_ = nullptr;
  void* originalFont_ = nullptr;
  bool dotted_ = false;
  Rgb dotColour_;
};

// A white 32-bit picture in memory with a device context to draw on: the back
// buffer of a paint, the picture a command renders, and what the tests read back.
class GdiMemoryBitmap {
public:
  GdiMemoryBitmap(int width, int height);
  ~GdiMemoryBitmap();
  GdiMemoryBitmap(const GdiMemoryBitmap&) = delete;
  GdiMemoryBitmap& operator=(const GdiMemoryBitmap&) = delete;

  bool valid() const { return dc_ != nullptr && bits_ != nullptr; }
  void* dc() const { return dc_; }
  CanvasSize size() const { return {width_, height_}; }
  // The colour at (x, y); black outside the picture.
  Rgb pixel(int x, int y) const;
  void fill(Rgb colour);

private:
  int width_, height_;
  void* dc_ = nullptr;
  void* bitmap_ = nullptr;
  void* oldBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr; // top-down rows of 0x00RRGGBB
};

} // namespace baromon::platform
