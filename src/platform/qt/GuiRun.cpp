#include "platform/qt/GuiRun.h"

#include <QApplication>
#include <clocale>

#include "core/app/AppContext.h"
#include "core/app/Startup.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtFrontEnd.h"

namespace baromon::qt {

int runGui(int argc, char** argv, platform::SerialPorts& ports) {
  QApplication application(argc, argv);
  // Qt adopts the user's locale; the program's number texts must not follow it.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName("baromon");

  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  QtWindows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
  windows.attach(app);

  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  const int quitCode = windows.exec();
  return shutDown(app, quitCode);
}

} // namespace baromon::qt
