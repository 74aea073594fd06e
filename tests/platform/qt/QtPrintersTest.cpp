#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#include "adapters/qt/QtPrinters.h"
#include "support/TestApp.h"

// The Qt application object comes from the canvas tests' environment in this program.

namespace {

using baromon::fakes::TestApp;
using baromon::qt::PdfFilePrinters;

// The PDF "printer" gives the page its printable area in device pixels, and the
// default font is about a sixth of an inch high, as a printer's is.
TEST(QtPrinters, PdfPageHasTheAskedAreaAndAPrinterSizedFont) {
  struct Case {
    const char* legend;
    int width, height;
  } cases[] = {{"portrait", 4800, 6600}, {"landscape", 6600, 4800}, {"small", 600, 800}};
  for (const auto& c : cases) {
    TestApp t;
    PdfFilePrinters printers(t.graphics, t.dir.file("page.pdf"), c.width, c.height);
    auto job = printers.choose();
    ASSERT_NE(job, nullptr) << c.legend;
    EXPECT_EQ(job->canvas().size().width, c.width) << c.legend;
    EXPECT_EQ(job->canvas().size().height, c.height) << c.legend;
    auto metrics = job->canvas().textMetrics();
    EXPECT_GT(metrics.height, 80) << c.legend;
    EXPECT_LT(metrics.height, 130) << c.legend;
    EXPECT_GT(metrics.maxCharWidth, 20) << c.legend;
  }
}

// The document calls: one page into the file; refusals where the file cannot be written.
TEST(QtPrinters, DocumentCallsWriteOrRefuse) {
  TestApp t;
  {
    PdfFilePrinters printers(t.graphics, t.dir.file("page.pdf"), 4800, 6600);
    auto job = printers.choose();
    ASSERT_EQ(job->startDoc("printjob"), 1);
    ASSERT_EQ(job->startPage(), 1);
    job->canvas().moveTo(100, 100);
    job->canvas().lineTo(4000, 6000);
    job->canvas().textOut(200, 200, std::string("Luftdruck Messdaten"));
    EXPECT_EQ(job->endPage(), 1);
    EXPECT_EQ(job->endDoc(), 1);
  }
  std::string pdf = t.dir.read("page.pdf");
  ASSERT_GT(pdf.size(), 100u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos) << "one page";

  {
    PdfFilePrinters printers(t.graphics, t.dir.file("gone/page.pdf"), 4800, 6600);
    auto job = printers.choose();
    EXPECT_LE(job->startDoc("printjob"), 0);
    EXPECT_LE(job->startPage(), 0);
  }
  {
    PdfFilePrinters printers(t.graphics, t.dir.file("aborted.pdf"), 4800, 6600);
    auto job = printers.choose();
    ASSERT_EQ(job->startDoc("printjob"), 1);
    job->abortDoc();
  }
  EXPECT_FALSE(t.dir.exists("aborted.pdf")) << "a thrown-away document leaves no file";
  PdfFilePrinters nothing(t.graphics, t.dir.file("x.pdf"), 0, 6600);
  EXPECT_EQ(nothing.choose(), nullptr);
}

// The whole NMEA job through the core onto a PDF page.
TEST(QtPrinters, NmeaJobFillsThePage) {
  TestApp t;
  PdfFilePrinters printers(t.graphics, t.dir.file("nmea.pdf"), 4800, 6600);
  t.app.printing.printers = &printers;
  for (int i = 0; i < baromon::kNmeaRows; ++i) {
    std::string line =
        "$GPGGA,1235" + std::to_string(i % 10) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    std::memcpy(t.app.nmea[i].data(), line.data(), line.size());
  }
  ASSERT_EQ(baromon::choosePrinter(t.app), 1);
  baromon::printNmeaTable(t.app);
  EXPECT_EQ(t.app.printing.printer, nullptr);
  EXPECT_GT(t.dir.read("nmea.pdf").size(), 1000u);
}

} // namespace

namespace {

using baromon::platform::FontKind;
using baromon::platform::FontSpec;
using baromon::qt::PrinterPageCanvas;

} // namespace

// Texts on paper are written unsmoothed too, in every font the program selects.
TEST(QtPrinters, PageFontsAreUnsmoothed) {
  TestApp t;
  PdfFilePrinters printers(t.graphics, t.dir.file("page.pdf"), 4800, 6600);
  auto job = printers.choose();
  auto& page = dynamic_cast<PrinterPageCanvas&>(job->canvas());
  for (const FontSpec& font : {FontSpec{}, FontSpec{FontKind::RotatedSystem, 0, 0, 2700, 0},
                               FontSpec{FontKind::Panel, 30, 15, 0, 700}}) {
    page.select(t.graphics.create(font));
    const QFont used = page.scaledFont();
    EXPECT_TRUE(used.styleStrategy() & QFont::NoAntialias) << static_cast<int>(font.kind);
    EXPECT_TRUE(used.styleStrategy() & QFont::NoSubpixelAntialias) << static_cast<int>(font.kind);
  }
}

// A printer chosen in the dialog that prints to a PDF file works at 600 dpi, as a
// real printer does, not at the file's own 1200 dpi, at which the program's pen
// widths in device pixels would come out half as wide as on paper.
TEST(QtPrinters, FilePrinterFromTheDialogWorksAt600Dpi) {
  TestApp t;
  auto file = std::make_unique<QPrinter>(QPrinter::HighResolution);
  file->setOutputFormat(QPrinter::PdfFormat);
  file->setOutputFileName(QString::fromStdString(t.dir.file("chosen.pdf")));
  file->setPageSize(QPageSize(QPageSize::Letter));
  file->setPageMargins(QMarginsF(0.25, 0, 0.25, 0), QPageLayout::Inch);
  QPrinter* printer = file.get();
  auto job = baromon::qt::QtPrinters::jobFor(t.graphics, std::move(file));
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(printer->resolution(), 600);
  EXPECT_EQ(job->canvas().size().width, 4800);  // 8 inches
  EXPECT_EQ(job->canvas().size().height, 6600); // 11 inches
  auto& page = dynamic_cast<PrinterPageCanvas&>(job->canvas());
  EXPECT_DOUBLE_EQ(page.fontScale(), 6.0);
}
