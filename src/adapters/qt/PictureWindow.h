#pragma once

#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace baromon::qt {

using PaintFunction = std::function<void(platform::Canvas&)>;

// A window of its own program (the spectrum program's): a client area of width x height
// that `paint` draws again at every size, shown until the user closes it. With `grabTo`,
// the window is shown, its picture grabbed into that PNG file and the window closed, so a
// screenshot needs no display. Returns 0, or 1 when the grab could not be written.
// Texts are Windows-1252.
int runPictureWindow(platform::GraphicsObjects& objects, const std::string& title, int width, int height,
                     const PaintFunction& paint, const std::string& grabTo);

// An error box with its own event loop, for a program that has no window to own it.
void showErrorBox(const std::string& text, const std::string& caption);

} // namespace baromon::qt
