#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace baromon::platform {

using PaintFunction = std::function<void(Canvas&)>;

// Paints a width x height picture into `path`, the name taken byte for byte, by its
// extension: PNG through a GdiCanvas on a memory bitmap and the Windows Imaging
// Component's encoder, or SVG through an SvgCanvas. No PDF. Returns an empty string on success, else
// what went wrong; a failed write leaves no file.
std::string renderToFile(GraphicsObjects& objects, const std::string& path, int width, int height,
                         const PaintFunction& paint);

// The PNG file of a picture already painted: rows of 0x00RRGGBB, top first.
std::string encodePng(const std::uint32_t* pixels, int width, int height, std::string& png);

} // namespace baromon::platform
