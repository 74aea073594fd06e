#pragma once

#include <string>

#include "assembly/PictureSizes.h"
#include "core/state/AppContext.h"

namespace baromon::cli {

using assembly::kPictureSizes;
using assembly::SizeRange;
// Printed pages in device pixels: only their description grows with the size.
inline constexpr SizeRange kPageSizes{1, 1, 100000, 100000};

// "WxH" (or "WXH") within `range`; false for anything else.
bool parseSize(const std::string& text, const SizeRange& range, int& width, int& height);

// The options of monitor.ini in the current directory, or the built-in defaults
// when there is none; nothing is written and no event is logged for a missing file.
void loadSettingsOrDefaults(AppContext& app);

} // namespace baromon::cli
