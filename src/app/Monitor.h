#pragma once

#include <string>

#include "app/NativePlatform.h"

namespace baromon::app {

// What the monitor does beside its own work.
struct MonitorOptions {
  bool headless = false; // no windows: boxes on standard error
  std::string serveNmea; // "[ADDR:]PORT" to serve chart plotters, empty for none
  std::string onAlarm;   // the command run at each fast-fall alarm, empty for none
};

// The one place the monitor is put together: builds the platform services for the
// chosen front end (windows, or headless with boxes on standard error), runs the
// monitor in the current directory and returns the exit code.
int runMonitor(int argc, char** argv, const PortMap& ports, const MonitorOptions& options);

} // namespace baromon::app
