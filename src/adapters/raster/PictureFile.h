#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "adapters/raster/Raster.h"
#include "platform/Canvas.h"

namespace baromon::raster {

// Where Debian's fonts-dejavu-core puts the faces every picture is drawn in.
constexpr const char* kDejaVuDirectory = "/usr/share/fonts/truetype/dejavu";

// Pictures are drawn at 96 pixels to the inch, the screen's; PNG files say so (pHYs).
constexpr int kDotsPerMetre = 3780;

// The white pixels of a picture made for a file. In pages of 4 kB an 1100 x 600 picture
// is 645 page faults, 7 ms on the virtual machine it was measured on; in the kernel's
// huge pages of 2 MB it is two. Where there are none they are ordinary memory.
class PictureMemory {
public:
  PictureMemory(int width, int height);
  ~PictureMemory();
  PictureMemory(const PictureMemory&) = delete;
  PictureMemory& operator=(const PictureMemory&) = delete;

  // Empty (no bits) when there was no memory for them.
  const Pixels& pixels() const { return pixels_; }

private:
  Pixels pixels_;
  void* mapped_ = nullptr;
  std::size_t length_ = 0;
};

// Writes `size` bytes as the whole of the file `path`, the name taken byte for byte.
// On failure no part of the file is left.
bool writeWholeFile(const std::string& path, const char* data, std::size_t size);

// The extension of a file name in lower case ("" when it has none).
std::string extensionOf(const std::string& path);

using PaintFunction = std::function<void(platform::Canvas&)>;

// Paints a width x height picture on a raster canvas with the lettering and writes it to
// `path` as PNG. Returns an empty string on success, else what went wrong.
// The same into memory: the PNG file's bytes in `png`. Returns "" or what went wrong.
std::string renderPng(platform::GraphicsObjects& objects, int width, int height, const PaintFunction& paint,
                      class Lettering& lettering, std::string& png);

std::string renderPngFile(platform::GraphicsObjects& objects, const std::string& path, int width, int height,
                          const PaintFunction& paint, class Lettering& lettering);

} // namespace baromon::raster
