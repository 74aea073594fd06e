#pragma once

#include <memory>
#include <string>

#include "adapters/win32/GdiCanvas.h"
#include "platform/Printer.h"

namespace baromon::platform {

// One job on a printer device context: the spooler's StartDocA, StartPage, EndPage
// and EndDoc, the page drawn through a GdiCanvas of the printable area (HORZRES x
// VERTRES), its fonts scaled by the resolution as the Qt printer's are. Owns the
// context and the dialog's device memory: destroying the job aborts a document
// still open, then deletes and frees them.
class Win32PrinterJob final : public PrinterJob {
public:
  // `dc` an HDC (deleted with the job); `devMode`, `devNames` HGLOBALs or null.
  Win32PrinterJob(GraphicsObjects& objects, void* dc, void* devMode = nullptr, void* devNames = nullptr);
  ~Win32PrinterJob() override;
  Win32PrinterJob(const Win32PrinterJob&) = delete;
  Win32PrinterJob& operator=(const Win32PrinterJob&) = delete;

  Canvas& canvas() override { return *canvas_; }
  int startDoc(const std::string& documentName) override;
  int startPage() override;
  int endPage() override;
  int endDoc() override;
  void abortDoc() override;

  // The printer's name as the dialog gave it; empty when unknown.
  const std::string& deviceName() const { return deviceName_; }

private:
  void* dc_;
  void* devMode_;
  void* devNames_;
  std::string deviceName_;
  std::unique_ptr<GdiCanvas> canvas_;
  bool documentOpen_ = false;
};

// Where a job's printer comes from: the print dialog, or the default printer
// without asking (for the command line).
enum class PrinterChoice { Dialog, DefaultPrinter };

// The system's printer choice through PrintDlgA.
class Win32Printers final : public Printers {
public:
  explicit Win32Printers(GraphicsObjects& objects, PrinterChoice choice = PrinterChoice::Dialog,
                         void* ownerWindow = nullptr)
      : objects_(objects), choice_(choice), owner_(ownerWindow) {}
  std::unique_ptr<PrinterJob> choose() override;

  // Why the last choice gave no printer: the dialog's extended error (0 when the
  // user cancelled; PDERR_NODEFAULTPRN, 0x1008, when no printer is installed).
  unsigned long lastError() const { return lastError_; }
  // The printer of the last job chosen.
  const std::string& lastDevice() const { return lastDevice_; }

private:
  GraphicsObjects& objects_;
  PrinterChoice choice_;
  void* owner_;
  unsigned long lastError_ = 0;
  std::string lastDevice_;
};

} // namespace baromon::platform
