#pragma once

#include <QPainter>
#include <QPrinter>
#include <memory>
#include <string>

#include "platform/Printer.h"

class QWidget;

namespace baromon::qt {

class QtCanvas;

// The page of a QPrinter as a Canvas. Lines, rectangles and pixels are drawn by a
// vector QtCanvas; texts here, because the fonts are made in screen pixels and a
// printer's default font must be about as large on paper as on the screen: every
// font is scaled by the printer's resolution / 100 (a 600 dpi page gets lines
// about 100 device pixels high). Until the document starts there is no painter:
// only the size and the text metrics answer then.
class PrinterPageCanvas final : public platform::Canvas {
public:
  PrinterPageCanvas(platform::GraphicsObjects& objects, QPrinter& printer);
  ~PrinterPageCanvas() override;

  // Starts and ends the painting of the page (the document on the printer).
  bool begin();
  bool end();
  bool active() const { return inner_ != nullptr; }

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
  platform::CanvasSize size() const override { return size_; }

  double fontScale() const { return fontScale_; }
  // The font the next text is written in: the selected one, scaled for the page.
  QFont scaledFont() const;

private:
  platform::GraphicsObjects& objects_;
  QPrinter& printer_;
  platform::CanvasSize size_;
  double fontScale_ = 1.0;
  QPainter painter_;
  std::unique_ptr<QtCanvas> inner_;
  platform::FontSpec font_{};
  platform::ObjectHandle fontHandle_ = 0;
  platform::Rgb textColour_{0, 0, 0};
  platform::BackgroundMode background_ = platform::BackgroundMode::Opaque;
};

// A file that receives a job's output, for a printer that cannot name the file
// itself: made when the document starts, filled when it has ended.
class JobOutput {
public:
  virtual ~JobOutput() = default;
  virtual bool begin() = 0;   // the document starts: false refuses it
  virtual bool finish() = 0;  // the document has ended: false fails it
  virtual void discard() = 0; // the document was thrown away: no file is left
};

// One job on a QPrinter: the printer context of the core. Destroying it ends an
// unfinished document and releases the printer and everything the dialog made.
class QtPrinterJob final : public platform::PrinterJob {
public:
  QtPrinterJob(platform::GraphicsObjects& objects, std::unique_ptr<QPrinter> printer,
               std::unique_ptr<JobOutput> output = nullptr);
  ~QtPrinterJob() override;

  platform::Canvas& canvas() override { return *canvas_; }
  int startDoc(const std::string& documentName) override;
  int startPage() override;
  int endPage() override;
  int endDoc() override;
  void abortDoc() override;

private:
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<PrinterPageCanvas> canvas_;
  std::unique_ptr<JobOutput> output_;
  bool pageStarted_ = false;
};

// The system's print dialog: real printers through the print service, or a PDF file.
class QtPrinters final : public platform::Printers {
public:
  QtPrinters(platform::GraphicsObjects& objects, QWidget* parent = nullptr)
      : objects_(objects), parent_(parent) {}
  std::unique_ptr<platform::PrinterJob> choose() override;
  // The job on a printer the dialog gave. A PDF file is printed at 600 dpi, the
  // resolution the program's pen widths in device pixels are meant for; the
  // file's own 1200 dpi would make them half as wide on paper.
  static std::unique_ptr<platform::PrinterJob> jobFor(platform::GraphicsObjects& objects,
                                                      std::unique_ptr<QPrinter> printer);

private:
  platform::GraphicsObjects& objects_;
  QWidget* parent_;
};

// A "printer" that writes one PDF file whose printable area is width x height
// device pixels at `dpi` (the whole page, no margins): for people without a printer.
// `path` is taken byte for byte; the file appears when the document has ended.
class PdfFilePrinters final : public platform::Printers {
public:
  PdfFilePrinters(platform::GraphicsObjects& objects, std::string path, int width, int height, int dpi = 600)
      : objects_(objects), path_(std::move(path)), width_(width), height_(height), dpi_(dpi) {}
  std::unique_ptr<platform::PrinterJob> choose() override;

private:
  platform::GraphicsObjects& objects_;
  std::string path_;
  int width_, height_, dpi_;
};

} // namespace baromon::qt
