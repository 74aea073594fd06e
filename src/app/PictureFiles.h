#pragma once

// The picture files of `render` and `diurnal`: Qt's on Linux (PNG, SVG, PDF), the
// Windows Imaging Component's on Windows (PNG). BAROMON_HAVE_PICTURES says there are any.
#if defined(_WIN32)
#include "adapters/win32/GdiPictureFile.h"
#define BAROMON_HAVE_PICTURES 1
namespace baromon::app {
using platform::renderToFile;
}
#elif defined(BAROMON_HAVE_QT)
#include "adapters/qt/CanvasOutput.h"
#define BAROMON_HAVE_PICTURES 1
namespace baromon::app {
using qt::renderToFile;
}
#endif
