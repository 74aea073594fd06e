#pragma once

#include "platform/WindowServices.h"

namespace baromon::platform {

// Window services for runs without any window (the subcommands): windows "exist"
// only as far as the core needs them to go on, and every drawing request is
// dropped. Subclasses decide where boxes, beeps and the quit request go.
class WindowlessServices : public WindowServices {
public:
  void setTitle(WindowId, const std::string&) override {}
  void invalidate(WindowId) override {}
  ScreenSize screenSize() override { return {}; }
  bool registerWindowClasses() override { return true; }
  bool createWindow(WindowId, const WindowSpec&) override { return true; }
  void showWindow(WindowId, ShowMode) override {}
  void updateWindow(WindowId) override {}
  void destroyWindow(WindowId) override {}
  bool windowExists(WindowId) override { return false; }
  void raiseWindow(WindowId) override {}
  bool createEditField(WindowId, const ControlRect&, std::size_t) override { return true; }
  bool createButton(WindowId, const ControlRect&, const std::string&, int) override { return true; }
  void setEditText(WindowId, const std::string&) override {}
  std::string editText(WindowId, std::size_t) override { return {}; }
  void setMenuBar(const MenuBar&) override {}
  void checkMenuItem(int, bool) override {}
  void enableMenuItem(int, bool) override {}
  void setScrollPosition(int) override {}
  void startTimer(int) override {}
  void stopTimer() override {}
  bool startProgram(const std::string&) override { return false; }
};

} // namespace baromon::platform
