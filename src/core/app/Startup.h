#pragma once

namespace baromon {

struct AppContext;

// Exit code when a window class cannot be registered or the main window cannot be made.
inline constexpr int kStartFailed = 255;

// Everything before the main loop: start values, settings (or the defaults,
// written at once), windows, titles, menu bar, port probe, disk check, tables,
// serial port, history and the 200 ms timer. 0 when the loop may run, else
// kStartFailed (nothing is released and the settings are not written then).
int startUp(AppContext& app);

// After the main loop: settings written, timer stopped, port closed, windows
// destroyed. Returns the exit code the quit request carried.
int shutDown(AppContext& app, int quitCode);

inline constexpr const char* kInitialMainTitle = "Dureridarovidozi ";
inline constexpr int kTimerPeriodMs = 200;

} // namespace baromon
