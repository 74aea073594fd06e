#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "platform/WindowServices.h"

namespace baromon::platform {

// Window services without a screen, for a logger on a small board: windows exist
// only as records, message boxes go to standard error as "caption: text" (UTF-8;
// on Windows the Windows-1252 bytes as they are) and a beep is a BEL on standard error when that is a terminal.
class HeadlessWindows final : public Boxes, public Windows, public Menus, public MainLoop, public Programs {
public:
  explicit HeadlessWindows(std::FILE* err = stderr);

  void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
  // No window could own a box: an ownerless one is told like any other.
  void ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
    messageBox(text, caption, icon);
  }
  void beep(BeepKind kind) override;

  ScreenSize screenSize() override { return {1024, 768}; }
  bool registerWindowClasses() override { return true; }
  bool createWindow(WindowId window, const WindowSpec& wanted) override;
  void showWindow(WindowId, ShowMode) override {} // a record is neither shown nor hidden
  void updateWindow(WindowId) override {}         // nothing is painted without a screen
  void destroyWindow(WindowId window) override;
  bool windowExists(WindowId window) override { return windows_.count(window) != 0; }
  void raiseWindow(WindowId) override {} // nothing is on a screen to come to the front
  ScreenSize windowOuterSize(WindowId window) override;
  void setTitle(WindowId window, const std::string& title) override;
  void invalidate(WindowId) override {} // nothing is painted without a screen

  bool createEditField(WindowId parent, const ControlRect&, std::size_t maxChars) override;
  bool createButton(WindowId parent, const ControlRect&, const std::string&, int) override {
    return windowExists(parent);
  }
  void setEditText(WindowId parent, const std::string& text) override;
  std::string editText(WindowId parent, std::size_t maxChars) override;

  // No menu bar: a headless monitor takes no commands (SIGINT and SIGTERM only end it).
  void setMenuBar(const MenuBar&) override {}
  void checkMenuItem(int, bool) override {}
  void enableMenuItem(int, bool) override {}

  // runHeadless ticks at the period asked for and ends at the quit request.
  void startTimer(int periodMs) override { timerPeriod_ = periodMs; }
  void stopTimer() override { timerPeriod_ = 0; }
  void postQuit(int exitCode) override;
  void setScrollPosition(int) override {} // no scroll bar: the view stays at the newest record

  bool startProgram(const std::string& program) override;

  bool quitRequested() const { return quit_; }
  int quitCode() const { return quitCode_; }
  int timerPeriod() const { return timerPeriod_; }
  std::string title(WindowId window) const;

private:
  struct Window {
    WindowSpec wanted;
    std::string title;
    std::string edit;
    std::size_t editLimit = 0;
  };
  std::FILE* err_;
  std::map<WindowId, Window> windows_;
  bool quit_ = false;
  int quitCode_ = 0;
  int timerPeriod_ = 0;
};

// Windows-1252 text as UTF-8, for terminals and logs.
std::string windows1252ToUtf8(const std::string& text);

} // namespace baromon::platform
