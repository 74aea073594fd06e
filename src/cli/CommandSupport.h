#pragma once

#include <string>

#include "core/app/AppContext.h"

namespace baromon::cli {

// "WxH" with both parts from 1 to 100000; false for anything else.
bool parseSize(const std::string& text, int& width, int& height);

// The options of monitor.ini in the current directory, or the built-in defaults
// when there is none; nothing is written and no event is logged for a missing file.
void loadSettingsOrDefaults(AppContext& app);

} // namespace baromon::cli
