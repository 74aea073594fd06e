#include "adapters/raster/FreeTypeLettering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "core/domain/Windows1252.h"

namespace baromon::raster {

using platform::FontKind;
using platform::FontSpec;

namespace {

constexpr const char* kFaceFiles[] = {"/DejaVuSans.ttf", "/DejaVuSansMono.ttf", "/DejaVuSansMono-Bold.ttf"};
constexpr int kDefaultCellHeight = 16; // the system font's cell, in pixels

FT_Library asLibrary(void* library) { return static_cast<FT_Library>(library); }
FT_Face asFace(void* face) { return static_cast<FT_Face>(face); }

// A length in font units at a pixel size, in 1/64 pixel, rounded to the nearest.
long scaled64(long units, int pixels, int unitsPerEm) {
  return std::lround(static_cast<double>(units) * pixels * 64.0 / unitsPerEm);
}
// 1/64 pixels to whole ones, halves up.
int whole(long value64) { return static_cast<int>((value64 + 32) >> 6); }

} // namespace

std::unique_ptr<FreeTypeLettering> FreeTypeLettering::open(const std::string& directory) {
  std::unique_ptr<FreeTypeLettering> lettering(new FreeTypeLettering(directory));
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    return nullptr;
  }
  lettering->library_ = library;
  // The faces every picture needs; the bold one only panels of the values window ask for.
  if (!lettering->loadFace(Sans) || !lettering->loadFace(Mono)) {
    return nullptr;
  }
  return lettering;
}

bool FreeTypeLettering::available(const std::string& directory) {
  for (const Face face : {Sans, Mono}) {
    std::FILE* file = std::fopen((directory + kFaceFiles[face]).c_str(), "rb");
    if (file == nullptr) {
      return false;
    }
    std::fclose(file);
  }
  return true;
}

FreeTypeLettering::FreeTypeLettering(std::string directory) : directory_(std::move(directory)) {}

FreeTypeLettering::~FreeTypeLettering() {
  for (void* face : faces_) {
    if (face != nullptr) {
      FT_Done_Face(asFace(face));
    }
  }
  if (library_ != nullptr) {
    FT_Done_FreeType(asLibrary(library_));
  }
}

bool FreeTypeLettering::loadFace(Face face) {
  if (!tried_[face]) {
    tried_[face] = true;
    FT_Face loaded = nullptr;
    const std::string path = directory_ + kFaceFiles[face];
    if (FT_New_Face(asLibrary(library_), path.c_str(), 0, &loaded) == 0) {
      if (FT_IS_SCALABLE(loaded) && loaded->units_per_EM > 0) {
        faces_[face] = loaded;
      } else {
        FT_Done_Face(loaded);
      }
    }
  }
  return faces_[face] != nullptr;
}

bool FreeTypeLettering::setSize(const Size& size) {
  if (!loadFace(size.face)) {
    return false;
  }
  if (size == applied_) {
    return true;
  }
  // A stretched face is a wider one of the same height, as the front end's fonts are.
  const FT_F26Dot6 height = FT_F26Dot6{size.pixels} * 64;
  const FT_F26Dot6 width = height * size.stretch / 100;
  const FT_Face face = asFace(faces_[size.face]);
  if (FT_Set_Char_Size(face, width, height, 72, 72) != 0) {
    return false;
  }
  // A turned text has its glyphs hinted upright and turned before they are rasterised,
  // as the front end draws them: a bitmap turned afterwards differs where an outline
  // passes exactly through a pixel's centre.
  static const FT_Matrix kTurns[4] = {{0x10000, 0, 0, 0x10000},
                                      {0, -0x10000, 0x10000, 0},
                                      {-0x10000, 0, 0, -0x10000},
                                      {0, 0x10000, -0x10000, 0}};
  FT_Matrix turn = kTurns[size.turn & 3];
  FT_Set_Transform(face, size.turn == 0 ? nullptr : &turn, nullptr);
  applied_ = size;
  return true;
}

// Ascent and descent as the front end measures them: the face's own (hhea) figures at the
// pixel size, each rounded to a whole pixel.
int FreeTypeLettering::ascent(const Size& size) const {
  const FT_Face face = asFace(faces_[size.face]);
  return whole(scaled64(face->ascender, size.pixels, face->units_per_EM));
}

int FreeTypeLettering::descent(const Size& size) const {
  const FT_Face face = asFace(faces_[size.face]);
  return whole(scaled64(-face->descender, size.pixels, face->units_per_EM));
}

namespace {

// Escapements in quarter turns; a text at any other angle is drawn upright.
int quarterTurns(int escapement) {
  switch (escapement) {
  case 900:
    return 1;
  case 1800:
    return 2;
  case 2700:
    return 3;
  default:
    return 0;
  }
}

} // namespace

void FreeTypeLettering::useFont(const FontSpec& font) {
  font_ = font;
  cellTop_ = 0;
  chooseSize(font);
  size_.turn = quarterTurns(font.escapement);
}

void FreeTypeLettering::chooseSize(const FontSpec& font) {
  switch (font.kind) {
  case FontKind::Panel: {
    // The largest pixel size whose cell fits the height asked for, stretched so that a
    // digit is as wide as asked for.
    const int cell = font.height > 0 ? font.height : (font.height < 0 ? -font.height : 16);
    const Face face = font.weight > 550 && loadFace(MonoBold) ? MonoBold : Mono;
    int pixels = cell * 14 / 16 + 2;
    while (pixels > 1 && cellHeight({face, pixels, 100}) > cell) {
      --pixels;
    }
    size_ = {face, pixels, 100};
    if (font.width > 0) {
      const int natural = advance("0", 1);
      if (natural > 0) {
        const int stretch = (font.width * 100 + natural / 2) / natural;
        size_.stretch = std::clamp(stretch, 1, 4000);
      }
    }
    return;
  }
  case FontKind::RotatedSystem:
    size_ = {Sans, 14, 100};
    return;
  case FontKind::StockFixed:
    break;
  }
  // The stock font stands for the system's proportional one; its letters stand in the
  // system font's 16-pixel cell, one pixel lower than in their own 15-pixel one.
  size_ = {Sans, 13, 100};
  cellTop_ = std::max(0, kDefaultCellHeight - cellHeight(size_));
}

platform::TextMetrics FreeTypeLettering::metrics() {
  platform::TextMetrics result;
  if (!setSize(size_)) {
    return result;
  }
  const FT_Face face = asFace(faces_[size_.face]);
  result.height = cellTop_ + cellHeight(size_);
  result.externalLeading = std::max(
      0, whole(scaled64(face->height - face->ascender + face->descender, size_.pixels, face->units_per_EM)));
  result.maxCharWidth = whole(face->size->metrics.max_advance);
  // The face's own average width (OS/2) at the horizontal size.
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 != nullptr && os2->xAvgCharWidth > 0) {
    result.aveCharWidth = whole(scaled64(os2->xAvgCharWidth, face->size->metrics.x_ppem, face->units_per_EM));
  } else {
    result.aveCharWidth = advance("x", 1);
  }
  return result;
}

const FreeTypeLettering::Glyph* FreeTypeLettering::glyph(unsigned char byte, bool turned) {
  Size size = size_;
  size.turn = turned ? size_.turn : 0;
  Glyphs& glyphs = glyphs_[size];
  if (glyphs.made[byte]) {
    return glyphs.byByte[byte].get();
  }
  glyphs.made[byte] = true;
  // The soft hyphen only marks where a word may break: nothing shows, nothing moves.
  if (byte == 0xAD || !setSize(size)) {
    return nullptr;
  }
  const FT_Face face = asFace(faces_[size.face]);
  const FT_UInt index = FT_Get_Char_Index(face, unicodeOfWindows1252(byte));
  // Fully hinted for one bit per pixel, rendered without grey.
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0 ||
      FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) {
    return nullptr;
  }
  const FT_GlyphSlot slot = face->glyph;
  auto made = std::make_unique<Glyph>();
  made->left = slot->bitmap_left;
  made->top = slot->bitmap_top;
  made->width = static_cast<int>(slot->bitmap.width);
  made->rows = static_cast<int>(slot->bitmap.rows);
  made->advance = whole(slot->advance.x);
  made->ink.resize(static_cast<std::size_t>(made->width) * static_cast<std::size_t>(made->rows));
  for (int r = 0; r < made->rows; ++r) {
    const unsigned char* bits = slot->bitmap.buffer + static_cast<std::ptrdiff_t>(r) * slot->bitmap.pitch;
    for (int c = 0; c < made->width; ++c) {
      made->ink[static_cast<std::size_t>(r) * static_cast<std::size_t>(made->width) +
                static_cast<std::size_t>(c)] = (bits[c >> 3] >> (7 - (c & 7))) & 1;
    }
  }
  if (size.turn != 0) { // only now: the upright glyph takes over the face's slot
    const Glyph* upright = glyph(byte);
    made->advance = upright != nullptr ? upright->advance : 0;
  }
  glyphs.byByte[byte] = std::move(made);
  return glyphs.byByte[byte].get();
}

int FreeTypeLettering::advance(const char* text, int count) {
  int total = 0;
  for (int i = 0; i < count; ++i) {
    if (const Glyph* g = glyph(static_cast<unsigned char>(text[i]))) {
      total += g->advance;
    }
  }
  return total;
}

void FreeTypeLettering::draw(const Pixels& pixels, int x, int y, const char* text, int count, Colour colour,
                             bool opaque) {
  if (count <= 0 || !setSize(size_)) {
    return;
  }
  // A point (u, v) of the text's own pixels, u along the line and v down the letters,
  // lands on a picture pixel by the font's turn: 90 degrees clockwise runs downwards.
  const int turn = size_.turn;
  // The pixel (u, v) of the upright text's cells, on the picture.
  auto put = [&](int u, int v, Colour c) {
    switch (turn) {
    case 1:
      pixels.plot(x + v, y - u - 1, c);
      break;
    case 2:
      pixels.plot(x - u - 1, y - v - 1, c);
      break;
    case 3:
      pixels.plot(x - v - 1, y + u, c);
      break;
    default:
      pixels.plot(x + u, y + v, c);
      break;
    }
  };
  const int baseline = cellTop_ + ascent(size_);
  if (opaque) {
    const int width = advance(text, count);
    const int height = cellTop_ + cellHeight(size_);
    if (turn == 0) {
      pixels.fill(x, y, x + width, y + height, kWhite);
    } else {
      for (int v = 0; v < height; ++v) {
        for (int u = 0; u < width; ++u) {
          put(u, v, kWhite);
        }
      }
    }
  }
  // Each glyph stands on the baseline at the pen; a turned one's bitmap is turned already
  // and stands at the turned point.
  int pen = 0;
  for (int i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const Glyph* g = glyph(byte, turn != 0);
    if (g == nullptr) {
      continue;
    }
    const int originX = turn == 0 ? x + pen : turn == 1 ? x + baseline : turn == 2 ? x - pen : x - baseline;
    const int originY = turn == 0 ? y + baseline : turn == 1 ? y - pen : turn == 2 ? y - baseline : y + pen;
    for (int r = 0; r < g->rows; ++r) {
      for (int c = 0; c < g->width; ++c) {
        if (g->ink[static_cast<std::size_t>(r) * static_cast<std::size_t>(g->width) +
                   static_cast<std::size_t>(c)] != 0) {
          pixels.plot(originX + g->left + c, originY - g->top + r, colour);
        }
      }
    }
    pen += g->advance;
  }
}

} // namespace baromon::raster
