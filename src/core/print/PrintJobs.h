#pragma once

#include <memory>

#include "platform/Printer.h"

namespace baromon {

struct AppContext;

// The printer chosen for the job that follows, and where the choice comes from.
struct PrintState {
  // The system's print dialog; the front end sets it. Without one no printer can be chosen.
  platform::Printers* printers = nullptr;
  // The printer context: set by choosePrinter, deleted by the job that uses it.
  std::unique_ptr<platform::PrinterJob> printer;
  int printableHeight = 0; // VERTRES of the chosen printer, device pixels
};

// Runs the print dialog. 1 when a printer was chosen, else 0.
int choosePrinter(AppContext& app);
// Prints the NMEA sentence table on one page; silent on every failure.
void printNmeaTable(AppContext& app);
// Draws the NMEA table onto the started page of the chosen printer.
void drawNmeaTablePage(AppContext& app);
// Prints the barogram of the freshly loaded history on one page.
void printBarogram(AppContext& app);

// The printing error box of the current language.
const char* printErrorText(int language);
const char* printErrorCaption(int language);

} // namespace baromon
