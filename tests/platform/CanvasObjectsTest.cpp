#include <gtest/gtest.h>

#include "support/FailingGraphicsObjects.h"
#include "support/RecordingCanvas.h"

using namespace baromon::platform;
using baromon::fakes::RecordingCanvas;

// Selection hands back the replaced object of the same kind, so painters can
// put the previous pen back; a handle of a failed creation selects nothing.
TEST(CanvasObjects, SelectionReturnsThePreviousObjectOfTheSameKind) {
  GraphicsObjects objects;
  RecordingCanvas canvas(objects);
  ObjectHandle red = objects.create(PenSpec{PenStyle::Solid, 2, {255, 0, 0}});
  ObjectHandle blue = objects.create(PenSpec{PenStyle::Dot, 1, {0, 0, 255}});
  ObjectHandle brush = objects.create(BrushSpec{{1, 2, 3}});

  EXPECT_EQ(canvas.select(red), objects.stockBlackPen());
  EXPECT_EQ(canvas.select(brush), objects.stockWhiteBrush()); // a brush does not replace the pen
  EXPECT_EQ(canvas.select(blue), red);
  EXPECT_EQ(canvas.select(0), 0u);      // failed creation
  EXPECT_EQ(canvas.currentPen(), blue); // unchanged by the failure
  objects.destroy(blue);
  EXPECT_EQ(canvas.select(blue), 0u); // destroyed
  canvas.moveTo(1, 2);
  canvas.lineTo(3, 4);
  // The selected pen was copied: destroying it does not change what is drawn.
  EXPECT_EQ(canvas.lines().at(0).pen, (PenSpec{PenStyle::Dot, 1, {0, 0, 255}}));
}

TEST(CanvasObjects, StockObjectsSurviveDestroyAndFailuresAreCounted) {
  baromon::fakes::FailingGraphicsObjects objects;
  ObjectHandle font = objects.stockFixedFont();
  objects.destroy(font);
  EXPECT_NE(objects.find(font), nullptr);
  objects.failNextCreations(2);
  EXPECT_EQ(objects.create(BrushSpec{}), 0u);
  EXPECT_EQ(objects.create(BrushSpec{}), 0u);
  EXPECT_NE(objects.create(BrushSpec{}), 0u);
}

TEST(CanvasObjects, RecordingKeepsExactCoordinatesAndState) {
  GraphicsObjects objects;
  RecordingCanvas canvas(objects, {320, 200});
  canvas.moveTo(10, 20);
  canvas.lineTo(30, 20);
  canvas.setBackgroundMode(BackgroundMode::Transparent);
  canvas.setTextColour({180, 100, 90});
  canvas.textOut(5, 6,
                 "ab\xFC"
                 "cdef",
                 4);
  canvas.rectangle(50, 35, 1051, 566);
  canvas.failNextSelections(1);
  EXPECT_EQ(canvas.select(objects.stockBlackPen()), 0u);
  EXPECT_EQ(canvas.size().width, 320);
  EXPECT_EQ(canvas.dump(), (std::vector<std::string>{
                               "move 10,20",
                               "line 10,20 -> 30,20 pen=solid/1/000000 bk=opaque",
                               "bkmode transparent",
                               "textcolour b4645a",
                               "text 5,6 \"ab\\xfcc\" font=stock colour=b4645a bk=transparent",
                               "rect 50,35 1051,566 pen=solid/1/000000 brush=ffffff",
                               "select " + std::to_string(objects.stockBlackPen()) + " failed",
                           }));
}
