#include "adapters/win32/SvgCanvas.h"

#include <windows.h>

#include <cstdio>
#include <variant>

namespace baromon::platform {

namespace {

std::string colour(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

// Windows-1252 bytes as UTF-8, with the characters XML gives a meaning escaped.
std::string xmlText(const char* text, int count) {
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  const int n = ::MultiByteToWideChar(1252, 0, text, count, wide.data(), count);
  wide.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  std::string escaped;
  for (wchar_t c : wide) {
    switch (c) {
    case L'&':
      escaped += "&amp;";
      break;
    case L'<':
      escaped += "&lt;";
      break;
    case L'>':
      escaped += "&gt;";
      break;
    default: {
      char utf8[8];
      const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, &c, 1, utf8, sizeof utf8, nullptr, nullptr);
      escaped.append(utf8, static_cast<std::size_t>(bytes > 0 ? bytes : 0));
    }
    }
  }
  return escaped;
}

// The cell height GDI gives the program's fonts (see GdiCanvas).
int cellHeight(const FontSpec& font) { return font.kind == FontKind::Panel ? font.height : 16; }

} // namespace

SvgCanvas::SvgCanvas(GraphicsObjects& objects, CanvasSize size)
    : objects_(objects), size_(size), measure_(objects, measureBitmap_.dc(), measureBitmap_.size()),
      penHandle_(objects.stockBlackPen()), brushHandle_(objects.stockWhiteBrush()),
      fontHandle_(objects.stockFixedFont()) {}

std::string SvgCanvas::document() const {
  char head[400];
  std::snprintf(
      head, sizeof head,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n"
      "<title>barogram</title>\n"
      "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n",
      size_.width, size_.height, size_.width, size_.height, size_.width, size_.height);
  return head + body_ + "</svg>\n";
}

ObjectHandle SvgCanvas::select(ObjectHandle handle) {
  const GraphicsObject* object = objects_.find(handle);
  if (object == nullptr) {
    return 0;
  }
  measure_.select(handle);
  ObjectHandle previous = 0;
  if (const auto* pen = std::get_if<PenSpec>(object)) {
    pen_ = *pen;
    previous = penHandle_;
    penHandle_ = handle;
  } else if (const auto* brush = std::get_if<BrushSpec>(object)) {
    brush_ = *brush;
    previous = brushHandle_;
    brushHandle_ = handle;
  } else if (const auto* font = std::get_if<FontSpec>(object)) {
    font_ = *font;
    previous = fontHandle_;
    fontHandle_ = handle;
  }
  return previous;
}

void SvgCanvas::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void SvgCanvas::lineTo(int x, int y) {
  char line[240];
  const int width = pen_.width < 1 ? 1 : pen_.width;
  std::snprintf(
      line, sizeof line,
      "<polyline points=\"%d.5,%d.5 %d.5,%d.5\" fill=\"none\" stroke=\"%s\" stroke-width=\"%d\"%s/>\n", x_,
      y_, x, y, colour(pen_.colour).c_str(), width,
      // Square ends close the joints of a wide curve drawn segment by segment.
      pen_.style == PenStyle::Dot ? " stroke-dasharray=\"3,3\"" : " stroke-linecap=\"square\"");
  body_ += line;
  x_ = x;
  y_ = y;
}

void SvgCanvas::setPixel(int x, int y, Rgb c) {
  char pixel[120];
  std::snprintf(pixel, sizeof pixel, "<rect x=\"%d\" y=\"%d\" width=\"1\" height=\"1\" fill=\"%s\"/>\n", x, y,
                colour(c).c_str());
  body_ += pixel;
}

void SvgCanvas::rectangle(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) {
    return;
  }
  // The outline runs on the edge pixels; right and bottom are left out.
  char rect[240];
  std::snprintf(rect, sizeof rect,
                "<rect x=\"%d.5\" y=\"%d.5\" width=\"%d\" height=\"%d\" fill=\"%s\" stroke=\"%s\" "
                "stroke-width=\"%d\"/>\n",
                left, top, right - left - 1, bottom - top - 1, colour(brush_.colour).c_str(),
                colour(pen_.colour).c_str(), pen_.width < 1 ? 1 : pen_.width);
  body_ += rect;
}

void SvgCanvas::textOut(int x, int y, const char* text, int count) {
  if (count <= 0) {
    return;
  }
  const TextMetrics metrics = measure_.textMetrics();
  const int height = cellHeight(font_);
  const int em = (height * 4 + 2) / 5; // the letters' size: the cell less its leading
  std::string group = "<g";
  if (font_.escapement != 0) {
    char turn[80];
    std::snprintf(turn, sizeof turn, " transform=\"rotate(%g %d %d)\"", -font_.escapement / 10.0, x, y);
    group += turn;
  }
  group += ">";
  if (background_ == BackgroundMode::Opaque) {
    SIZE extent{};
    ::GetTextExtentPoint32A(static_cast<HDC>(measureBitmap_.dc()), text, count, &extent);
    char cell[160];
    std::snprintf(cell, sizeof cell, "<rect x=\"%d\" y=\"%d\" width=\"%ld\" height=\"%d\" fill=\"#ffffff\"/>",
                  x, y, static_cast<long>(extent.cx), metrics.height);
    group += cell;
  }
  char start[240];
  std::snprintf(start, sizeof start,
                "<text x=\"%d\" y=\"%d\" font-family=\"%s\" font-size=\"%d\" font-weight=\"%d\" fill=\"%s\" "
                "xml:space=\"preserve\">",
                x, y + em, font_.kind == FontKind::Panel ? "monospace" : "Arial, sans-serif", em,
                font_.kind == FontKind::Panel && font_.weight > 0 ? font_.weight : 400,
                colour(textColour_).c_str());
  body_ += group + start + xmlText(text, count) + "</text></g>\n";
}

Rgb SvgCanvas::setTextColour(Rgb c) {
  measure_.setTextColour(c);
  const Rgb previous = textColour_;
  textColour_ = c;
  return previous;
}

BackgroundMode SvgCanvas::setBackgroundMode(BackgroundMode mode) {
  measure_.setBackgroundMode(mode);
  const BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

} // namespace baromon::platform
