#include "adapters/win32/GdiPictureFile.h"
#include "adapters/win32/Win32PictureWindow.h"
#include "cli/Cli.h"

namespace baromon::cli {

namespace {

// Debian has no FFTW for mingw: the plain sum of the shown bins (decisions/spectrum.md).
PowerTransform& plainTransform() {
  static DirectPowerTransform transform;
  return transform;
}

} // namespace

const SpectrumFrontEnd& spectrumFrontEnd() {
  static const SpectrumFrontEnd frontEnd{&plainTransform, &platform::renderToFile,
                                         &platform::runPictureWindow, &platform::showErrorBox};
  return frontEnd;
}

} // namespace baromon::cli
