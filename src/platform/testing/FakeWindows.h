#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/WindowServices.h"

namespace baromon::fakes {

using namespace baromon::platform;

// Records every window service call, in order, for the tests to inspect.
class FakeWindows : public WindowServices {
public:
  struct Box {
    std::string text;
    std::string caption;
    BoxIcon icon;
  };
  std::vector<Box> boxes;
  std::vector<BeepKind> beeps;
  std::vector<int> quits;
  std::map<WindowId, std::string> titles;
  std::vector<WindowId> invalidated;
  // Every call as one line ("box:<caption>", "beep", "quit", "title:...", "invalidate"), to check order.
  std::vector<std::string> calls;

  void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
    boxes.push_back({text, caption, icon});
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
};

} // namespace baromon::fakes
