#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "assembly/CommandPlatform.h"
#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#ifdef _WIN32
#include <memory>

#include "adapters/win32/Win32Printers.h"
#endif
#ifdef BAROMON_HAVE_QT
#include <QGuiApplication>
#include <memory>

#include "adapters/qt/QtPrinters.h"
#endif

namespace baromon::cli {

namespace {

bool namesPdf(const std::string& path) {
  if (path.size() < 5) {
    return false;
  }
  std::string ext = path.substr(path.size() - 4);
  for (auto& c : ext) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return ext == ".pdf";
}

#ifdef _WIN32

// Passes every call on and remembers whether the document reached its end, which
// the NMEA table job does not tell.
class WatchedJob final : public platform::PrinterJob {
public:
  WatchedJob(std::unique_ptr<platform::PrinterJob> inner, bool& ended)
      : inner_(std::move(inner)), ended_(ended) {}
  platform::Canvas& canvas() override { return inner_->canvas(); }
  int startDoc(const std::string& name) override { return inner_->startDoc(name); }
  int startPage() override { return inner_->startPage(); }
  int endPage() override { return inner_->endPage(); }
  int endDoc() override {
    const int result = inner_->endDoc();
    ended_ = result > 0;
    return result;
  }
  void abortDoc() override { inner_->abortDoc(); }

private:
  std::unique_ptr<platform::PrinterJob> inner_;
  bool& ended_;
};

class WatchedPrinters final : public platform::Printers {
public:
  explicit WatchedPrinters(platform::Win32Printers& inner) : inner_(inner) {}
  std::unique_ptr<platform::PrinterJob> choose() override {
    auto job = inner_.choose();
    return job ? std::make_unique<WatchedJob>(std::move(job), ended) : nullptr;
  }
  bool ended = false;

private:
  platform::Win32Printers& inner_;
};

// Windows prints on a printer: the default one, or the one chosen in the print
// dialog with --dialog. A PDF comes from a PDF printer ("Microsoft Print to PDF").
int printOnPrinter(int argc, char** argv, std::FILE* out, std::FILE* err) {
  bool nmea = false;
  bool dialog = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--nmea") {
      nmea = true;
    } else if (arg == "--dialog") {
      dialog = true;
    } else {
      std::fprintf(err, "baromon: print takes [--nmea] [--dialog] on Windows, not '%s'\n", arg.c_str());
      return 2;
    }
  }
  assembly::CommandPlatform command(err);
  AppContext app{command.services()};
  loadSettingsOrDefaults(app);
  createPrinterPens(app);
  platform::Win32Printers system(command.graphics, dialog ? platform::PrinterChoice::Dialog
                                                          : platform::PrinterChoice::DefaultPrinter);
  WatchedPrinters printers(system);
  app.printing.printers = &printers;
  if (choosePrinter(app) == 0) {
    if (system.lastError() == 0) {
      std::fputs("baromon: print: no printer chosen\n", err);
    } else {
      std::fprintf(err, "baromon: print: no printer (print dialog error 0x%lx%s)\n", system.lastError(),
                   system.lastError() == 0x1008 ? ": no default printer is installed" : "");
    }
    return 1;
  }
  const std::string device = system.lastDevice();
  if (nmea) {
    printNmeaTable(app); // the table belongs to a running monitor: here it is empty
  } else {
    printBarogram(app);
  }
  if (!printers.ended) {
    std::fprintf(err, "baromon: print: the printer %s did not take the job\n", device.c_str());
    return 1;
  }
  std::fprintf(out, "%s printed on %s\n", nmea ? "NMEA table" : "barogram", device.c_str());
  return 0;
}

#endif

} // namespace

int runPrint(int argc, char** argv, std::FILE* out, std::FILE* err) {
#ifdef _WIN32
  return printOnPrinter(argc, argv, out, err);
#endif
  std::string pdf;
  bool nmea = false;
  int width = 4800, height = 6600; // a portrait page at 600 dpi
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--nmea") {
      nmea = true;
    } else if (arg == "--page") {
      if (i + 1 >= argc || !parseSize(argv[i + 1], kPageSizes, width, height)) {
        std::fputs("baromon: print --page takes WxH in device pixels, e.g. 4800x6600\n", err);
        return 2;
      }
      ++i;
    } else if (arg.rfind("--", 0) == 0 || !pdf.empty()) {
      std::fprintf(err, "baromon: print takes OUT.pdf [--nmea] [--page WxH], not '%s'\n", arg.c_str());
      return 2;
    } else {
      pdf = arg;
    }
  }
  if (!namesPdf(pdf)) {
    std::fputs("baromon: print needs the PDF file to write (OUT.pdf)\n", err);
    return 2;
  }

#ifdef BAROMON_HAVE_QT
  std::unique_ptr<QGuiApplication> gui;
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int qtArgc = 1;
    static char name[] = "baromon";
    static char* qtArgv[] = {name, nullptr};
    gui = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
  }

  assembly::CommandPlatform command(err);
  AppContext app{command.services()};
  loadSettingsOrDefaults(app);
  createPrinterPens(app);
  qt::PdfFilePrinters printers(command.graphics, pdf, width, height);
  app.printing.printers = &printers;

  std::error_code ignored;
  std::filesystem::remove(pdf, ignored); // so that a failed job leaves no old page behind
  choosePrinter(app);
  if (nmea) {
    printNmeaTable(app); // the table belongs to a running monitor: here it is empty
  } else {
    printBarogram(app);
  }
  std::error_code error;
  if (std::filesystem::file_size(pdf, error) == 0 || error) {
    std::fprintf(err, "baromon: print: no page was written to %s\n", pdf.c_str());
    return 1;
  }
  std::fprintf(out, "%s: %s, %d x %d device pixels at 600 dpi, %s\n", pdf.c_str(),
               nmea ? "NMEA table" : "barogram", width, height, width >= height ? "landscape" : "portrait");
  return 0;
#else
  (void)out;
  (void)nmea;
  std::fputs("baromon: print: this build cannot write PDF files (built without Qt)\n", err);
  return 1;
#endif
}

} // namespace baromon::cli
