#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/app/AppContext.h"
#include "platform/posix/HeadlessRun.h"
#include "platform/posix/HeadlessWindows.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixDirectoryLock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSerialPorts.h"
#ifdef BAROMON_HAVE_QT
#include "platform/qt/GuiRun.h"
#endif

namespace baromon::cli {

int runMonitor(int argc, char** argv, const GeneralOptions& options) {
  platform::PosixSerialPorts ports(options.ports);
  // Held until the process ends; start-up takes it before anything else.
  platform::PosixDirectoryLock directoryLock(".");
  if (!options.headless) {
#ifdef BAROMON_HAVE_QT
    return qt::runGui(argc, argv, ports, directoryLock);
#else
    std::fputs("baromon: built without windows; running headless\n", stderr);
#endif
  }
  (void)argc;
  (void)argv;
  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  platform::HeadlessWindows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics, &directoryLock}};
  return platform::runHeadless(app, windows);
}

} // namespace baromon::cli
