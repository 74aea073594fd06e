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
  // Modal box; `owned` says whether it belongs to the main window (when one exists).
  virtual void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  virtual void beep(BeepKind kind) = 0;
  // Asks the main loop to end; the loop ends when it next fetches a message.
  virtual void postQuit(int exitCode) = 0;
  virtual void setTitle(WindowId window, const std::string& title) = 0;
  virtual void invalidate(WindowId window) = 0;

  // --- windows ---
  virtual ScreenSize screenSize() = 0;
  // Prepares what every window shares (icon, cursor, backgrounds); false when that fails.
  virtual bool registerWindowClasses() = 0;
  // Creates the window of `window`, replacing (destroying) an earlier one of the same id.
  // The new window starts hidden. False when it cannot be created.
  virtual bool createWindow(WindowId window, const WindowSpec& spec) = 0;
  virtual void showWindow(WindowId window, ShowMode mode) = 0;
  // Paints the window at once when something is pending.
  virtual void updateWindow(WindowId window) = 0;
  virtual void destroyWindow(WindowId window) = 0;
  // True while the window exists (not closed by the user or destroyed).
  virtual bool windowExists(WindowId window) = 0;
  // Brings the window to the front.
  virtual void raiseWindow(WindowId window) = 0;

  // --- controls (one edit field and one button per window at most) ---
  // An edit field that accepts at most `maxChars` characters; false when it cannot be made.
  virtual bool createEditField(WindowId parent, const ControlRect& rect, std::size_t maxChars) = 0;
  // A push button that reports `commandId` to the window procedure when pressed.
  virtual bool createButton(WindowId parent, const ControlRect& rect, const std::string& text,
                            int commandId) = 0;
  virtual void setEditText(WindowId parent, const std::string& text) = 0;
  // The edit field's text, at most `maxChars` characters; empty when there is none.
  virtual std::string editText(WindowId parent, std::size_t maxChars) = 0;

  // --- menu bar of the main window ---
  // Shows `bar` (with its check marks and greyed items), replacing the previous bar.
  virtual void setMenuBar(const MenuBar& bar) = 0;
  virtual void checkMenuItem(int commandId, bool checked) = 0;
  virtual void enableMenuItem(int commandId, bool enabled) = 0;

  // --- main window scroll bar (range 0..100) and the periodic timer ---
  virtual void setScrollPosition(int position) = 0;
  // Delivers a timer tick to the core every `periodMs` milliseconds on the GUI thread.
  virtual void startTimer(int periodMs) = 0;
  virtual void stopTimer() = 0;

  // --- other programs ---
  // Starts `program` (looked up in the current directory, then the PATH) without
  // waiting for it; false when it cannot be started.
  virtual bool startProgram(const std::string& program) = 0;
};

} // namespace baromon::platform
