#pragma once

#include <string>

namespace baromon::platform {

// The program's five windows. The core names them; the front end maps them to real windows.
enum class WindowId { Main, Values, Converter, Diurnal, Correction };

enum class BoxIcon { None, Error, Information, Warning };

// The sounds the core asks for: the default system sound (alarm) and the exclamation (errors).
enum class BeepKind { Default, Exclamation };

// What the core needs of the windowing system. Texts are Windows-1252; the
// front end converts them where they reach the toolkit. Later subsystems extend
// this interface (menus, timer, scroll bar).
class WindowServices {
public:
  virtual ~WindowServices() = default;
  // Modal box; `owned` says whether it belongs to the main window (when one exists).
  virtual void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  virtual void beep(BeepKind kind) = 0;
  // Asks the main loop to end; the loop ends when it next fetches a message.
  virtual void postQuit(int exitCode) = 0;
  virtual void setTitle(WindowId window, const std::string& title) = 0;
  virtual void invalidate(WindowId window) = 0;
};

} // namespace baromon::platform
