#include "adapters/win32/GdiPictureFile.h"
#include "assembly/Monitor.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

namespace baromon::cli {

// The Windows program needs no second program: runMonitor opens the windows itself
// (or runs headless), and the picture and print commands draw with GDI in-process.
const FrontEnd& win32FrontEnd() {
  static const FrontEnd frontEnd{&assembly::runMonitor, &runPrint, &platform::renderToFile, nullptr};
  return frontEnd;
}

} // namespace baromon::cli
