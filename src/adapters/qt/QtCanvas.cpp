#include "adapters/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QPen>
#include <algorithm>

#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

using platform::BackgroundMode;
using platform::FontKind;
using platform::FontSpec;
using platform::ObjectHandle;
using platform::PenStyle;
using platform::Rgb;

namespace {

constexpr int kDefaultCellHeight = 16; // the system font's cell, in pixels

// No greys at the letters' edges, whatever the machine's font configuration asks
// for: a picture is then the same everywhere and labels stay sharp on paper.
constexpr QFont::StyleStrategy kUnsmoothed =
    QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias | QFont::PreferMatch);

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

QtCanvas::QtCanvas(platform::GraphicsObjects& objects, QImage& image) : selection_(objects), image_(&image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
      image.format() != QImage::Format_ARGB32_Premultiplied) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  size_ = image.size();
  // Taken before the painter starts, so that the direct pixel writes and the
  // painter's text work on the same memory.
  pixels_ = {reinterpret_cast<raster::Colour*>(image.bits()), image.width(), image.height(),
             image.bytesPerLine() / 4};
  ownPainter_ = std::make_unique<QPainter>(&image);
  painter_ = ownPainter_.get();
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  useFont(selection_.font());
}

QtCanvas::QtCanvas(platform::GraphicsObjects& objects, QPainter& painter, QSize size)
    : selection_(objects), painter_(&painter), size_(size) {
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  useFont(selection_.font());
}

QtCanvas::~QtCanvas() {
  if (ownPainter_) {
    ownPainter_->end();
  }
}

ObjectHandle QtCanvas::select(ObjectHandle handle) {
  const ObjectHandle previous = selection_.select(handle);
  if (previous != 0 && handle == selection_.fontHandle()) {
    useFont(selection_.font());
  }
  return previous;
}

void QtCanvas::useFont(const FontSpec& font) {
  qfont_ = fontFor(font);
  cellTop_ = cellTopFor(font, qfont_);
}

void QtCanvas::moveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void QtCanvas::lineTo(int x, int y) {
  if (image_ != nullptr) {
    raster::drawLine(pixels_, curX_, curY_, x, y, currentPen(), background_);
  } else {
    vectorLine(curX_, curY_, x, y);
  }
  curX_ = x;
  curY_ = y;
}

void QtCanvas::vectorLine(int x0, int y0, int x1, int y1) {
  if (x0 == x1 && y0 == y1) {
    return;
  }
  const QPointF from(x0 + 0.5, y0 + 0.5);
  const QPointF to(x1 + 0.5, y1 + 0.5);
  const bool dotted = currentPen().style == PenStyle::Dot && currentPen().width <= 1;
  painter_->save();
  painter_->setBrush(Qt::NoBrush);
  if (dotted && background_ == BackgroundMode::Opaque) {
    QPen gaps(QColor(Qt::white), 1.0, Qt::SolidLine, Qt::FlatCap);
    painter_->setPen(gaps);
    painter_->drawLine(from, to);
  }
  QPen pen(toQColor(currentPen().colour), currentPen().width > 1 ? currentPen().width : 1.0, Qt::SolidLine,
           currentPen().width > 1 ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
  if (dotted) {
    pen.setDashPattern({3.0, 3.0});
  }
  painter_->setPen(pen);
  painter_->drawLine(from, to);
  painter_->restore();
}

void QtCanvas::setPixel(int x, int y, Rgb colour) {
  if (image_ != nullptr) {
    pixels_.plot(x, y, raster::colourOf(colour));
  } else {
    painter_->fillRect(QRectF(x, y, 1, 1), toQColor(colour));
  }
}

void QtCanvas::rectangle(int left, int top, int right, int bottom) {
  if (image_ != nullptr) {
    raster::drawRectangle(pixels_, left, top, right, bottom, currentPen(),
                          raster::colourOf(selection_.brush().colour), background_);
    return;
  }
  if (!raster::orderCorners(left, top, right, bottom)) {
    return;
  }
  painter_->save();
  painter_->fillRect(QRect(left, top, right - left, bottom - top), toQColor(selection_.brush().colour));
  QPen pen(toQColor(currentPen().colour), currentPen().width > 1 ? currentPen().width : 1.0, Qt::SolidLine,
           Qt::SquareCap, Qt::MiterJoin);
  if (currentPen().style == PenStyle::Dot && currentPen().width <= 1) {
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
  if (selection_.font().escapement != 0) {
    // Escapement turns counter-clockwise; 2700 runs the text downwards.
    painter_->rotate(-selection_.font().escapement / 10.0);
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
