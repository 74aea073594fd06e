#include "adapters/win32/GdiCanvas.h"

#include <windows.h>

namespace baromon::platform {

namespace {

COLORREF colourRef(Rgb c) { return RGB(c.r, c.g, c.b); }
Rgb fromColourRef(COLORREF c) { return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)}; }
HDC hdc(void* dc) { return static_cast<HDC>(dc); }

// The stock font every paint starts with is the system font: proportional, its
// digits of equal width, in a 16-pixel cell.
constexpr int kSystemCellHeight = 16;

} // namespace

GdiCanvas::GdiCanvas(GraphicsObjects& objects, void* dc, CanvasSize size, double fontScale)
    : selection_(objects), dc_(dc), size_(size), fontScale_(fontScale > 0 ? fontScale : 1.0) {
  HDC d = hdc(dc_);
  originalPen_ = ::GetCurrentObject(d, OBJ_PEN);
  originalBrush_ = ::GetCurrentObject(d, OBJ_BRUSH);
  originalFont_ = ::GetCurrentObject(d, OBJ_FONT);
  ::SetBkMode(d, OPAQUE);
  ::SetBkColor(d, RGB(255, 255, 255));
  ::SetTextColor(d, RGB(0, 0, 0));
  ::SetTextAlign(d, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ::SetMapMode(d, MM_TEXT);
  ::SetROP2(d, R2_COPYPEN);
  ::MoveToEx(d, 0, 0, nullptr);
  usePen(selection_.pen());
  useBrush(selection_.brush());
  useFont(selection_.font());
}

GdiCanvas::~GdiCanvas() {
  HDC d = hdc(dc_);
  ::SelectObject(d, static_cast<HGDIOBJ>(originalPen_));
  ::SelectObject(d, static_cast<HGDIOBJ>(originalBrush_));
  ::SelectObject(d, static_cast<HGDIOBJ>(originalFont_));
  for (void* object : {pen_, brush_, font_}) {
    if (object != nullptr) {
      ::DeleteObject(static_cast<HGDIOBJ>(object));
    }
  }
}

void GdiCanvas::usePen(const PenSpec& pen) {
  HPEN made = nullptr;
  const COLORREF colour = colourRef(pen.colour);
  dotted_ = pen.style == PenStyle::Dot;
  dotColour_ = pen.colour;
  if (dotted_) {
    made = ::CreatePen(PS_NULL, 0, colour); // the dots are set one by one (see lineTo)
  } else {
    made = ::CreatePen(PS_SOLID, pen.width <= 1 ? 0 : pen.width, colour);
  }
  if (made == nullptr) {
    return;
  }
  ::SelectObject(hdc(dc_), made);
  if (pen_ != nullptr) {
    ::DeleteObject(static_cast<HGDIOBJ>(pen_));
  }
  pen_ = made;
}

void GdiCanvas::useBrush(const BrushSpec& brush) {
  HBRUSH made = ::CreateSolidBrush(colourRef(brush.colour));
  if (made == nullptr) {
    return;
  }
  ::SelectObject(hdc(dc_), made);
  if (brush_ != nullptr) {
    ::DeleteObject(static_cast<HGDIOBJ>(brush_));
  }
  brush_ = made;
}

int GdiCanvas::scaled(int pixels) const {
  return pixels == 0 ? 0 : static_cast<int>(pixels * fontScale_ + (pixels > 0 ? 0.5 : -0.5));
}

void GdiCanvas::useFont(const FontSpec& font) {
  HFONT made = nullptr;
  // Text is never smoothed: every pixel of a label is the text colour or the background.
  constexpr DWORD quality = NONANTIALIASED_QUALITY;
  switch (font.kind) {
  case FontKind::Panel:
    // The panels' face: a fixed-pitch sans serif, a TrueType one where the system has it.
    made = ::CreateFontA(scaled(font.height), scaled(font.width), font.escapement, font.escapement,
                         font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                         quality, FIXED_PITCH | FF_SWISS, nullptr);
    break;
  case FontKind::RotatedSystem:
    made = ::CreateFontA(scaled(kSystemCellHeight), 0, font.escapement, font.escapement, FW_NORMAL, FALSE,
                         FALSE, FALSE, ANSI_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                         VARIABLE_PITCH | FF_SWISS, "Arial");
    break;
  case FontKind::StockFixed:
    made =
        ::CreateFontA(scaled(kSystemCellHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                      OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH | FF_SWISS, "Arial");
    break;
  }
  if (made == nullptr) {
    return;
  }
  ::SelectObject(hdc(dc_), made);
  if (font_ != nullptr) {
    ::DeleteObject(static_cast<HGDIOBJ>(font_));
  }
  font_ = made;
}

ObjectHandle GdiCanvas::select(ObjectHandle handle) {
  const ObjectHandle previous = selection_.select(handle);
  if (previous == 0) {
    return 0;
  }
  if (handle == selection_.penHandle()) {
    usePen(selection_.pen());
  } else if (handle == selection_.brushHandle()) {
    useBrush(selection_.brush());
  } else {
    useFont(selection_.font());
  }
  return previous;
}

void GdiCanvas::moveTo(int x, int y) { ::MoveToEx(hdc(dc_), x, y, nullptr); }

namespace {

struct DotRun {
  HDC dc;
  COLORREF ink;
  COLORREF gap;
  bool opaque;
  int step;
};

void CALLBACK plotDot(int x, int y, LPARAM data) {
  auto* run = reinterpret_cast<DotRun*>(data);
  if (run->step % 6 < 3) {
    ::SetPixelV(run->dc, x, y, run->ink);
  } else if (run->opaque) {
    ::SetPixelV(run->dc, x, y, run->gap);
  }
  ++run->step;
}

} // namespace

void GdiCanvas::lineTo(int x, int y) {
  HDC d = hdc(dc_);
  if (!dotted_) {
    ::LineTo(d, x, y);
    return;
  }
  // GDI's own styled pens differ between systems (and Wine lights every pixel): the
  // pattern is laid over the pixels LineDDA gives, which are the ones LineTo lights.
  POINT from{};
  ::GetCurrentPositionEx(d, &from);
  DotRun run{d, colourRef(dotColour_), ::GetBkColor(d), ::GetBkMode(d) == OPAQUE, 0};
  ::LineDDA(from.x, from.y, x, y, plotDot, reinterpret_cast<LPARAM>(&run));
  ::MoveToEx(d, x, y, nullptr);
}

void GdiCanvas::setPixel(int x, int y, Rgb colour) { ::SetPixel(hdc(dc_), x, y, colourRef(colour)); }

void GdiCanvas::rectangle(int left, int top, int right, int bottom) {
  ::Rectangle(hdc(dc_), left, top, right, bottom);
}

void GdiCanvas::textOut(int x, int y, const char* text, int count) {
  if (count > 0) {
    ::TextOutA(hdc(dc_), x, y, text, count);
  }
}

Rgb GdiCanvas::setTextColour(Rgb colour) {
  return fromColourRef(::SetTextColor(hdc(dc_), colourRef(colour)));
}

BackgroundMode GdiCanvas::setBackgroundMode(BackgroundMode mode) {
  const int old = ::SetBkMode(hdc(dc_), mode == BackgroundMode::Transparent ? TRANSPARENT : OPAQUE);
  return old == TRANSPARENT ? BackgroundMode::Transparent : BackgroundMode::Opaque;
}

TextMetrics GdiCanvas::textMetrics() {
  TEXTMETRICA tm{};
  if (!::GetTextMetricsA(hdc(dc_), &tm)) {
    return {};
  }
  return TextMetrics{tm.tmHeight, tm.tmExternalLeading, tm.tmMaxCharWidth, tm.tmAveCharWidth};
}

GdiMemoryBitmap::GdiMemoryBitmap(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) {
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = bitmap != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
  if (dc == nullptr) {
    if (bitmap != nullptr) {
      ::DeleteObject(bitmap);
    }
    return;
  }
  bitmap_ = bitmap;
  dc_ = dc;
  bits_ = static_cast<std::uint32_t*>(bits);
  oldBitmap_ = ::SelectObject(dc, bitmap);
  fill(Rgb{255, 255, 255});
}

GdiMemoryBitmap::~GdiMemoryBitmap() {
  if (dc_ != nullptr) {
    ::SelectObject(hdc(dc_), static_cast<HGDIOBJ>(oldBitmap_));
    ::DeleteDC(hdc(dc_));
  }
  if (bitmap_ != nullptr) {
    ::DeleteObject(static_cast<HGDIOBJ>(bitmap_));
  }
}

void GdiMemoryBitmap::fill(Rgb colour) {
  if (!valid()) {
    return;
  }
  ::GdiFlush();
  const std::uint32_t value = (std::uint32_t{colour.r} << 16) | (std::uint32_t{colour.g} << 8) | colour.b;
  for (long i = 0; i < static_cast<long>(width_) * height_; ++i) {
    bits_[i] = value;
  }
}

Rgb GdiMemoryBitmap::pixel(int x, int y) const {
  if (!valid() || x < 0 || y < 0 || x >= width_ || y >= height_) {
    return {};
  }
  ::GdiFlush();
  const std::uint32_t v = bits_[static_cast<long>(y) * width_ + x];
  return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v)};
}

} // namespace baromon::platform
