#include "adapters/raster/FreeTypeLettering.h"
#include "adapters/raster/PictureFile.h"
#include "cli/Cli.h"

namespace baromon::cli {

namespace {

// A PNG picture whose letters the DejaVu faces give; without them the front end draws it
// with the faces the machine's font configuration finds.
bool writesPng(const std::string& path) {
  return raster::extensionOf(path) == "png" && raster::FreeTypeLettering::available(raster::kDejaVuDirectory);
}

std::string writePng(platform::GraphicsObjects& objects, const std::string& path, int width, int height,
                     const PaintFunction& paint) {
  const auto lettering = raster::FreeTypeLettering::open(raster::kDejaVuDirectory);
  if (lettering == nullptr) {
    return std::string("cannot load the DejaVu fonts from ") + raster::kDejaVuDirectory;
  }
  return raster::renderPngFile(objects, path, width, height, paint, *lettering);
}

} // namespace

const FrontEnd& pictureFrontEnd() {
  static const FrontEnd frontEnd{nullptr, nullptr, &writePng, &writesPng};
  return frontEnd;
}

} // namespace baromon::cli
