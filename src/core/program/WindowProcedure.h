#pragma once

#include <cstdint>

#include "platform/Canvas.h"
#include "platform/WindowServices.h"

namespace baromon {

struct AppContext;

// The handlers the front end calls for the messages of every program window.

// Every window creation: the pens are made the first time.
void onWindowCreated(AppContext& app);
// The main window went away (close box, system menu): the main loop is asked to end.
void onMainWindowDestroyed(AppContext& app);
// One tick of the 200 ms timer.
void onTimer(AppContext& app);
// The horizontal scroll bar of the main window; only the four arrow and page codes act.
enum ScrollCode : int { LineLeft = 0, LineRight = 1, PageLeft = 2, PageRight = 3 };
void onHorizontalScroll(AppContext& app, int code);
// Paints `window` onto `canvas` with the routine of that window (and data mode).
void paintWindow(AppContext& app, platform::WindowId window, platform::Canvas& canvas);
// A menu command (from the main window) or the OK button (from the correction popup).
void onCommand(AppContext& app, platform::WindowId from, int commandId);

// The thumb position 0..100 for a scroll offset in a log of `recordCount` records.
int scrollPositionFor(std::int32_t offset, std::int32_t recordCount);

// Scroll steps in records: 6 hours and 24 hours of five-minute records.
inline constexpr std::int32_t kScrollLine = 72;
inline constexpr std::int32_t kScrollPage = 288;

} // namespace baromon
