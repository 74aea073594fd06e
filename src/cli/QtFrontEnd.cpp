#include "adapters/qt/CanvasOutput.h"
#include "app/Monitor.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

namespace baromon::cli {

const FrontEnd& qtFrontEnd() {
  static const FrontEnd frontEnd{&app::runWindowedMonitor, &runPrint, &qt::renderToFile, nullptr};
  return frontEnd;
}

} // namespace baromon::cli
