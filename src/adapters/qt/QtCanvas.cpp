#include "adapters/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <variant>

#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

using platform::BackgroundMode;
using platform::FontKind;
using platform::FontSpec;
using platform::ObjectHandle;
using platform::PenStyle;
using platform::Rgb;

namespace {

constexpr QRgb kBackground = 0xffffffffu; // the background colour of every paint: white
constexpr int kDefaultCellHeight = 16;    // the system font's cell, in pixels

// No greys at the letters' edges, whatever the machine's font configuration asks
// for: a picture is then the same everywhere and labels stay sharp on paper.
constexpr QFont::StyleStrategy kUnsmoothed =
    QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias | QFont::PreferMatch);

QRgb toQRgb(Rgb c) { return qRgb(c.r, c.g, c.b); }
QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QFont baseFont(const char* family, int pixelSize, QFont::StyleHint hint) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixelSize);
  // setStyleHint also sets the style strategy (to its default when none is
  // given), so the hint and the strategy go in one call: a hint set on its own
  // afterwards would quietly let the font configuration smooth the letters again.
  font.setStyleHint(hint, kUnsmoothed);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setKerning(false);
  return font;
}

// The panel font: the largest pixel size whose cell fits the height asked for,
// stretched so that a character is as wide as asked for.
QFont panelFont(const FontSpec& wanted) {
  const int cell = wanted.height > 0 ? wanted.height : (wanted.height < 0 ? -wanted.height : 16);
  int pixels = cell * 14 / 16 + 2;
  QFont font = baseFont("DejaVu Sans Mono", pixels, QFont::Monospace);
  font.setFixedPitch(true);
  if (wanted.weight > 0) {
    font.setWeight(QFont::Weight(wanted.weight > 1000 ? 1000 : wanted.weight));
  }
  while (pixels > 1 && QFontMetrics(font).height() > cell) {
    font.setPixelSize(--pixels);
  }
  if (wanted.width > 0) {
    const int natural = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
    if (natural > 0) {
      int stretch = (wanted.width * 100 + natural / 2) / natural;
      font.setStretch(stretch < 1 ? 1 : (stretch > 4000 ? 4000 : stretch));
    }
  }
  return font;
}

} // namespace

QFont QtCanvas::fontFor(const FontSpec& wanted) {
  switch (wanted.kind) {
  case FontKind::Panel:
    return panelFont(wanted);
  case FontKind::RotatedSystem:
    return baseFont("DejaVu Sans", 14, QFont::SansSerif);
  case FontKind::StockFixed:
    break;
  }
  // The font a paint starts with stands for the system's default font, which is
  // proportional: a fixed-pitch face makes the texts a sixth longer than the
  // places they are drawn in (the diurnal window's phase line ran out of it).
  // DejaVu Sans has equal-width digits, so scale labels still line up; at 13
  // pixels its digits are 8 pixels wide, as the system font's, so two-digit
  // labels 16 pixels apart (the diurnal hours) do not run into each other.
  return baseFont("DejaVu Sans", 13, QFont::SansSerif);
}

QFont QtCanvas::fixedPitchFont() {
  QFont font = baseFont("DejaVu Sans Mono", 14, QFont::Monospace);
  font.setFixedPitch(true);
  return font;
}

int QtCanvas::cellTopFor(const FontSpec& wanted, const QFont& font) {
  if (wanted.kind != FontKind::StockFixed) {
    return 0;
  }
  // The default font's letters stand in the system font's 16-pixel cell, one
  // pixel lower than in their own 15-pixel one, so the baseline is 13 below the top.
  return std::max(0, kDefaultCellHeight - QFontMetrics(font).height());
}

QtCanvas::QtCanvas(platform::GraphicsObjects& objects, QImage& image) : objects_(objects), image_(&image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
      image.format() != QImage::Format_ARGB32_Premultiplied) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  size_ = image.size();
  // Taken before the painter starts, so that the direct pixel writes and the
  // painter's text work on the same memory.
  bits_ = image.bits();
  bytesPerLine_ = image.bytesPerLine();
  ownPainter_ = std::make_unique<QPainter>(&image);
  painter_ = ownPainter_.get();
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  penHandle_ = objects_.stockBlackPen();
  brushHandle_ = objects_.stockWhiteBrush();
  fontHandle_ = objects_.stockFixedFont();
  useFont(font_);
}

QtCanvas::QtCanvas(platform::GraphicsObjects& objects, QPainter& painter, QSize size)
    : objects_(objects), painter_(&painter), size_(size) {
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  penHandle_ = objects_.stockBlackPen();
  brushHandle_ = objects_.stockWhiteBrush();
  fontHandle_ = objects_.stockFixedFont();
  useFont(font_);
}

QtCanvas::~QtCanvas() {
  if (ownPainter_) {
    ownPainter_->end();
  }
}

ObjectHandle QtCanvas::select(ObjectHandle handle) {
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
    useFont(std::get<FontSpec>(*object));
  }
  return previous;
}

void QtCanvas::useFont(const FontSpec& font) {
  font_ = font;
  qfont_ = fontFor(font);
  cellTop_ = cellTopFor(font, qfont_);
}

void QtCanvas::moveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void QtCanvas::lineTo(int x, int y) {
  if (image_ != nullptr) {
    rasterLine(curX_, curY_, x, y);
  } else {
    vectorLine(curX_, curY_, x, y);
  }
  curX_ = x;
  curY_ = y;
}

void QtCanvas::plot(int x, int y, QRgb colour) {
  if (x < 0 || y < 0 || x >= size_.width() || y >= size_.height()) {
    return;
  }
  reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = colour;
}

// A wide pen covers a square around each point; a width of 2 covers the point's
// row and the one above (and its column and the one to the left).
void QtCanvas::stamp(int x, int y, int width, QRgb colour) {
  const int low = -(width / 2);
  // Round: the disc of the pen's diameter about the point (about the corner
  // above and to the left of it for even widths).
  const double centre = width % 2 == 0 ? -0.5 : 0.0;
  const double radius2 = width * width / 4.0;
  for (int dy = low; dy < low + width; ++dy) {
    for (int dx = low; dx < low + width; ++dx) {
      const double ex = dx - centre;
      const double ey = dy - centre;
      if (ex * ex + ey * ey <= radius2) {
        plot(x + dx, y + dy, colour);
      }
    }
  }
}

// Bresenham over the major axis, leaving the end pixel out. Where the exact line
// passes midway between two pixels, octants 3, 5, 6 and 8 take the step and the
// others do not, as the reference drawing layer does, so that lines come out
// pixel for pixel the same. A dotted pen is 3 on, 3 off from each line's start;
// in opaque mode its gaps take the background colour.
void QtCanvas::rasterLine(int x0, int y0, int x1, int y1) {
  const int dx = x1 - x0;
  const int dy = y1 - y0;
  if (dx == 0 && dy == 0) {
    return;
  }
  int octant;
  if (dy > 0) {
    octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  } else {
    octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  }
  const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const int adx = std::abs(dx);
  const int ady = std::abs(dy);
  const bool xMajor = adx > ady;
  const int major = xMajor ? adx : ady;
  const int minor = xMajor ? ady : adx;
  const int sx = dx > 0 ? 1 : -1;
  const int sy = dy > 0 ? 1 : -1;
  const bool dotted = pen_.style == PenStyle::Dot && pen_.width <= 1;
  const int width = pen_.width > 1 ? pen_.width : 1;
  const QRgb colour = toQRgb(pen_.colour);
  if (width > 1 && !dotted) {
    wideLine(x0, y0, x1, y1, width, colour);
    return;
  }
  int err = 2 * minor - major;
  int x = x0;
  int y = y0;
  for (int n = 0; n < major; ++n) {
    if (dotted) {
      if (n % 6 < 3) {
        plot(x, y, colour);
      } else if (background_ == BackgroundMode::Opaque) {
        plot(x, y, kBackground);
      }
    } else {
      plot(x, y, colour);
    }
    if (err + bias > 0) {
      (xMajor ? y : x) += xMajor ? sy : sx;
      err += 2 * minor - 2 * major;
    } else {
      err += 2 * minor;
    }
    (xMajor ? x : y) += xMajor ? sx : sy;
  }
}

// A wide line is the band of the pen's width about the exact line, with round
// ends. A pixel belongs to the band when a point just below and right of its
// centre lies in it, so a band edge through pixel centres takes the upper or
// left row: a 2-pixel horizontal line at y covers rows y - 1 and y.
void QtCanvas::wideLine(int x0, int y0, int x1, int y1, int width, QRgb colour) {
  constexpr double nudge = 1.0 / 1024;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  const double half2 = width * width / 4.0;
  const int left = std::max(std::min(x0, x1) - width, 0);
  const int right = std::min(std::max(x0, x1) + width, size_.width() - 1);
  const int top = std::max(std::min(y0, y1) - width, 0);
  const int bottom = std::min(std::max(y0, y1) + width, size_.height() - 1);
  for (int py = top; py <= bottom; ++py) {
    for (int px = left; px <= right; ++px) {
      const double ax = px + nudge - x0;
      const double ay = py + nudge - y0;
      const double along = ax * dx + ay * dy;
      if (along < 0 || along > length2) {
        continue;
      }
      const double across = ax * dy - ay * dx;
      if (across * across < half2 * length2) {
        plot(px, py, colour);
      }
    }
  }
  stamp(x0, y0, width, colour);
  stamp(x1, y1, width, colour);
}

void QtCanvas::vectorLine(int x0, int y0, int x1, int y1) {
  if (x0 == x1 && y0 == y1) {
    return;
  }
  const QPointF from(x0 + 0.5, y0 + 0.5);
  const QPointF to(x1 + 0.5, y1 + 0.5);
  const bool dotted = pen_.style == PenStyle::Dot && pen_.width <= 1;
  painter_->save();
  painter_->setBrush(Qt::NoBrush);
  if (dotted && background_ == BackgroundMode::Opaque) {
    QPen gaps(QColor(Qt::white), 1.0, Qt::SolidLine, Qt::FlatCap);
    painter_->setPen(gaps);
    painter_->drawLine(from, to);
  }
  QPen pen(toQColor(pen_.colour), pen_.width > 1 ? pen_.width : 1.0, Qt::SolidLine,
           pen_.width > 1 ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
  if (dotted) {
    pen.setDashPattern({3.0, 3.0});
  }
  painter_->setPen(pen);
  painter_->drawLine(from, to);
  painter_->restore();
}

void QtCanvas::setPixel(int x, int y, Rgb colour) {
  if (image_ != nullptr) {
    plot(x, y, toQRgb(colour));
  } else {
    painter_->fillRect(QRectF(x, y, 1, 1), toQColor(colour));
  }
}

void QtCanvas::rectangle(int left, int top, int right, int bottom) {
  if (right < left) {
    std::swap(left, right);
  }
  if (bottom < top) {
    std::swap(top, bottom);
  }
  if (right - left < 1 || bottom - top < 1) {
    return;
  }
  if (image_ != nullptr) {
    const QRgb fill = toQRgb(brush_.colour);
    const int x0 = std::max(left, 0);
    const int x1 = std::min(right, size_.width());
    for (int y = std::max(top, 0); y < std::min(bottom, size_.height()) && x0 < x1; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_);
      std::fill(row + x0, row + x1, fill);
    }
    // The outline runs along the first and last column and row inside the rectangle.
    rasterLine(left, top, right - 1, top);
    rasterLine(right - 1, top, right - 1, bottom - 1);
    rasterLine(right - 1, bottom - 1, left, bottom - 1);
    rasterLine(left, bottom - 1, left, top);
    if (right - left == 1 || bottom - top == 1) {
      plot(right - 1, bottom - 1, toQRgb(pen_.colour));
    }
    return;
  }
  painter_->save();
  painter_->fillRect(QRect(left, top, right - left, bottom - top), toQColor(brush_.colour));
  QPen pen(toQColor(pen_.colour), pen_.width > 1 ? pen_.width : 1.0, Qt::SolidLine, Qt::SquareCap,
           Qt::MiterJoin);
  if (pen_.style == PenStyle::Dot && pen_.width <= 1) {
    pen.setDashPattern({3.0, 3.0});
  }
  painter_->setPen(pen);
  painter_->setBrush(Qt::NoBrush);
  painter_->drawRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
  painter_->restore();
}

void QtCanvas::textOut(int x, int y, const char* text, int count) {
  if (count <= 0) {
    return;
  }
  const QString shown = fromWindows1252(text, count);
  painter_->save();
  painter_->setFont(qfont_);
  const QFontMetrics metrics = painter_->fontMetrics();
  painter_->translate(x, y);
  if (font_.escapement != 0) {
    // Escapement turns counter-clockwise; 2700 runs the text downwards.
    painter_->rotate(-font_.escapement / 10.0);
  }
  if (background_ == BackgroundMode::Opaque) {
    painter_->fillRect(QRect(0, 0, metrics.horizontalAdvance(shown), cellTop_ + metrics.height()),
                       QColor(Qt::white));
  }
  painter_->setPen(toQColor(textColour_));
  painter_->drawText(QPoint(0, cellTop_ + metrics.ascent()), shown);
  painter_->restore();
}

Rgb QtCanvas::setTextColour(Rgb colour) {
  const Rgb previous = textColour_;
  textColour_ = colour;
  return previous;
}

BackgroundMode QtCanvas::setBackgroundMode(BackgroundMode mode) {
  const BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

platform::TextMetrics QtCanvas::textMetrics() {
  const QFontMetrics metrics(qfont_, painter_->device());
  platform::TextMetrics result;
  result.height = cellTop_ + metrics.height();
  result.externalLeading = metrics.leading() > 0 ? metrics.leading() : 0;
  result.maxCharWidth = metrics.maxWidth();
  result.aveCharWidth = metrics.averageCharWidth();
  return result;
}

void blitBackBuffer(QPainter& widgetPainter, const QImage& backBuffer) {
  // Drawn at the logical size: on a high-density screen each pixel becomes a
  // block of device pixels instead of being resampled.
  widgetPainter.save();
  widgetPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  QImage unscaled = backBuffer;
  unscaled.setDevicePixelRatio(1.0);
  widgetPainter.drawImage(QRect(QPoint(0, 0), unscaled.size()), unscaled);
  widgetPainter.restore();
}

QImage makeBackBuffer(int width, int height) {
  QImage image(width > 0 ? width : 1, height > 0 ? height : 1, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

} // namespace baromon::qt
