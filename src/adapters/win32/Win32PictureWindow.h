#pragma once

#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace baromon::platform {

// The spectrum program's window on Windows: a client area of width x height that `paint`
// draws again at every size, shown until it is closed. With `grabTo`, the same picture is
// written into that PNG file instead (what the window would show, without a screen).
// Returns 0, or 1 when the window or the file could not be made. Texts are Windows-1252.
int runPictureWindow(GraphicsObjects& objects, const std::string& title, int width, int height,
                     const std::function<void(Canvas&)>& paint, const std::string& grabTo);

// MessageBoxA without an owner, error icon.
void showErrorBox(const std::string& text, const std::string& caption);

} // namespace baromon::platform
