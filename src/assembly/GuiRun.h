#pragma once

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
};

int runGui(int argc, char** argv, platform::SerialPorts& ports, platform::DirectoryLock& directoryLock,
           GuiExtras extras = {});

} // namespace baromon::qt
