#include "adapters/fftw/FftwTransform.h"
#include "adapters/qt/CanvasOutput.h"
#include "adapters/qt/PictureWindow.h"
#include "adapters/raster/FreeTypeLettering.h"
#include "adapters/raster/PictureFile.h"
#include "cli/Cli.h"

namespace baromon::cli {

namespace {

PowerTransform& fftwTransform() {
  static fftw::FftwTransform transform;
  return transform;
}

// PNG without a toolkit where the DejaVu faces are (the picture program's way); SVG, PDF
// and a machine without them through Qt.
std::string writeSpectrumPicture(platform::GraphicsObjects& objects, const std::string& path, int width,
                                 int height, const PaintFunction& paint) {
  if (raster::extensionOf(path) == "png") {
    if (const auto lettering = raster::FreeTypeLettering::open(raster::kDejaVuDirectory)) {
      return raster::renderPngFile(objects, path, width, height, paint, *lettering);
    }
  }
  return qt::renderToFile(objects, path, width, height, paint);
}

} // namespace

const SpectrumFrontEnd& spectrumFrontEnd() {
  static const SpectrumFrontEnd frontEnd{&fftwTransform, &writeSpectrumPicture, &qt::runPictureWindow,
                                         &qt::showErrorBox};
  return frontEnd;
}

} // namespace baromon::cli
