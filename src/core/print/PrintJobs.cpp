#include "core/print/PrintJobs.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/print/PrintedBarogram.h"
#include "core/serial/SerialPort.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

constexpr int kPrintedLineLength = 91;

// The print job cannot read the port, and the spooler may take long enough for
// the driver's buffer to overflow; the open flag stays set so that the port is
// given back afterwards.
void releasePort(AppContext& app) { app.serial.device.reset(); }

void showPrintError(AppContext& app) {
  app.platform.boxes.ownerlessMessageBox(printErrorText(app.settings.language),
                                         printErrorCaption(app.settings.language), platform::BoxIcon::Error);
}

// Ends the one page and the document. A page that cannot be ended leaves a
// document the spooler would otherwise keep waiting for; it is thrown away.
// True when the document was ended.
bool finishDocument(platform::PrinterJob& job) {
  if (job.endPage() > 0) {
    return job.endDoc() > 0;
  }
  job.abortDoc();
  return false;
}

} // namespace

const char* printErrorText(int language) {
  static const char* const texts[] = {"Fehler beim Drucken",      "Error printing",
                                      "Erreur durant imprimer",   "Error printing",
                                      "errore durante la stampa", "Error printing"};
  return inLanguage(texts, language);
}

const char* printErrorCaption(int language) {
  static const char* const captions[] = {"Drucker", "Printer",   "Imprimante",
                                         "Printer", "Stampante", "Imprimador"};
  return inLanguage(captions, language);
}

int choosePrinter(AppContext& app) {
  app.printing.printer = app.printing.printers ? app.printing.printers->choose() : nullptr;
  if (!app.printing.printer) {
    return 0;
  }
  app.printing.printableHeight = app.printing.printer->canvas().size().height;
  return 1;
}

void printNmeaTable(AppContext& app) {
  releasePort(app);
  if (auto& job = app.printing.printer) {
    if (job->startDoc("monitor printjob") > 0) {
      if (job->startPage() > 0) {
        drawNmeaTablePage(app);
      }
      finishDocument(*job);
    }
    job.reset();
  }
  openSerialPort(app, PortErrors::Quiet);
}

void drawNmeaTablePage(AppContext& app) {
  platform::Canvas& canvas = app.printing.printer->canvas();
  platform::TextMetrics metrics = canvas.textMetrics();
  int lh = metrics.height + metrics.externalLeading + 2;
  int lines = lh == 0 ? 10 : app.printing.printableHeight / lh - 5;
  lines = std::min(lines, kNmeaRows);

  canvas.textOut(20, 0, "NMEA data", 9);
  int y = 3 * lh;
  for (int i = 0; i < lines; ++i) {
    const auto& row = app.nmea[i];
    if (row[0] == '$') {
      std::string line(row.data(), strnlen(row.data(), row.size()));
      line += ' ';
      line.resize(kPrintedLineLength, ' ');
      canvas.textOut(20, y, line);
    }
    y += lh;
  }
}

void printBarogram(AppContext& app) {
  releasePort(app);
  auto& job = app.printing.printer;
  if (!job) {
    reportEvent(app, Event::PrintingFailed);
    showPrintError(app);
  } else if (job->startDoc("printjob") <= 0) {
    showPrintError(app);
    job.reset();
  } else {
    if (job->startPage() > 0) {
      loadHistory(app);
      drawPrintedBarogram(app);
    }
    // A page that never reached the spooler is a failed print like a refused
    // document, and the user is told so the same way.
    if (!finishDocument(*job)) {
      showPrintError(app);
    }
    job.reset();
  }
  openSerialPort(app, PortErrors::Quiet);
}

} // namespace baromon
