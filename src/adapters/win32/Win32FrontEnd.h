#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/WindowServices.h"

namespace baromon {
struct AppContext;
}

namespace baromon::platform {

// The two window classes every program window belongs to, and the icon resource both show.
inline constexpr const char* kWhiteWindowClass = "Fensterklasse";
inline constexpr const char* kGreyWindowClass = "Fensterklasse2";
inline constexpr const char* kIconResource = "MYICON";
// The one timer, on the main window; its ticks arrive as WM_TIMER.
inline constexpr UINT_PTR kTimerId = 275;

// Window services on Win32: the program's windows are real windows of the two classes,
// served by one window procedure that only translates messages into the core's calls
// (WM_TIMER, WM_HSCROLL, WM_COMMAND, WM_PAINT through a GdiCanvas on the window's DC,
// WM_DESTROY of the main window); the menu bar is an HMENU, boxes are MessageBoxA and
// the loop is GetMessageA / DispatchMessageA. Boxes run the system's own modal loop, in
// which the timer's ticks go on.
class Win32Windows final : public Boxes, public Windows, public Menus, public MainLoop, public Programs {
public:
  Win32Windows();
  ~Win32Windows() override;
  Win32Windows(const Win32Windows&) = delete;
  Win32Windows& operator=(const Win32Windows&) = delete;

  void attach(AppContext& app) { app_ = &app; }
  // Runs the message loop until the core asks to quit; returns the quit code.
  int exec();
  bool quitRequested() const { return quit_; }

  void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
  void ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
  void beep(BeepKind kind) override;

  ScreenSize screenSize() override;
  bool registerWindowClasses() override;
  bool createWindow(WindowId window, const WindowSpec& wanted) override;
  void showWindow(WindowId window, ShowMode mode) override;
  void updateWindow(WindowId window) override;
  void destroyWindow(WindowId window) override;
  bool windowExists(WindowId window) override;
  void raiseWindow(WindowId window) override;
  ScreenSize windowOuterSize(WindowId window) override;
  void setTitle(WindowId window, const std::string& title) override;
  void invalidate(WindowId window) override;

  bool createEditField(WindowId parent, const ControlRect& rect, std::size_t maxChars) override;
  bool createButton(WindowId parent, const ControlRect& rect, const std::string& text,
                    int commandId) override;
  void setEditText(WindowId parent, const std::string& text) override;
  std::string editText(WindowId parent, std::size_t maxChars) override;

  void setMenuBar(const MenuBar& bar) override;
  void checkMenuItem(int commandId, bool checked) override;
  void enableMenuItem(int commandId, bool enabled) override;

  void startTimer(int periodMs) override;
  void stopTimer() override;
  void postQuit(int exitCode) override;
  void setScrollPosition(int position) override;

  bool startProgram(const std::string& program) override;

  // Called once when the session ends (log-off, shutdown): the system ends the process as
  // soon as the main window has answered, so the assembly's shutdown runs in here. The
  // loop is asked to end afterwards.
  std::function<void()> onSessionEnd;

  // The handles behind the program's windows (null when there is none).
  HWND handle(WindowId window) const { return windows_[index(window)]; }
  HWND editField(WindowId window) const { return controls_[index(window)].edit; }
  HWND button(WindowId window) const { return controls_[index(window)].button; }
  HMENU menuBar() const { return bar_; }

  // The window procedure's work for one message of a program window.
  LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
  struct Controls {
    HWND edit = nullptr;
    HWND button = nullptr;
  };
  static std::size_t index(WindowId window) { return static_cast<std::size_t>(window); }
  // The program window `hwnd` is, if it is one.
  bool windowOf(HWND hwnd, WindowId& window) const;
  void showBox(HWND owner, const std::string& text, const std::string& caption, BoxIcon icon);
  void paint(HWND hwnd, WindowId window);
  void forget(WindowId window);
  void unregisterClasses();

  AppContext* app_ = nullptr;
  HINSTANCE instance_;
  HICON icon_ = nullptr;
  bool classesRegistered_ = false;
  std::array<HWND, 5> windows_{};
  std::array<Controls, 5> controls_{};
  HMENU bar_ = nullptr;
  int scrollPosition_ = 100;
  bool quit_ = false;
  bool sessionEnded_ = false;
  int quitCode_ = 0;
};

} // namespace baromon::platform
