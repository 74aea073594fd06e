#include "adapters/qt/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>
#include <variant>

#include "adapters/qt/QtCanvas.h"
#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

using platform::BackgroundMode;
using platform::ObjectHandle;
using platform::Rgb;

namespace {

// The program's fonts are made in screen pixels. On paper they are scaled as if
// the screen had this resolution: at 600 dpi a line is then about 100 device
// pixels high (61 NMEA lines on a letter page) and the 91-character NMEA line
// still fits the width of the page.
constexpr double kScreenDpi = 100.0;

// The resolution of a PDF file chosen as the printer (and of `baromon print`).
constexpr int kFilePrinterDpi = 600;

platform::CanvasSize printableArea(QPrinter& printer) {
  QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  return {area.width(), area.height()};
}

// The named PDF file of a PdfFilePrinters job: opened (and so made) when the
// document starts, as the printer would open it, and given the bytes of the
// printer's temporary file when the document has ended.
class PdfFileOutput final : public JobOutput {
public:
  PdfFileOutput(std::string path, std::unique_ptr<QTemporaryFile> pending)
      : path_(std::move(path)), pending_(std::move(pending)) {}
  ~PdfFileOutput() override { discard(); }
  PdfFileOutput(const PdfFileOutput&) = delete;
  PdfFileOutput& operator=(const PdfFileOutput&) = delete;

  bool begin() override {
    discard();
    file_ = std::fopen(path_.c_str(), "wb"); // the name byte for byte
    return file_ != nullptr;
  }
  bool finish() override {
    if (file_ == nullptr) {
      return false;
    }
    QFile written(pending_->fileName());
    const QByteArray bytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    const auto size = static_cast<std::size_t>(bytes.size());
    bool ok = size > 0 && std::fwrite(bytes.constData(), 1, size, file_) == size;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) {
      std::remove(path_.c_str());
    }
    return ok;
  }
  void discard() override {
    if (file_ != nullptr) {
      std::fclose(file_);
      file_ = nullptr;
      std::remove(path_.c_str());
    }
  }

private:
  std::string path_;
  std::unique_ptr<QTemporaryFile> pending_;
  std::FILE* file_ = nullptr;
};

} // namespace

PrinterPageCanvas::PrinterPageCanvas(platform::GraphicsObjects& objects, QPrinter& printer)
    : objects_(objects), printer_(printer), size_(printableArea(printer)) {
  fontScale_ = printer.resolution() / kScreenDpi;
  fontHandle_ = objects_.stockFixedFont();
}

PrinterPageCanvas::~PrinterPageCanvas() { end(); }

bool PrinterPageCanvas::begin() {
  if (inner_) {
    return true;
  }
  if (!painter_.begin(&printer_)) {
    return false;
  }
  inner_ = std::make_unique<QtCanvas>(objects_, painter_, QSize(size_.width, size_.height));
  return true;
}

bool PrinterPageCanvas::end() {
  if (!inner_) {
    return false;
  }
  inner_.reset();
  return painter_.end();
}

ObjectHandle PrinterPageCanvas::select(ObjectHandle handle) {
  const platform::GraphicsObject* object = objects_.find(handle);
  if (object == nullptr) {
    return 0;
  }
  if (const auto* font = std::get_if<platform::FontSpec>(object)) {
    ObjectHandle previous = fontHandle_;
    fontHandle_ = handle;
    font_ = *font;
    return previous;
  }
  return inner_ ? inner_->select(handle) : 0;
}

void PrinterPageCanvas::moveTo(int x, int y) {
  if (inner_) {
    inner_->moveTo(x, y);
  }
}

void PrinterPageCanvas::lineTo(int x, int y) {
  if (inner_) {
    inner_->lineTo(x, y);
  }
}

void PrinterPageCanvas::setPixel(int x, int y, Rgb colour) {
  if (inner_) {
    inner_->setPixel(x, y, colour);
  }
}

void PrinterPageCanvas::rectangle(int left, int top, int right, int bottom) {
  if (inner_) {
    inner_->rectangle(left, top, right, bottom);
  }
}

QFont PrinterPageCanvas::scaledFont() const {
  // The page's default font is a fixed-pitch one, as a printer's own font: the
  // printed barogram sets its pressure labels six widest characters left of the
  // frame, and the NMEA table's lines are meant as columns.
  QFont font =
      font_.kind == platform::FontKind::StockFixed ? QtCanvas::fixedPitchFont() : QtCanvas::fontFor(font_);
  if (font.pixelSize() > 0) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * fontScale_))));
  }
  return font;
}

void PrinterPageCanvas::textOut(int x, int y, const char* text, int count) {
  if (!inner_ || count <= 0) {
    return;
  }
  const QString shown = fromWindows1252(text, count);
  const QFont font = scaledFont();
  painter_.save();
  painter_.setFont(font);
  const QFontMetrics metrics(font, &printer_);
  painter_.translate(x, y);
  if (font_.escapement != 0) {
    // Escapement turns counter-clockwise; 2700 runs the text downwards.
    painter_.rotate(-font_.escapement / 10.0);
  }
  if (background_ == BackgroundMode::Opaque) {
    painter_.fillRect(QRect(0, 0, metrics.horizontalAdvance(shown), metrics.height()), QColor(Qt::white));
  }
  painter_.setPen(QColor(textColour_.r, textColour_.g, textColour_.b));
  painter_.drawText(QPoint(0, metrics.ascent()), shown);
  painter_.restore();
}

Rgb PrinterPageCanvas::setTextColour(Rgb colour) {
  Rgb previous = textColour_;
  textColour_ = colour;
  return previous;
}

BackgroundMode PrinterPageCanvas::setBackgroundMode(BackgroundMode mode) {
  BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

platform::TextMetrics PrinterPageCanvas::textMetrics() {
  const QFontMetrics metrics(scaledFont(), &printer_);
  platform::TextMetrics result;
  result.height = metrics.height();
  result.externalLeading = metrics.leading() > 0 ? metrics.leading() : 0;
  result.maxCharWidth = metrics.maxWidth();
  result.aveCharWidth = metrics.averageCharWidth();
  return result;
}

QtPrinterJob::QtPrinterJob(platform::GraphicsObjects& objects, std::unique_ptr<QPrinter> printer,
                           std::unique_ptr<JobOutput> output)
    : printer_(std::move(printer)), canvas_(std::make_unique<PrinterPageCanvas>(objects, *printer_)),
      output_(std::move(output)) {}

QtPrinterJob::~QtPrinterJob() {
  canvas_.reset(); // ends a document still open before the printer goes
  if (output_) {
    output_->finish(); // nothing when there is no document in progress
  }
}

int QtPrinterJob::startDoc(const std::string& documentName) {
  printer_->setDocName(QString::fromLatin1(documentName.c_str()));
  if (output_ && !output_->begin()) {
    return 0;
  }
  if (!canvas_->begin()) {
    if (output_) {
      output_->discard();
    }
    return 0;
  }
  return 1;
}

int QtPrinterJob::startPage() {
  // The painter's first page starts with the document; the jobs print one page.
  if (!canvas_->active() || pageStarted_) {
    return 0;
  }
  pageStarted_ = true;
  return 1;
}

int QtPrinterJob::endPage() {
  if (!pageStarted_) {
    return canvas_->active() ? 1 : 0;
  }
  pageStarted_ = false;
  return 1;
}

int QtPrinterJob::endDoc() {
  if (!canvas_->end()) {
    if (output_) {
      output_->discard();
    }
    return 0;
  }
  return !output_ || output_->finish() ? 1 : 0;
}

void QtPrinterJob::abortDoc() {
  printer_->abort();
  canvas_->end();
  if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty()) {
    QFile::remove(printer_->outputFileName());
  }
  if (output_) {
    output_->discard();
  }
}

std::unique_ptr<platform::PrinterJob> QtPrinters::choose() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(printer.get(), parent_);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (dialog.exec() != QDialog::Accepted) {
    return nullptr;
  }
  return jobFor(objects_, std::move(printer));
}

std::unique_ptr<platform::PrinterJob> QtPrinters::jobFor(platform::GraphicsObjects& objects,
                                                         std::unique_ptr<QPrinter> printer) {
  if (printer->outputFormat() == QPrinter::PdfFormat) {
    printer->setResolution(kFilePrinterDpi);
  }
  return std::make_unique<QtPrinterJob>(objects, std::move(printer));
}

std::unique_ptr<platform::PrinterJob> PdfFilePrinters::choose() {
  if (width_ < 1 || height_ < 1 || dpi_ < 1) {
    return nullptr;
  }
  // The printer only writes to a file it can name in Unicode, which not every
  // file name is: it writes a temporary file, whose bytes then go to `path_`.
  auto pending =
      std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/baromon-print-XXXXXX.pdf"));
  if (!pending->open()) {
    return nullptr;
  }
  pending->close();
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(pending->fileName());
  printer->setResolution(dpi_);
  printer->setFullPage(true);
  // Page sizes are portrait; a wide area is the portrait size turned.
  bool landscape = width_ > height_;
  QSizeF inches(landscape ? height_ : width_, landscape ? width_ : height_);
  inches /= dpi_;
  QPageSize pageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch);
  QPageLayout layout(pageSize, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
  layout.setMode(QPageLayout::FullPageMode);
  if (!printer->setPageLayout(layout)) {
    return nullptr;
  }
  return std::make_unique<QtPrinterJob>(objects_, std::move(printer),
                                        std::make_unique<PdfFileOutput>(path_, std::move(pending)));
}

} // namespace baromon::qt
