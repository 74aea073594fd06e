#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/Canvas.h"

// Pictures painted through a Canvas into files, for callers that stay free of Qt
// (the command line). Creates the Qt application object for the call when none
// exists, on the offscreen platform unless QT_QPA_PLATFORM says otherwise, so no
// display is needed.
namespace baromon::qt {

using PaintFunction = std::function<void(platform::Canvas&)>;

// Lets fontconfig know the DejaVu directory alone, before the first Qt application object
// starts: the pictures' letters are then the same on every machine, and the same as the
// FreeType lettering's. Does nothing when FONTCONFIG_FILE or FONTCONFIG_PATH is set or the
// DejaVu faces are missing.
void useOnlyTheDejaVuFonts();

// Paints a width x height picture into `path`: PNG (raster, exact pixels), SVG
// or PDF (vector) by the file's extension. Returns an empty string on success,
// else what went wrong.
std::string renderToFile(platform::GraphicsObjects& objects, const std::string& path, int width, int height,
                         const PaintFunction& paint);

} // namespace baromon::qt
