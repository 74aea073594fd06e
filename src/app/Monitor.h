#pragma once

#include "app/NativePlatform.h"

namespace baromon::app {

// The one place the monitor is put together: builds the platform services for the
// chosen front end (windows, or headless with boxes on standard error), runs the
// monitor in the current directory and returns the exit code.
int runMonitor(int argc, char** argv, const PortMap& ports, bool headless);

} // namespace baromon::app
