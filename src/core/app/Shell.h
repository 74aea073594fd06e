#pragma once

#include "core/config/Menus.h"
#include "platform/WindowServices.h"

namespace baromon {

// What the application shell keeps between messages: the screen size read at
// start-up (main window size, correction popup position) and the menu bar.
struct ShellState {
  platform::ScreenSize screen;
  MenuState menus;
};

} // namespace baromon
