#pragma once

namespace baromon::assembly {

// The sizes a size option accepts, bounds included.
struct SizeRange {
  int minWidth, minHeight, maxWidth, maxHeight;
};
// Pictures drawn in memory (render, diurnal, the web server's): wide enough for the plots'
// margins, and at most 20000 x 20000 (1.6 GB of pixels) before anything is drawn.
inline constexpr SizeRange kPictureSizes{101, 71, 20000, 20000};

} // namespace baromon::assembly
