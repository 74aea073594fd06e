#include "platform/qt/CanvasOutput.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/qt/QtCanvas.h"

namespace baromon::qt {

namespace {

std::string extensionOf(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return "";
  }
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::unique_ptr<QGuiApplication> guiIfNeeded() {
  if (QCoreApplication::instance() != nullptr) {
    return nullptr;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static int argc = 1;
  static char name[] = "baromon";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

std::string renderToFile(platform::GraphicsObjects& objects, const std::string& path, int width, int height,
                         const PaintFunction& paint) {
  const std::string ext = extensionOf(path);
  if (ext != "png" && ext != "svg" && ext != "pdf") {
    return "unknown picture type (use .png, .svg or .pdf): " + path;
  }
  if (width < 1 || height < 1) {
    return "picture size must be positive";
  }
  const auto gui = guiIfNeeded();
  const QString file = QString::fromLocal8Bit(path.c_str());
  const QSize size(width, height);

  if (ext == "png") {
    QImage image = makeBackBuffer(width, height);
    {
      QtCanvas canvas(objects, image);
      paint(canvas);
    }
    return image.save(file, "PNG") ? "" : "cannot write " + path;
  }

  if (ext == "svg") {
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("barogram"));
    QPainter painter;
    if (!painter.begin(&svg)) {
      return "cannot write " + path;
    }
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    {
      QtCanvas canvas(objects, painter, size);
      paint(canvas);
    }
    painter.end();
    return "";
  }

  // PDF: one page exactly the picture's size, one device pixel per picture pixel.
  QPdfWriter pdf(file);
  pdf.setResolution(96);
  pdf.setPageSize(QPageSize(QSizeF(width * 0.75, height * 0.75), QPageSize::Point, QString(), QPageSize::ExactMatch));
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&pdf)) {
    return "cannot write " + path;
  }
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  {
    QtCanvas canvas(objects, painter, size);
    paint(canvas);
  }
  painter.end();
  return "";
}

} // namespace baromon::qt
