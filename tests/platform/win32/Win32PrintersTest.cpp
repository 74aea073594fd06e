#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "adapters/win32/GdiCanvas.h"
#include "adapters/win32/Win32Printers.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#include "core/print/PrintedBarogram.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using namespace platform;

// Hands the core a job on a context that is no printer: the spooler refuses its
// document, as it does a printer that has gone.
class NoPrinterContext final : public Printers {
public:
  explicit NoPrinterContext(GraphicsObjects& objects) : objects_(objects) {}
  std::unique_ptr<PrinterJob> choose() override {
    return std::make_unique<Win32PrinterJob>(objects_, ::CreateCompatibleDC(nullptr));
  }

private:
  GraphicsObjects& objects_;
};

TEST(Win32Printers, ARefusedDocumentIsReportedNotPrinted) {
  fakes::TestApp t;
  NoPrinterContext printers(t.graphics);
  t.app.printing.printers = &printers;
  ASSERT_EQ(choosePrinter(t.app), 1);
  EXPECT_GT(t.app.printing.printableHeight, 0);
  printBarogram(t.app);
  ASSERT_EQ(t.windows.boxes.size(), 1U);
  EXPECT_EQ(t.windows.boxes[0].text, "Fehler beim Drucken");
  EXPECT_FALSE(t.app.printing.printer); // the context was deleted

  // The NMEA table fails silently, and deletes its context too.
  ASSERT_EQ(choosePrinter(t.app), 1);
  printNmeaTable(t.app);
  EXPECT_EQ(t.windows.boxes.size(), 1U);
  EXPECT_FALSE(t.app.printing.printer);
}

TEST(Win32Printers, EndingAJobThatNeverStartedADocumentFailsEveryCall) {
  GraphicsObjects objects;
  Win32PrinterJob job(objects, ::CreateCompatibleDC(nullptr));
  EXPECT_LE(job.startDoc("printjob"), 0);
  EXPECT_LE(job.endDoc(), 0);
  job.abortDoc(); // nothing open: nothing to throw away
}

// On a 600 dpi page a font made in screen pixels would be a sixth of its size on
// the screen: the page's canvas scales its fonts by the resolution.
TEST(Win32Printers, PageFontsGrowWithTheResolution) {
  GraphicsObjects objects;
  GdiMemoryBitmap screen(200, 100);
  GdiMemoryBitmap page(200, 100);
  ASSERT_TRUE(screen.valid() && page.valid());
  GdiCanvas onScreen(objects, screen.dc(), screen.size());
  GdiCanvas onPage(objects, page.dc(), page.size(), 6.0);
  const int stockHeight = onScreen.textMetrics().height;
  ASSERT_GT(stockHeight, 0);
  EXPECT_NEAR(onPage.textMetrics().height, 6 * stockHeight, stockHeight);
  for (int escapement : {0, 2700}) {
    const ObjectHandle font = objects.create(FontSpec{FontKind::RotatedSystem, 0, 0, escapement, 0});
    onScreen.select(font);
    onPage.select(font);
    const int screenHeight = onScreen.textMetrics().height;
    ASSERT_GT(screenHeight, 0);
    EXPECT_NEAR(onPage.textMetrics().height, 6 * screenHeight, screenHeight) << escapement;
  }
}

// A context whose page is a picture in memory, so the page can be read back.
class PictureContext final : public Printers {
public:
  explicit PictureContext(GraphicsObjects& objects) : objects_(objects) {}
  std::unique_ptr<PrinterJob> choose() override {
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = ::GetDeviceCaps(dc, HORZRES);
    info.bmiHeader.biHeight = -::GetDeviceCaps(dc, VERTRES);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<const std::uint32_t*>(bits);
    width = info.bmiHeader.biWidth;
    std::fill_n(static_cast<std::uint32_t*>(bits), width * -info.bmiHeader.biHeight, 0xFFFFFFU);
    ::SelectObject(dc, bitmap);
    return std::make_unique<Win32PrinterJob>(objects_, dc);
  }
  std::uint32_t at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFFU; }

  HBITMAP bitmap = nullptr;
  const std::uint32_t* pixels = nullptr;
  int width = 0;

private:
  GraphicsObjects& objects_;
};

// The printed barogram through the job's canvas: the page is the context's
// printable area and the frame stands at the margin f = d / 10 (landscape).
TEST(Win32Printers, ThePageIsThePrintableAreaAndTheFrameStandsAtTheMargin) {
  fakes::TestApp t;
  PictureContext printers(t.graphics);
  t.app.printing.printers = &printers;
  ASSERT_EQ(choosePrinter(t.app), 1);
  const CanvasSize page = t.app.printing.printer->canvas().size();
  ASSERT_GE(page.width, page.height); // a screen-compatible context is landscape
  ASSERT_GT(page.height, 100);
  createPrinterPens(t.app);
  drawPrintedBarogram(t.app);
  ::GdiFlush();
  const int d = page.width, e = page.height, f = d / 10;
  EXPECT_EQ(printers.at(d / 2, f), 0U);                // top edge, 5 pixels wide
  EXPECT_EQ(printers.at(d / 2, e - f), 0U);            // bottom edge
  EXPECT_EQ(printers.at(f, e / 2 + 3), 0U);            // left edge
  EXPECT_EQ(printers.at(d / 2, f + 8), 0xFFFFFFU);     // inside, above the first grid row
  EXPECT_EQ(printers.at(d / 2, f / 2 - 4), 0xFFFFFFU); // above the title
  t.app.printing.printer.reset();
  ::DeleteObject(printers.bitmap);
}

} // namespace
} // namespace baromon
