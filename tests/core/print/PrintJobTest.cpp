#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/LogBuilder.h"
#include "support/EventLogReader.h"
#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#include "core/store/LogRecord.h"
#include "support/FakePrinters.h"
#include "support/TestApp.h"

namespace {

using baromon::Event;
using baromon::fakes::FakePrinters;
using baromon::fakes::TestApp;
using Calls = std::vector<std::string>;

// A monitor with its port COM2 open and a print dialog.
struct PrintBench {
  TestApp t;
  FakePrinters printers{t.graphics};
  std::vector<bool> portOpenAt; // whether the port was held at each printer call

  PrintBench() {
    t.app.settings.language = baromon::English;
    t.ports.add("COM2");
    t.app.serial.device = t.ports.open("COM2");
    t.app.serial.open = true;
    t.app.printing.printers = &printers;
    baromon::createPrinterPens(t.app);
    printers.log->onCall = [this](const std::string&) {
      portOpenAt.push_back(t.app.serial.device != nullptr);
    };
  }
  void barogram() {
    baromon::choosePrinter(t.app);
    baromon::printBarogram(t.app);
  }
  void nmea() {
    baromon::choosePrinter(t.app);
    baromon::printNmeaTable(t.app);
  }
  bool portGivenBack() const { return t.app.serial.device != nullptr && t.app.serial.open; }
  int portOpens() { return t.ports.opens["COM2"]; }
};

// The spooler calls of both jobs, in order, on the way through and on each failure.
TEST(PrintJob, JobFramesFollowTheSpoolerResults) {
  struct Case {
    const char* legend;
    bool nmea;
    bool cancel;
    baromon::fakes::FakePrinterJob::Results results;
    Calls calls;
    int errorBoxes;
  } cases[] = {
      {"barogram printed",
       false,
       false,
       {},
       {"choose", "startDoc:printjob", "startPage", "endPage", "endDoc", "delete"},
       0},
      {"NMEA table printed",
       true,
       false,
       {},
       {"choose", "startDoc:monitor printjob", "startPage", "endPage", "endDoc", "delete"},
       0},
      {"barogram dialog cancelled", false, true, {}, {"choose"}, 1},
      {"NMEA dialog cancelled", true, true, {}, {"choose"}, 0},
      {"barogram document refused", false, false, {0, 1, 1, 1}, {"choose", "startDoc:printjob", "delete"}, 1},
      {"NMEA document refused",
       true,
       false,
       {-1, 1, 1, 1},
       {"choose", "startDoc:monitor printjob", "delete"},
       0},
      {"barogram page refused: still ended",
       false,
       false,
       {1, 0, 1, 1},
       {"choose", "startDoc:printjob", "startPage", "endPage", "endDoc", "delete"},
       0},
      {"NMEA page cannot be ended: document thrown away",
       true,
       false,
       {1, 1, 0, 1},
       {"choose", "startDoc:monitor printjob", "startPage", "endPage", "abortDoc", "delete"},
       0},
      {"barogram page cannot be ended: thrown away and told",
       false,
       false,
       {1, 1, 0, 1},
       {"choose", "startDoc:printjob", "startPage", "endPage", "abortDoc", "delete"},
       1},
      {"barogram document cannot be ended: told",
       false,
       false,
       {1, 1, 1, 0},
       {"choose", "startDoc:printjob", "startPage", "endPage", "endDoc", "delete"},
       1},
  };
  for (const auto& c : cases) {
    PrintBench b;
    b.printers.cancel = c.cancel;
    b.printers.results = c.results;
    c.nmea ? b.nmea() : b.barogram();
    EXPECT_EQ(b.printers.log->calls, c.calls) << c.legend;
    EXPECT_EQ(b.printers.log->liveJobs, 0) << c.legend << ": the printer context is deleted";
    EXPECT_EQ(b.t.windows.boxes.size(), static_cast<std::size_t>(c.errorBoxes)) << c.legend;
    if (c.errorBoxes) {
      EXPECT_EQ(b.t.windows.boxes[0].text, "Error printing") << c.legend;
      EXPECT_EQ(b.t.windows.boxes[0].caption, "Printer") << c.legend;
      EXPECT_EQ(b.t.windows.boxes[0].icon, baromon::platform::BoxIcon::Error) << c.legend;
    }
    // Only the cancelled barogram job writes event 8.
    bool event8 = baromon::fakes::hasEvent(b.t.dir.read("monitor.err"), Event::PrintingFailed);
    EXPECT_EQ(event8, !c.nmea && c.cancel) << c.legend;
    EXPECT_TRUE(b.portGivenBack()) << c.legend;
    EXPECT_EQ(b.portOpens(), 2) << c.legend << ": reopened once";
    // The dialog ran with the port still open; every call of the job without it.
    ASSERT_FALSE(b.portOpenAt.empty());
    EXPECT_TRUE(b.portOpenAt.front()) << c.legend;
    for (std::size_t i = 1; i < b.portOpenAt.size(); ++i) {
      EXPECT_FALSE(b.portOpenAt[i]) << c.legend << ", call " << b.printers.log->calls[i];
    }
    EXPECT_TRUE(b.t.windows.beeps.empty()) << c.legend;
  }
}

// Italian, dialog cancelled: the Italian box, and event 8 whatever the language.
TEST(PrintJob, ErrorBoxSpeaksTheCurrentLanguage) {
  PrintBench b;
  b.t.app.settings.language = baromon::Italian;
  b.printers.cancel = true;
  b.barogram();
  ASSERT_EQ(b.t.windows.boxes.size(), 1u);
  EXPECT_EQ(b.t.windows.boxes[0].text, "errore durante la stampa");
  EXPECT_EQ(b.t.windows.boxes[0].caption, "Stampante");
  EXPECT_TRUE(baromon::fakes::hasEvent(b.t.dir.read("monitor.err"), Event::PrintingFailed));
}

// The port that another program took meanwhile stays closed, without a word.
TEST(PrintJob, PortTakenDuringTheJobIsGivenUpQuietly) {
  PrintBench b;
  b.printers.log->onCall = [&b](const std::string& call) {
    if (call == "startPage") {
      b.t.ports.present.erase("COM2");
    }
  };
  b.barogram();
  EXPECT_EQ(b.t.app.serial.device, nullptr);
  EXPECT_FALSE(b.t.app.serial.open);
  EXPECT_TRUE(b.t.windows.boxes.empty());
  EXPECT_EQ(b.t.dir.read("monitor.err"), "");
}

// Without a print dialog (or before one is chosen) nothing is printed.
TEST(PrintJob, ChoosingTakesThePrintableHeight) {
  PrintBench b;
  b.printers.pageSize = {5100, 6600};
  EXPECT_EQ(baromon::choosePrinter(b.t.app), 1);
  EXPECT_EQ(b.t.app.printing.printableHeight, 6600);
  b.printers.cancel = true;
  EXPECT_EQ(baromon::choosePrinter(b.t.app), 0);
  EXPECT_EQ(b.t.app.printing.printer, nullptr);
  EXPECT_EQ(b.printers.log->liveJobs, 0) << "the earlier unused choice is released";
  b.t.app.printing.printers = nullptr;
  EXPECT_EQ(baromon::choosePrinter(b.t.app), 0);
}

// The barogram job draws the history loaded from the end of the log.
TEST(PrintJob, BarogramJobLoadsTheHistoryFirst) {
  PrintBench b;
  b.t.app.settings.displayStep = 300;
  baromon::testlog::LogBuilder log;
  for (unsigned i = 0; i < 3; ++i) {
    log.add(7, 10, i * 5, 101000 + static_cast<std::int32_t>(i), 0, 0, 0, 5);
  }
  log.writeTo(b.t.dir);
  b.barogram();
  EXPECT_EQ(b.t.app.history[0].pressure, 101002);
  ASSERT_NE(b.printers.page, nullptr);
  EXPECT_GT(b.printers.page->lines().size(), 100u);
}

// The page is drawn, and the job ended, with the log released: a printer that is
// slow to take the page must not cost the monitor a record.
TEST(PrintJob, BarogramPageIsDrawnWithTheLogReleased) {
  PrintBench b;
  baromon::testlog::LogBuilder log;
  for (unsigned i = 0; i < 3; ++i) {
    log.add(7, 10, i * 5, 101000 + static_cast<std::int32_t>(i), 0, 0, 0, 5);
  }
  log.writeTo(b.t.dir);
  int probes = 0;
  int held = 0;
  auto probe = [&] {
    ++probes;
    auto other = b.t.files.open("monitor.txt", baromon::platform::FileAccess::ReadWrite,
                                baromon::platform::OpenMode::OpenExisting);
    held += other == nullptr;
  };
  b.printers.preparePage = [&](baromon::fakes::RecordingCanvas& page) {
    page.onOp = [&](const baromon::fakes::RecordingCanvas::Op&) { probe(); };
  };
  b.printers.log->onCall = [&](const std::string&) { probe(); };
  b.barogram();
  EXPECT_EQ(b.t.app.history[0].pressure, 101002);
  EXPECT_GT(probes, 100);
  EXPECT_EQ(held, 0) << "monitor.txt was held while the page was drawn";
}

// --- the NMEA table page ---

struct NmeaPage {
  PrintBench b;
  std::vector<baromon::fakes::RecordingCanvas::Op> texts;

  void put(int row, const std::string& sentence) {
    auto& r = b.t.app.nmea[row];
    r.fill(0);
    std::memcpy(r.data(), sentence.data(), std::min<std::size_t>(sentence.size(), 127));
  }
  void fillAll() {
    for (int i = 0; i < baromon::kNmeaRows; ++i) {
      put(i, "$GPGGA,row" + std::to_string(i));
    }
  }
  void print(int height, int leading = 0, int vertres = 6600) {
    b.printers.pageSize = {4800, vertres};
    b.printers.metrics = {height, leading, 40, 40};
    b.nmea();
    texts = b.printers.page->texts();
  }
};

// How many lines fit: the line height, the five lines kept free, the table's end.
TEST(NmeaTablePage, LinesFitThePrintableHeight) {
  struct Case {
    const char* legend;
    int height, leading;
    std::size_t lines;
    int firstY;
  } cases[] = {
      {"lh 100 on 6600: 61 lines from y 300", 98, 0, 61, 300},
      {"external leading counts", 90, 8, 61, 300},
      {"lh 0: 10 lines", -2, 0, 10, 0},
      {"a tiny font still stops at the table's 82 lines", 1, 0, 82, 9},
  };
  for (const auto& c : cases) {
    NmeaPage p;
    p.fillAll();
    p.print(c.height, c.leading);
    ASSERT_EQ(p.texts.size(), c.lines + 1) << c.legend;
    EXPECT_EQ(p.texts[0].text, "NMEA data") << c.legend;
    EXPECT_EQ(p.texts[0].x, 20);
    EXPECT_EQ(p.texts[0].y, 0);
    EXPECT_EQ(p.texts[1].x, 20) << c.legend;
    EXPECT_EQ(p.texts[1].y, c.firstY) << c.legend;
    EXPECT_EQ(p.texts.back().text.rfind("$GPGGA,row" + std::to_string(c.lines - 1) + " ", 0), 0u) << c.legend;
  }
}

// Each printed line is the sentence and a blank, cut or filled to 91 characters;
// rows without a sentence leave their line empty.
TEST(NmeaTablePage, LinesAreNinetyOneCharactersAndGapsStay) {
  NmeaPage p;
  std::string forty = "$GPRMC,123519,A,4807.038,N,01131.000,E,0";
  ASSERT_EQ(forty.size(), 40u);
  p.put(0, forty);
  p.put(2, "$" + std::string(120, 'L'));
  p.put(3, "GPGGA without its dollar");
  p.print(98);
  ASSERT_EQ(p.texts.size(), 3u);
  EXPECT_EQ(p.texts[1].text, forty + " " + std::string(50, ' '));
  EXPECT_EQ(p.texts[2].text, "$" + std::string(90, 'L'));
  EXPECT_EQ(p.texts[2].y, 500) << "row 1 left a blank line";
}

// Outside NMEA mode the table is empty: only the heading is printed.
TEST(NmeaTablePage, EmptyTablePrintsTheHeadingOnly) {
  NmeaPage p;
  p.print(98);
  ASSERT_EQ(p.texts.size(), 1u);
  EXPECT_EQ(p.texts[0].text, "NMEA data");
}

} // namespace
