#pragma once

#include <concepts>
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

// What the core needs of the windowing system, one interface per concern. Texts are
// Windows-1252; the front end converts them where they reach the toolkit. Every function
// is pure: a front end states what each one does, even when that is nothing, so one that
// forgets a function does not compile.

// Message boxes and beeps.
class Boxes {
public:
  virtual ~Boxes() = default;
  // A box owned by the main window (when one exists): it blocks that window until
  // it is closed. The call returns when the box is closed; timer ticks go on meanwhile.
  virtual void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  // A box with no owner window: it blocks no window, and the call still returns
  // when it is closed. Without windows it is an ordinary box.
  virtual void ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  virtual void beep(BeepKind kind) = 0;
};

// The program's windows and their controls (one edit field and one button per window
// at most). Calls on a window that does not exist (never created, or already
// destroyed) do nothing.
class Windows {
public:
  virtual ~Windows() = default;
  virtual ScreenSize screenSize() = 0;
  // Prepares what every window shares (icon, cursor, backgrounds); false when that fails.
  virtual bool registerWindowClasses() = 0;
  // Creates the window of `window`, replacing (destroying) an earlier one of the same id.
  // The new window starts hidden. False when it cannot be created.
  virtual bool createWindow(WindowId window, const WindowSpec& wanted) = 0;
  virtual void showWindow(WindowId window, ShowMode mode) = 0;
  // Paints the window at once when something is pending.
  virtual void updateWindow(WindowId window) = 0;
  virtual void destroyWindow(WindowId window) = 0;
  // True while the window exists (not closed by the user or destroyed).
  virtual bool windowExists(WindowId window) = 0;
  // Brings the window to the front.
  virtual void raiseWindow(WindowId window) = 0;
  // The window's outer size (frame included); zero when it does not exist.
  virtual ScreenSize windowOuterSize(WindowId window) = 0;
  virtual void setTitle(WindowId window, const std::string& title) = 0;
  // Asks for the window's client area to be painted again.
  virtual void invalidate(WindowId window) = 0;

  // An edit field that accepts at most `maxChars` characters; false when it cannot be made.
  virtual bool createEditField(WindowId parent, const ControlRect& rect, std::size_t maxChars) = 0;
  // A push button that reports `commandId` to the window procedure when pressed.
  virtual bool createButton(WindowId parent, const ControlRect& rect, const std::string& text,
                            int commandId) = 0;
  virtual void setEditText(WindowId parent, const std::string& text) = 0;
  // The edit field's text, at most `maxChars` characters; empty when there is none.
  virtual std::string editText(WindowId parent, std::size_t maxChars) = 0;
};

// The main window's menu bar.
class Menus {
public:
  virtual ~Menus() = default;
  // Shows `bar` (with its check marks and greyed items), replacing the previous bar.
  virtual void setMenuBar(const MenuBar& bar) = 0;
  virtual void checkMenuItem(int commandId, bool checked) = 0;
  virtual void enableMenuItem(int commandId, bool enabled) = 0;
};

// The loop that drives the core: its periodic timer, the request to end it, and the
// main window's scroll bar (range 0..100), whose moves the loop hands to the core.
class MainLoop {
public:
  virtual ~MainLoop() = default;
  // Delivers a timer tick to the core every `periodMs` milliseconds on the GUI thread.
  virtual void startTimer(int periodMs) = 0;
  virtual void stopTimer() = 0;
  // Asks the main loop to end; the loop ends when it next fetches a message.
  virtual void postQuit(int exitCode) = 0;
  virtual void setScrollPosition(int position) = 0;
};

// Other programs.
class Programs {
public:
  virtual ~Programs() = default;
  // Starts `program` (looked up in the current directory, then the PATH) without
  // waiting for it; false when it cannot be started.
  virtual bool startProgram(const std::string& program) = 0;
};

// An object that implements every concern (most front ends are one class).
template <typename T>
concept AllWindowServices = std::derived_from<T, Boxes> && std::derived_from<T, Windows> &&
    std::derived_from<T, Menus> && std::derived_from<T, MainLoop> && std::derived_from<T, Programs>;

// The window services a front end hands to the core, one reference per concern. A front
// end may implement them in one class (the first constructor) or in several.
struct WindowServices {
  template <AllWindowServices T>
  WindowServices(T& all) : boxes(all), windows(all), menus(all), loop(all), programs(all) {}
  WindowServices(Boxes& b, Windows& w, Menus& m, MainLoop& l, Programs& p)
      : boxes(b), windows(w), menus(m), loop(l), programs(p) {}

  Boxes& boxes;
  Windows& windows;
  Menus& menus;
  MainLoop& loop;
  Programs& programs;
};

} // namespace baromon::platform
