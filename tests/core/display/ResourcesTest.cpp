#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DisplayTestSupport.h"

using namespace baromon;
using namespace baromon::testing;
using namespace baromon::platform;

namespace {

PenSpec penOf(fakes::TestApp& t, ObjectHandle handle) {
  const GraphicsObject* object = t.graphics.find(handle);
  return object ? std::get<PenSpec>(*object) : PenSpec{PenStyle::Solid, -1, {}};
}

std::vector<std::string> eventLines(fakes::TestApp& t) {
  std::ifstream in(t.dir.file("monitor.err"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

} // namespace

TEST(DrawingResources, ScreenPensAreMadeOnceWithTheirStylesWidthsAndColours) {
  fakes::TestApp t;
  createScreenPens(t.app);
  const ScreenPens& p = t.app.display.screen;
  struct Case {
    const char* name;
    ObjectHandle handle;
    PenSpec wanted;
  } cases[] = {
      {"gridDotPen", p.gridDotPen, {PenStyle::Dot, 1, {200, 200, 200}}},
      {"lightGreyPen", p.lightGreyPen, {PenStyle::Solid, 1, {200, 200, 200}}},
      {"blackPen1", p.blackPen1, {PenStyle::Solid, 1, {0, 0, 0}}},
      {"blackPen2", p.blackPen2, {PenStyle::Solid, 2, {0, 0, 0}}},
      {"blackPen3", p.blackPen3, {PenStyle::Solid, 3, {0, 0, 0}}},
      {"redPen1", p.redPen1, {PenStyle::Solid, 1, {255, 0, 0}}},
      {"redPen2", p.redPen2, {PenStyle::Solid, 2, {255, 0, 0}}},
      {"greenPen1", p.greenPen1, {PenStyle::Solid, 1, {0, 200, 0}}},
      {"bluePen1", p.bluePen1, {PenStyle::Solid, 1, {0, 0, 255}}},
      {"darkBluePen2", p.darkBluePen2, {PenStyle::Solid, 2, {5, 5, 180}}},
      {"brownPen1", p.brownPen1, {PenStyle::Solid, 1, {180, 100, 90}}},
      {"brownPen2", p.brownPen2, {PenStyle::Solid, 2, {180, 100, 90}}},
  };
  ObjectHandle previous = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(penOf(t, c.handle), c.wanted) << c.name;
    EXPECT_GT(c.handle, previous) << c.name << " made in table order";
    previous = c.handle;
  }
  EXPECT_EQ(std::get<BrushSpec>(*t.graphics.find(p.plotBrush)).colour, (Rgb{245, 245, 255}));
  EXPECT_EQ(std::get<BrushSpec>(*t.graphics.find(p.paperBrush)).colour, (Rgb{250, 240, 230}));
  EXPECT_GT(p.paperBrush, p.plotBrush);
  EXPECT_GT(p.plotBrush, p.brownPen2);

  const std::size_t live = t.graphics.liveCount();
  const ScreenPens before = p;
  createScreenPens(t.app); // another window is created
  EXPECT_EQ(t.graphics.liveCount(), live);
  EXPECT_EQ(t.app.display.screen.blackPen2, before.blackPen2);
}

TEST(DrawingResources, PrinterPensAreMadeOnce) {
  fakes::TestApp t;
  createPrinterPens(t.app);
  const PrinterPens& p = t.app.display.printer;
  EXPECT_EQ(penOf(t, p.printDotPen), (PenSpec{PenStyle::Dot, 1, {32, 32, 32}}));
  EXPECT_EQ(penOf(t, p.printBlackPen7), (PenSpec{PenStyle::Solid, 7, {0, 0, 0}}));
  EXPECT_EQ(penOf(t, p.printBlackPen5), (PenSpec{PenStyle::Solid, 5, {0, 0, 0}}));
  EXPECT_EQ(penOf(t, p.printBlackPen3), (PenSpec{PenStyle::Solid, 3, {0, 0, 0}}));
  EXPECT_EQ(penOf(t, p.printRedPen5), (PenSpec{PenStyle::Solid, 5, {255, 0, 0}}));
  EXPECT_EQ(penOf(t, p.printGreenPen5), (PenSpec{PenStyle::Solid, 5, {0, 200, 0}}));
  EXPECT_EQ(penOf(t, p.printBluePen5), (PenSpec{PenStyle::Solid, 5, {0, 0, 255}}));
  const std::size_t live = t.graphics.liveCount();
  createPrinterPens(t.app);
  EXPECT_EQ(t.graphics.liveCount(), live);
}

TEST(DrawingResources, FailedCreationsKeepANullHandleAndReportOnceEach) {
  fakes::TestApp t;
  t.app.settings.logEvents = 1;
  t.graphics.failNextCreations(2); // gridDotPen and lightGreyPen
  createScreenPens(t.app);
  EXPECT_EQ(t.app.display.screen.gridDotPen, 0u);
  EXPECT_EQ(t.app.display.screen.lightGreyPen, 0u);
  EXPECT_NE(t.app.display.screen.blackPen1, 0u);
  EXPECT_EQ(eventLines(t).size(), 2u);
  createScreenPens(t.app); // nothing made again, nothing reported again
  EXPECT_EQ(eventLines(t).size(), 2u);
}

TEST(DrawingResources, PanelFontLivesFromSelectionToRestore) {
  fakes::TestApp t;
  RecordingCanvas dc(t.graphics);
  const std::size_t live = t.graphics.liveCount();
  selectPanelFont(t.app, dc, 0, 60, 30, 700);
  const FontSpec selected = std::get<FontSpec>(*t.graphics.find(dc.currentFont()));
  EXPECT_EQ(selected, (FontSpec{FontKind::Panel, 60, 30, 0, 700}));
  EXPECT_EQ(t.graphics.liveCount(), live + 1);
  restoreStockFont(t.app, dc);
  EXPECT_EQ(dc.currentFont(), t.graphics.stockFixedFont());
  EXPECT_EQ(t.graphics.liveCount(), live); // the panel font is released
  EXPECT_TRUE(t.windows.boxes.empty());
}

TEST(DrawingResources, FontFailuresTakeTheFatalPath) {
  struct Case {
    const char* legend;
    bool failCreation;
    bool failSelection;
    bool rotated;
    std::size_t fatalBoxes;
  } cases[] = {
      {"panel font cannot be made", true, false, false, 1},
      {"panel font cannot be selected", false, true, false, 1},
      {"rotated font cannot be made", true, false, true, 1},
      {"rotated font cannot be selected", false, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    RecordingCanvas dc(t.graphics);
    if (c.failCreation) {
      t.graphics.failNextCreations(1);
    }
    if (c.failSelection) {
      dc.failNextSelections(1);
    }
    if (c.rotated) {
      selectRotatedSystemFont(t.app, dc, 2700);
    } else {
      selectPanelFont(t.app, dc, 0, 30, 15, 700);
    }
    EXPECT_EQ(t.windows.boxes.size(), c.fatalBoxes);
    EXPECT_EQ(t.windows.quits.size(), 1u);
    EXPECT_EQ(dc.currentFont(), t.graphics.stockFixedFont()); // the paint goes on without the font
  }
}

TEST(DrawingResources, RotatedFontReplacesAndReleasesThePreviousOne) {
  fakes::TestApp t;
  RecordingCanvas dc(t.graphics);
  const std::size_t live = t.graphics.liveCount();
  selectRotatedSystemFont(t.app, dc, 0);
  EXPECT_EQ(std::get<FontSpec>(*t.graphics.find(dc.currentFont())),
            (FontSpec{FontKind::RotatedSystem, 0, 0, 0, 0}));
  selectRotatedSystemFont(t.app, dc, 2700);
  EXPECT_EQ(std::get<FontSpec>(*t.graphics.find(dc.currentFont())).escapement, 2700);
  EXPECT_EQ(t.graphics.liveCount(), live + 1);
  restoreStockFont(t.app, dc);
  EXPECT_EQ(t.graphics.liveCount(), live);
}
