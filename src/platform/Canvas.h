#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace baromon::platform {

// 24-bit colour; the core writes colours as RGB(r, g, b).
struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class PenStyle { Solid, Dot };
enum class BackgroundMode { Transparent, Opaque };

struct PenSpec {
  PenStyle style = PenStyle::Solid;
  int width = 1; // device pixels; 0 draws one pixel wide
  Rgb colour;
  friend bool operator==(const PenSpec&, const PenSpec&) = default;
};

struct BrushSpec {
  Rgb colour;
  friend bool operator==(const BrushSpec&, const BrushSpec&) = default;
};

// The three kinds of font the program uses.
enum class FontKind {
  Panel,         // fixed-pitch sans-serif of a given cell height, width and weight
  RotatedSystem, // the system font turned by `escapement` tenths of a degree (0 or 2700)
  StockFixed,    // the stock fixed-pitch font every canvas starts with
};

struct FontSpec {
  FontKind kind = FontKind::StockFixed;
  int height = 0;
  int width = 0;
  int escapement = 0; // tenths of a degree, counter-clockwise
  int weight = 0;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

using GraphicsObject = std::variant<PenSpec, BrushSpec, FontSpec>;

// Handle of a created drawing object; 0 is "no object" (a failed creation or selection).
using ObjectHandle = std::uint32_t;

// Drawing objects live independently of any canvas, as the pens made once at
// start-up are selected into the screen and the printer alike. Creation can
// fail (it returns 0); a test double overrides `create` to reach those paths.
class GraphicsObjects {
public:
  GraphicsObjects() = default;
  GraphicsObjects(const GraphicsObjects&) = default;
  GraphicsObjects& operator=(const GraphicsObjects&) = default;
  virtual ~GraphicsObjects() = default;
  virtual ObjectHandle create(const GraphicsObject& object);
  void destroy(ObjectHandle handle);
  // nullptr for 0, unknown or destroyed handles.
  const GraphicsObject* find(ObjectHandle handle) const;
  // The stock objects every canvas starts with; they are never destroyed.
  ObjectHandle stockFixedFont();
  ObjectHandle stockBlackPen();   // solid, 1 pixel, black
  ObjectHandle stockWhiteBrush(); // solid white
  std::size_t liveCount() const;

private:
  std::vector<std::optional<GraphicsObject>> objects_{std::nullopt}; // slot 0 is never used
  ObjectHandle stockFont_ = 0;
  ObjectHandle stockPen_ = 0;
  ObjectHandle stockBrush_ = 0;
};

// The pen, brush and font a canvas draws with: the handle of each and a copy of its
// object, starting with the stock objects. Every canvas keeps one, so selecting works
// the same on the screen, on paper and in a file.
class CanvasSelection {
public:
  explicit CanvasSelection(GraphicsObjects& objects);
  // Puts the object of `handle` in the place of its kind and returns the handle it
  // replaces; returns 0 and changes nothing for a handle that names no live object.
  ObjectHandle select(ObjectHandle handle);
  ObjectHandle penHandle() const { return penHandle_; }
  ObjectHandle brushHandle() const { return brushHandle_; }
  ObjectHandle fontHandle() const { return fontHandle_; }
  const PenSpec& pen() const { return pen_; }
  const BrushSpec& brush() const { return brush_; }
  const FontSpec& font() const { return font_; }
  GraphicsObjects& objects() const { return objects_; }

private:
  GraphicsObjects& objects_;
  ObjectHandle penHandle_, brushHandle_, fontHandle_;
  PenSpec pen_{PenStyle::Solid, 1, {0, 0, 0}};
  BrushSpec brush_{{255, 255, 255}};
  FontSpec font_{};
};

struct TextMetrics {
  int height = 0;          // cell height in pixels
  int externalLeading = 0; // extra space between lines
  int maxCharWidth = 0;
  int aveCharWidth = 0;
};

struct CanvasSize {
  int width = 0;
  int height = 0;
};

// A drawing surface with the semantics the painters rely on: integer device
// pixels, origin at the top left, lines that leave out their end pixel,
// rectangles whose right and bottom edges are exclusive. Texts are Windows-1252.
// A fresh canvas has the stock objects of its GraphicsObjects selected (a black
// one-pixel solid pen, a white brush, the stock fixed font), black text and an
// opaque white background, whose colour also fills the gaps of a dotted pen.
// Selections copy the object, so destroying a selected object leaves the canvas
// drawing with it until the next selection.
class Canvas {
public:
  virtual ~Canvas() = default;
  // Selects a pen, brush or font and returns the one of the same kind it replaces;
  // returns 0 and changes nothing for a handle that names no live object
  // (a failed creation gives the handle 0).
  virtual ObjectHandle select(ObjectHandle handle) = 0;
  virtual void moveTo(int x, int y) = 0;
  // Draws with the current pen from the current position to (x, y), leaving the
  // pixel at (x, y) out, and makes (x, y) the current position.
  virtual void lineTo(int x, int y) = 0;
  virtual void setPixel(int x, int y, Rgb colour) = 0;
  // Fills left..right-1 x top..bottom-1 with the brush and outlines it with the pen.
  virtual void rectangle(int left, int top, int right, int bottom) = 0;
  // Draws `count` bytes of `text` with the top left of the first cell at (x, y),
  // in the text colour, over the background colour in opaque mode. A font with
  // escapement 2700 runs downwards: the text turns 90 degrees clockwise about (x, y).
  virtual void textOut(int x, int y, const char* text, int count) = 0;
  virtual Rgb setTextColour(Rgb colour) = 0;
  virtual BackgroundMode setBackgroundMode(BackgroundMode mode) = 0;
  virtual TextMetrics textMetrics() = 0;
  // The client area, or the printable page in device pixels.
  virtual CanvasSize size() const = 0;

  void textOut(int x, int y, const std::string& text) {
    textOut(x, y, text.data(), static_cast<int>(text.size()));
  }
};

} // namespace baromon::platform
