#include "adapters/qt/CanvasOutput.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <sys/mman.h>

#include "adapters/qt/PngEncoder.h"
#include "adapters/qt/QtCanvas.h"

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

// Where Debian's fonts-dejavu-core puts the faces every picture is drawn in.
const char* const kDejaVuDirectory = "/usr/share/fonts/truetype/dejavu";

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
  const QString directory = QString::fromLatin1(kDejaVuDirectory);
  for (const char* face : {"/DejaVuSans.ttf", "/DejaVuSansMono.ttf"}) {
    if (!QFile::exists(directory + QLatin1String(face))) {
      return;
    }
  }
  const std::string xml = std::string("<fontconfig><dir>") + kDejaVuDirectory +
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

// The pixels of a picture made for a file. In pages of 4 kB an 1100 x 600 picture is 645
// page faults, 7 ms on the virtual machine it was measured on; in the kernel's huge pages
// of 2 MB it is two. Where there are none it is an ordinary white image.
class PictureMemory {
public:
  PictureMemory(int width, int height) {
#ifdef MADV_HUGEPAGE
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const std::size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    length_ = whole + kHugePage; // room to start on a huge page's boundary
    void* mapped = ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
      image_ = makeBackBuffer(width, height);
      return;
    }
    mapped_ = mapped;
    const auto start = (reinterpret_cast<std::uintptr_t>(mapped) + kHugePage - 1) & ~(kHugePage - 1);
    auto* pixels = reinterpret_cast<uchar*>(start);
    ::madvise(pixels, whole, MADV_HUGEPAGE); // only a hint: without huge pages nothing changes
    image_ = QImage(pixels, width, height, static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    image_.fill(Qt::white);
#else
    image_ = makeBackBuffer(width, height);
#endif
  }
  ~PictureMemory() {
    image_ = QImage();
    if (mapped_ != nullptr) {
      ::munmap(mapped_, length_);
    }
  }
  PictureMemory(const PictureMemory&) = delete;
  PictureMemory& operator=(const PictureMemory&) = delete;

  // Painted in place; it must not outlive this object.
  QImage& image() { return image_; }

private:
  void* mapped_ = nullptr;
  std::size_t length_ = 0;
  QImage image_;
};

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

bool writeWholeFile(const std::string& path, const char* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return false;
  }
  return true;
}

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
  const QSize size(width, height);
  // The picture is made in memory and written under the name as given.
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  const std::string cannotWrite = "cannot write " + path;

  if (ext == "png") {
    PictureMemory memory(width, height);
    {
      QtCanvas canvas(objects, memory.image());
      paint(canvas);
    }
    const QByteArray png = encodePng(memory.image());
    if (png.isEmpty() || out.write(png) != png.size()) {
      return cannotWrite;
    }
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
  return writeWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size())) ? "" : cannotWrite;
}

} // namespace baromon::qt
