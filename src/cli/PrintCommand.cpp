#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "app/CommandPlatform.h"
#include "core/app/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
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

} // namespace

int runPrint(int argc, char** argv, std::FILE* out, std::FILE* err) {
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

  app::CommandPlatform command(err);
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
