#include "adapters/qt/CanvasOutput.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <fontconfig/fontconfig.h>
#include <memory>

#include "adapters/raster/PictureFile.h"
#include "adapters/raster/PngEncoder.h"
#include "adapters/qt/QtCanvas.h"

namespace baromon::qt {

// Fontconfig starting on its own reads the machine's configuration (some eighty files, and
// every template in conf.avail for its description) and maps the cache of every font
// directory: some 10 ms, a ninth of the command's time. The pictures use DejaVu Sans and
// DejaVu Sans Mono alone, unsmoothed and fully hinted whatever a configuration says, so one
// that knows only their directory draws the same letters, and keeps a user's settings (the
// autohinter, emboldening) out of the picture. A configuration named in FONTCONFIG_FILE or
// FONTCONFIG_PATH is the user's choice and stays; so does the machine's without the DejaVu
// files.
void useOnlyTheDejaVuFonts() {
  if (!qEnvironmentVariableIsEmpty("FONTCONFIG_FILE") || !qEnvironmentVariableIsEmpty("FONTCONFIG_PATH")) {
    return;
  }
  const QString directory = QString::fromLatin1(raster::kDejaVuDirectory);
  for (const char* face : {"/DejaVuSans.ttf", "/DejaVuSansMono.ttf"}) {
    if (!QFile::exists(directory + QLatin1String(face))) {
      return;
    }
  }
  const std::string xml = std::string("<fontconfig><dir>") + raster::kDejaVuDirectory +
                          "</dir><cachedir>/var/cache/fontconfig</cachedir>"
                          "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) {
    return;
  }
  if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcFalse) != 0 &&
      FcConfigBuildFonts(config) != 0) {
    FcConfigSetCurrent(config); // takes a reference of its own
  }
  FcConfigDestroy(config);
}

namespace {

std::unique_ptr<QGuiApplication> guiIfNeeded() {
  if (QCoreApplication::instance() != nullptr) {
    return nullptr;
  }
  useOnlyTheDejaVuFonts();
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
  const std::string ext = raster::extensionOf(path);
  if (ext != "png" && ext != "svg" && ext != "pdf") {
    return "unknown picture type (use .png, .svg or .pdf): " + path;
  }
  if (width < 1 || height < 1) {
    return "picture size must be positive";
  }
  const auto gui = guiIfNeeded();
  const QSize size(width, height);
  // The picture is made in memory and written under the name as given.
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  const std::string cannotWrite = "cannot write " + path;

  if (ext == "png") {
    raster::PictureMemory memory(width, height);
    const raster::Pixels& pixels = memory.pixels();
    if (pixels.bits == nullptr) {
      return "no memory for a picture of " + std::to_string(width) + " x " + std::to_string(height);
    }
    {
      // Painted in place: the image must not outlive the memory.
      QImage image(reinterpret_cast<uchar*>(pixels.bits), width, height, pixels.stride * 4,
                   QImage::Format_RGB32);
      QtCanvas canvas(objects, image);
      paint(canvas);
    }
    const std::string png = raster::encodePng(pixels, raster::kDotsPerMetre);
    if (png.empty() || !raster::writeWholeFile(path, png.data(), png.size())) {
      return cannotWrite;
    }
    return "";
  } else if (ext == "svg") {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("barogram"));
    QPainter painter;
    if (!painter.begin(&svg)) {
      return cannotWrite;
    }
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    {
      QtCanvas canvas(objects, painter, size);
      paint(canvas);
    }
    painter.end();
  } else {
    // PDF: one page exactly the picture's size, one device pixel per picture pixel.
    QPdfWriter pdf(&out);
    pdf.setResolution(96);
    pdf.setPageSize(
        QPageSize(QSizeF(width * 0.75, height * 0.75), QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&pdf)) {
      return cannotWrite;
    }
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    {
      QtCanvas canvas(objects, painter, size);
      paint(canvas);
    }
    painter.end();
  }
  const QByteArray& bytes = out.data();
  return raster::writeWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()))
             ? ""
             : cannotWrite;
}

} // namespace baromon::qt
