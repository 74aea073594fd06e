#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace baromon::fakes {

// A canvas that draws nothing and remembers every call with its exact integer
// coordinates and the drawing state in force at that moment, so that tests can
// check a paint primitive by primitive or compare its text dump with a golden copy.
class RecordingCanvas : public platform::Canvas {
public:
  enum class Kind {
    Select,
    SelectFailed,
    MoveTo,
    LineTo,
    Pixel,
    Rectangle,
    Text,
    TextColour,
    BackgroundMode
  };

  struct Op {
    Kind kind = Kind::MoveTo;
    int x0 = 0, y0 = 0;                // line start (the current position), rectangle left/top
    int x = 0, y = 0;                  // line end, pixel, text point, rectangle right/bottom
    platform::Rgb colour;              // pixel colour, new text colour
    std::string text;                  // exactly the bytes drawn
    platform::ObjectHandle handle = 0; // Select / SelectFailed
    // State in force when the op ran.
    platform::PenSpec pen;
    platform::BrushSpec brush;
    platform::FontSpec font;
    platform::Rgb textColour;
    platform::BackgroundMode background = platform::BackgroundMode::Opaque;
  };

  explicit RecordingCanvas(platform::GraphicsObjects& objects, platform::CanvasSize size = {1100, 600});

  platform::ObjectHandle select(platform::ObjectHandle handle) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void setPixel(int x, int y, platform::Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, const char* text, int count) override;
  using Canvas::textOut;
  platform::Rgb setTextColour(platform::Rgb colour) override;
  platform::BackgroundMode setBackgroundMode(platform::BackgroundMode mode) override;
  platform::TextMetrics textMetrics() override { return metrics; }
  platform::CanvasSize size() const override { return size_; }

  // Configuration.
  platform::TextMetrics metrics{16, 0, 8, 8};
  void setSize(platform::CanvasSize size) { size_ = size; }
  // The next `count` selections of a live object fail (return 0, change nothing).
  void failNextSelections(int count) { failingSelections_ = count; }

  std::vector<Op> ops;
  // Called with each op as it is recorded, e.g. to look at the program's state mid-paint.
  std::function<void(const Op&)> onOp;

  // Filters over `ops`.
  std::vector<Op> of(Kind kind) const;
  std::vector<Op> lines() const { return of(Kind::LineTo); }
  std::vector<Op> texts() const { return of(Kind::Text); }
  std::vector<Op> pixels() const { return of(Kind::Pixel); }

  // The handles currently selected (0 before any selection of that kind).
  platform::ObjectHandle currentPen() const { return selection_.penHandle(); }
  platform::ObjectHandle currentBrush() const { return selection_.brushHandle(); }
  platform::ObjectHandle currentFont() const { return selection_.fontHandle(); }

  // One line per op, e.g. `line 50,300 -> 1050,300 pen=dot/1/c8c8c8 bk=opaque`.
  std::vector<std::string> dump() const;
  static std::string describe(const Op& op);

private:
  Op stamp(Kind kind) const;
  void keep(const Op& op);

  platform::GraphicsObjects& objects_;
  platform::CanvasSelection selection_;
  platform::CanvasSize size_;
  int failingSelections_ = 0;
  int curX_ = 0, curY_ = 0;
  platform::Rgb textColour_{0, 0, 0};
  platform::BackgroundMode background_ = platform::BackgroundMode::Opaque;
};

// Texts for the dump and for test messages.
std::string describePen(const platform::PenSpec& pen);
std::string describeFont(const platform::FontSpec& font);
std::string hexColour(platform::Rgb colour);

} // namespace baromon::fakes
