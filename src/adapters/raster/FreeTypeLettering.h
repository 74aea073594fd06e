#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adapters/raster/RasterCanvas.h"

namespace baromon::raster {

// Letters drawn with FreeType from the DejaVu faces in one directory, laid out as the
// front end lays them out: the same faces and pixel sizes, unsmoothed and fully hinted,
// the same metrics and baseline, so a picture comes out the same without a toolkit.
class FreeTypeLettering : public Lettering {
public:
  // Null when FreeType cannot start or DejaVu Sans or DejaVu Sans Mono is not there.
  static std::unique_ptr<FreeTypeLettering> open(const std::string& directory);
  // Whether the faces `open` needs can be read there.
  static bool available(const std::string& directory);
  ~FreeTypeLettering() override;
  FreeTypeLettering(const FreeTypeLettering&) = delete;
  FreeTypeLettering& operator=(const FreeTypeLettering&) = delete;

  void useFont(const platform::FontSpec& font) override;
  platform::TextMetrics metrics() override;
  void draw(const Pixels& pixels, int x, int y, const char* text, int count, Colour colour,
            bool opaque) override;
  // The width of a text in the current font.
  int advance(const char* text, int count);

private:
  enum Face { Sans, Mono, MonoBold, kFaces };
  struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<unsigned char> ink; // one byte per pixel, row after row
  };
  struct Size { // a face at a pixel size and stretch
    Face face = Sans;
    int pixels = 0;
    int stretch = 100;
    int turn = 0; // quarter turns counter-clockwise
    auto operator<=>(const Size&) const = default;
  };

  explicit FreeTypeLettering(std::string directory);
  bool loadFace(Face face);
  bool setSize(const Size& size);
  void chooseSize(const platform::FontSpec& font);
  // The glyph of a Windows-1252 byte at the current size, turned as the font is; null
  // when the face has none. A turned glyph's advance is the upright one's.
  const Glyph* glyph(unsigned char byte, bool turned = false);
  int ascent(const Size& size) const;
  int descent(const Size& size) const;
  int cellHeight(const Size& size) const { return ascent(size) + descent(size); }

  std::string directory_;
  void* library_ = nullptr;           // FT_Library
  std::array<void*, kFaces> faces_{}; // FT_Face, loaded when first used
  std::array<bool, kFaces> tried_{};
  Size size_;
  Size applied_{Sans, 0, 0, -1};
  platform::FontSpec font_{};
  int cellTop_ = 0;
  struct Glyphs { // of one size, made when first drawn
    std::array<std::unique_ptr<Glyph>, 256> byByte;
    std::array<bool, 256> made{};
  };
  std::map<Size, Glyphs> glyphs_;
};

} // namespace baromon::raster
