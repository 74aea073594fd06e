#pragma once

namespace baromon::platform {
class SerialPorts;
}

namespace baromon::qt {

// Runs the monitor with its windows in the current directory until the main window
// is closed or the program is ended from the menu; returns the exit code.
int runGui(int argc, char** argv, platform::SerialPorts& ports);

} // namespace baromon::qt
