#pragma once

#include <cstddef>
#include <string>

#include "platform/Menu.h"

namespace baromon::platform {

// The program's five windows. The core names them; the front end maps them to real windows.
enum class WindowId { Main, Values, Converter, Diurnal, Correction };

enum class BoxIcon { None, Error, Information, Warning };

// The sounds the core asks for: the default system sound (alarm) and the exclamation (errors).
enum class BeepKind { Default, Exclamation };

// The usable screen area (the full-screen client area of a maximised window).
struct ScreenSize {
  int width = 0;
  int height = 0;
};

// The two kinds of window: white background (main and diurnal window) and light grey
// background (values, converter and correction windows).
enum class WindowClass { White, LightGrey };

enum class WindowStyle {
  Overlapped,              // caption, close box, resizable frame
  OverlappedWithScrollBar, // the same with a horizontal scroll bar (the main window)
  Popup,                   // bordered, without caption and close box
};

// A top-level window; x, y are screen coordinates, width and height the outer size.
struct WindowSpec {
  WindowClass windowClass = WindowClass::White;
  WindowStyle style = WindowStyle::Overlapped;
  std::string title;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ShowMode { Show, Hide, ShowNormal, ShowMaximized };

// A control inside a window, in client coordinates.
struct ControlRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// What the core needs of the windowing system. Texts are Windows-1252; the
// front end converts them where they reach the toolkit. Calls on a window that
// does not exist (never created, or already destroyed) do nothing.
class WindowServices {
public:
  virtual ~WindowServices() = default;
  // A box owned by the main window (when one exists): it blocks that window until
  // it is closed. The call returns when the box is closed; timer ticks go on meanwhile.
  virtual void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  // A box with no owner window: it blocks no window, and the call still returns
  // when it is closed. Without windows it is an ordinary box.
  virtual void ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    messageBox(text, caption, icon);
  }
  virtual void beep(BeepKind kind) = 0;
  // Asks the main loop to end; the loop ends when it next fetches a message.
  virtual void postQuit(int exitCode) = 0;
  virtual void setTitle(WindowId window, const std::string& title) = 0;
  virtual void invalidate(WindowId window) = 0;

  // The calls below have do-nothing defaults, so a service for output without
  // windows (a command-line tool) needs only the five above.

  // --- windows ---
  virtual ScreenSize screenSize() { return {}; }
  // Prepares what every window shares (icon, cursor, backgrounds); false when that fails.
  virtual bool registerWindowClasses() { return true; }
  // Creates the window of `window`, replacing (destroying) an earlier one of the same id.
  // The new window starts hidden. False when it cannot be created.
  virtual bool createWindow(WindowId, const WindowSpec&) { return false; }
  virtual void showWindow(WindowId, ShowMode) {}
  // Paints the window at once when something is pending.
  virtual void updateWindow(WindowId) {}
  virtual void destroyWindow(WindowId) {}
  // True while the window exists (not closed by the user or destroyed).
  virtual bool windowExists(WindowId) { return false; }
  // Brings the window to the front.
  virtual void raiseWindow(WindowId) {}
  // The window's outer size (frame included); zero when it does not exist.
  virtual ScreenSize windowOuterSize(WindowId) { return {}; }

  // --- controls (one edit field and one button per window at most) ---
  // An edit field that accepts at most `maxChars` characters; false when it cannot be made.
  virtual bool createEditField(WindowId, const ControlRect&, std::size_t) { return false; }
  // A push button that reports `commandId` to the window procedure when pressed.
  virtual bool createButton(WindowId, const ControlRect&, const std::string&, int) { return false; }
  virtual void setEditText(WindowId, const std::string&) {}
  // The edit field's text, at most `maxChars` characters; empty when there is none.
  virtual std::string editText(WindowId, std::size_t) { return {}; }

  // --- menu bar of the main window ---
  // Shows `bar` (with its check marks and greyed items), replacing the previous bar.
  virtual void setMenuBar(const MenuBar&) {}
  virtual void checkMenuItem(int, bool) {}
  virtual void enableMenuItem(int, bool) {}

  // --- main window scroll bar (range 0..100) and the periodic timer ---
  virtual void setScrollPosition(int) {}
  // Delivers a timer tick to the core every `periodMs` milliseconds on the GUI thread.
  virtual void startTimer(int) {}
  virtual void stopTimer() {}

  // --- other programs ---
  // Starts `program` (looked up in the current directory, then the PATH) without
  // waiting for it; false when it cannot be started.
  virtual bool startProgram(const std::string&) { return false; }
};

} // namespace baromon::platform
