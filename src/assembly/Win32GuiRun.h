#pragma once

namespace baromon::platform {
class DirectoryLock;
class SerialPorts;
} // namespace baromon::platform

namespace baromon::assembly {

// Runs the monitor with its windows in the current directory until the main window is
// closed or the program is ended from the menu (or the console it was started from asks
// it to end); returns the exit code. A console that belongs to this program alone (it was
// started from the desktop) is given back at once, so only the windows remain.
int runWindows(platform::SerialPorts& ports, platform::DirectoryLock& directoryLock);

} // namespace baromon::assembly
