#pragma once

#include <string>

#include "core/state/AppContext.h"

namespace baromon::cli {

// The sizes a size option accepts, bounds included.
struct SizeRange {
  int minWidth, minHeight, maxWidth, maxHeight;
};
// Pictures drawn in memory (render, diurnal): wide enough for the plots'
// margins, and at most 20000 x 20000 (1.6 GB of pixels) before anything is drawn.
inline constexpr SizeRange kPictureSizes{101, 71, 20000, 20000};
// Printed pages in device pixels: only their description grows with the size.
inline constexpr SizeRange kPageSizes{1, 1, 100000, 100000};

// "WxH" (or "WXH") within `range`; false for anything else.
bool parseSize(const std::string& text, const SizeRange& range, int& width, int& height);

// The options of monitor.ini in the current directory, or the built-in defaults
// when there is none; nothing is written and no event is logged for a missing file.
void loadSettingsOrDefaults(AppContext& app);

} // namespace baromon::cli
