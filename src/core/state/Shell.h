#pragma once

#include "core/config/Menus.h"
#include "platform/WindowServices.h"

namespace baromon {

// What the application shell keeps between messages: the screen size read at
// start-up (main window size, correction popup position), the menu bar, and whether
// a fatal error ends the run.
struct ShellState {
  platform::ScreenSize screen;
  MenuState menus;
  // A fatal error was reported: however the loop ends afterwards, the run failed.
  bool fatalRaised = false;
};

} // namespace baromon
