#include "assembly/GuiRun.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <clocale>
#include <fcntl.h>
#include <unistd.h>

#include "core/state/AppContext.h"
#include "core/program/Startup.h"
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/qt/QtFrontEnd.h"
#include "adapters/qt/QtPrinters.h"

namespace baromon::qt {

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onGuiStopSignal(int) {
  const char byte = 1;
  (void)!::write(signalPipe[1], &byte, 1);
}

} // namespace

int runGui(int argc, char** argv, platform::SerialPorts& ports, platform::DirectoryLock& directoryLock,
           GuiExtras extras) {
  QApplication application(argc, argv);
  // Qt adopts the user's locale; the program's number texts must not follow it.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName("baromon");

  platform::PosixClock clock;
  platform::PosixFileSystem files(".");
  platform::GraphicsObjects graphics;
  QtWindows windows;
  QtPrinters printers(graphics); // the print dialog has no owner window
  AppContext app{
      Platform{clock, files, windows, ports, graphics, &directoryLock, extras.nmeaOutlet, extras.alarmHook}};
  app.printing.printers = &printers;
  app.platform.telemetry = extras.telemetry;
  windows.attach(app);

  // SIGINT and SIGTERM end the run like the close box, so the settings are written.
  QSocketNotifier* stopNotifier = nullptr;
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    stopNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &windows);
    QObject::connect(stopNotifier, &QSocketNotifier::activated, &windows, [&windows] {
      char byte = 0;
      while (::read(signalPipe[0], &byte, 1) > 0) {
      }
      windows.postQuit(0);
    });
    struct sigaction action {};
    action.sa_handler = onGuiStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
  }

  const int started = startUp(app);
  if (started != 0) {
    return started;
  }
  if (extras.afterTick) {
    extras.afterTick(app); // the values of the start, before the first tick
    windows.setAfterTick(extras.afterTick);
  }
  const int quitCode = windows.exec();
  return shutDown(app, quitCode);
}

} // namespace baromon::qt
