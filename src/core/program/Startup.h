#pragma once

namespace baromon {

struct AppContext;

// Exit code when a window class cannot be registered or the main window cannot be made,
// and of every run that a fatal error ended (a service manager restarts only a failed
// run, and a script must not take a dead start for a good one).
inline constexpr int kStartFailed = 255;

// Exit code of a monitor started in a directory where another one is running. It
// shows one box (anotherMonitorText in the language monitor.ini names, German where
// there is none) and ends before touching any file or port.
inline constexpr int kAnotherMonitorRunning = 3;
inline constexpr const char* kAnotherMonitorCaption = "baromon";

// Everything before the main loop: the directory lock, start values, settings (or
// the defaults, written at once), windows, titles, menu bar, port probe, disk check,
// tables, serial port (retried quietly from the ticks on when it cannot be opened),
// history and the 200 ms timer. 0 when the loop may run, else kAnotherMonitorRunning
// or kStartFailed (nothing is released and the settings are not written then).
int startUp(AppContext& app);

// After the main loop: settings written, records still waiting for the log written
// (waiting up to kStopWaitMs for a log another program holds; each one still not
// written is reported as event 67), timer stopped, port closed, windows destroyed.
// Returns kStartFailed when a fatal error was reported during the run, else the exit
// code the quit request carried.
int shutDown(AppContext& app, int quitCode);

inline constexpr const char* kInitialMainTitle = "Dureridarovidozi ";
inline constexpr int kTimerPeriodMs = 200;

} // namespace baromon
