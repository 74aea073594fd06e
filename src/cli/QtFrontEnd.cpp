#include "adapters/qt/CanvasOutput.h"
#include "assembly/Monitor.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

namespace baromon::cli {

const FrontEnd& qtFrontEnd() {
  static const FrontEnd frontEnd{&assembly::runWindowedMonitor, &runPrint, &qt::renderToFile, nullptr};
  return frontEnd;
}

} // namespace baromon::cli
