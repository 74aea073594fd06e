#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowServices.h"

namespace baromon::fakes {

using namespace baromon::platform;

// Records every window service call, in order, for the tests to inspect, and keeps
// enough state (existing windows, edit texts, menu bar) to answer the core's queries.
class FakeWindows : public Boxes, public Windows, public Menus, public MainLoop, public Programs {
public:
  struct Box {
    std::string text;
    std::string caption;
    BoxIcon icon;
    bool owned = true; // false: shown with no owner window
  };
  struct Window {
    WindowSpec wanted;
    bool visible = false;
    ShowMode lastShow = ShowMode::Hide;
    std::string editText;
    std::size_t editLimit = 0;
    bool hasEdit = false;
    bool hasButton = false;
    ControlRect editRect;
    ControlRect buttonRect;
    std::string buttonText;
    int buttonId = 0;
  };
  std::vector<Box> boxes;
  std::vector<BeepKind> beeps;
  std::vector<int> quits;
  std::map<WindowId, std::string> titles;
  std::vector<WindowId> invalidated;
  // Every call as one line ("box:<caption>", "beep", "quit", "title:...", "invalidate"), to check order.
  std::vector<std::string> calls;

  // Windows that exist now, and every creation in order (a window may be created again).
  std::map<WindowId, Window> windows;
  std::vector<WindowId> created;
  std::vector<WindowId> destroyed;
  std::vector<WindowId> raised;
  std::vector<WindowId> updated;
  MenuBar menuBar;
  int menuBarsSet = 0;
  int scrollPosition = -1;
  std::vector<int> scrollPositions;
  int timerPeriod = 0; // 0 = stopped
  std::vector<std::string> programs;

  // Knobs for failure paths.
  ScreenSize screen{1280, 994};
  bool failRegister = false;
  std::set<WindowId> failCreate;
  bool failControls = false;
  bool programFound = true;

  void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
    boxes.push_back({text, caption, icon});
    calls.push_back("box:" + caption);
  }
  void ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
    boxes.push_back({text, caption, icon, false});
    calls.push_back("box:" + caption);
  }
  void beep(BeepKind kind) override {
    beeps.push_back(kind);
    calls.push_back(kind == BeepKind::Default ? "beep" : "beep!");
  }
  void postQuit(int exitCode) override {
    quits.push_back(exitCode);
    calls.push_back("quit");
  }
  void setTitle(WindowId window, const std::string& title) override {
    titles[window] = title;
    calls.push_back("title");
  }
  void invalidate(WindowId window) override {
    invalidated.push_back(window);
    calls.push_back("invalidate");
  }

  ScreenSize screenSize() override { return screen; }
  bool registerWindowClasses() override {
    calls.push_back("register");
    return !failRegister;
  }
  bool createWindow(WindowId window, const WindowSpec& wanted) override {
    calls.push_back("create");
    if (failCreate.count(window) != 0) {
      return false;
    }
    windows[window] = Window{};
    windows[window].wanted = wanted;
    titles[window] = wanted.title;
    created.push_back(window);
    return true;
  }
  void showWindow(WindowId window, ShowMode mode) override {
    calls.push_back("show");
    auto it = windows.find(window);
    if (it != windows.end()) {
      it->second.visible = mode != ShowMode::Hide;
      it->second.lastShow = mode;
    }
  }
  void updateWindow(WindowId window) override {
    calls.push_back("update");
    updated.push_back(window);
  }
  void destroyWindow(WindowId window) override {
    calls.push_back("destroy");
    if (windows.erase(window) != 0) {
      destroyed.push_back(window);
    }
  }
  bool windowExists(WindowId window) override { return windows.count(window) != 0; }
  void raiseWindow(WindowId window) override {
    calls.push_back("raise");
    raised.push_back(window);
  }
  ScreenSize windowOuterSize(WindowId window) override {
    auto it = windows.find(window);
    return it == windows.end() ? ScreenSize{} : ScreenSize{it->second.wanted.width, it->second.wanted.height};
  }
  // What the user does with the close box.
  void userCloses(WindowId window) { windows.erase(window); }
  bool visible(WindowId window) const {
    auto it = windows.find(window);
    return it != windows.end() && it->second.visible;
  }

  bool createEditField(WindowId parent, const ControlRect& rect, std::size_t maxChars) override {
    auto it = windows.find(parent);
    if (failControls || it == windows.end()) {
      return false;
    }
    it->second.hasEdit = true;
    it->second.editRect = rect;
    it->second.editLimit = maxChars;
    return true;
  }
  bool createButton(WindowId parent, const ControlRect& rect, const std::string& text,
                    int commandId) override {
    auto it = windows.find(parent);
    if (failControls || it == windows.end()) {
      return false;
    }
    it->second.hasButton = true;
    it->second.buttonRect = rect;
    it->second.buttonText = text;
    it->second.buttonId = commandId;
    return true;
  }
  void setEditText(WindowId parent, const std::string& text) override {
    auto it = windows.find(parent);
    if (it != windows.end() && it->second.hasEdit) {
      it->second.editText = text.substr(0, it->second.editLimit);
    }
  }
  std::string editText(WindowId parent, std::size_t maxChars) override {
    auto it = windows.find(parent);
    if (it == windows.end() || !it->second.hasEdit) {
      return {};
    }
    return it->second.editText.substr(0, maxChars);
  }
  // What the user types: the whole content, as the field's limit lets it in.
  void userTypes(WindowId parent, const std::string& text) {
    auto& w = windows.at(parent);
    w.editText = text.substr(0, w.editLimit);
  }

  void setMenuBar(const MenuBar& bar) override {
    calls.push_back("menubar");
    menuBar = bar;
    ++menuBarsSet;
  }
  void checkMenuItem(int commandId, bool checked) override {
    if (auto* item = menuBar.find(commandId)) {
      item->checked = checked;
    }
  }
  void enableMenuItem(int commandId, bool enabled) override {
    if (auto* item = menuBar.find(commandId)) {
      item->enabled = enabled;
    }
  }

  void setScrollPosition(int position) override {
    calls.push_back("scroll");
    scrollPosition = position;
    scrollPositions.push_back(position);
  }
  void startTimer(int periodMs) override {
    calls.push_back("timer");
    timerPeriod = periodMs;
  }
  void stopTimer() override {
    calls.push_back("killtimer");
    timerPeriod = 0;
  }
  bool startProgram(const std::string& program) override {
    calls.push_back("program");
    programs.push_back(program);
    return programFound;
  }
};

} // namespace baromon::fakes
