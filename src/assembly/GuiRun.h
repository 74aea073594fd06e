#pragma once

#include <functional>

namespace baromon {
struct AppContext;
}

namespace baromon::platform {
class DirectoryLock;
class SerialPorts;
class SentenceOutlet;
class AlarmHook;
class TelemetryOutlet;
} // namespace baromon::platform

namespace baromon::qt {

// Runs the monitor with its windows in the current directory until the main window
// is closed or the program is ended from the menu; returns the exit code. Start-up
// takes `directoryLock` first and ends with a box when another monitor holds it.
// The optional services of the monitor (either may be null).
struct GuiExtras {
  platform::SentenceOutlet* nmeaOutlet = nullptr;
  platform::AlarmHook* alarmHook = nullptr;
  platform::TelemetryOutlet* telemetry = nullptr;
  // Called after start-up and after every tick, on the Qt loop; must not wait.
  std::function<void(const AppContext&)> afterTick;
};

int runGui(int argc, char** argv, platform::SerialPorts& ports, platform::DirectoryLock& directoryLock,
           GuiExtras extras = {});

} // namespace baromon::qt
