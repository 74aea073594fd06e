#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/SerialDevice.h"
#include "platform/WindowServices.h"

namespace baromon::assembly {

// Window services for the commands, which run without any window: a box becomes its
// text on standard output (bytes as they are, line breaks kept). Windows "exist" only
// as far as the core needs them to go on; everything else has no window to act on.
class ConsoleWindowServices final : public platform::Boxes,
                                    public platform::Windows,
                                    public platform::Menus,
                                    public platform::MainLoop,
                                    public platform::Programs {
public:
  explicit ConsoleWindowServices(std::FILE* out) : out_(out) {}

  void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override {
    (void)caption;
    (void)icon;
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fputc('\n', out_);
  }
  // With no window to own it, every box is told the same way.
  void ownerlessMessageBox(const std::string& text, const std::string& caption,
                           platform::BoxIcon icon) override {
    messageBox(text, caption, icon);
  }
  void beep(platform::BeepKind) override {} // a command's output is read, not listened to

  // A command's painters work on a picture of their own, never on a window.
  platform::ScreenSize screenSize() override { return {}; }
  bool registerWindowClasses() override { return true; }
  // Succeeds so that a core step that opens a window carries on with its work.
  bool createWindow(platform::WindowId, const platform::WindowSpec&) override { return true; }
  void showWindow(platform::WindowId, platform::ShowMode) override {} // nothing to show
  void updateWindow(platform::WindowId) override {}                   // nothing to paint
  void destroyWindow(platform::WindowId) override {}                  // nothing was made
  bool windowExists(platform::WindowId) override { return false; }    // none is ever made
  void raiseWindow(platform::WindowId) override {}                    // nothing to raise
  platform::ScreenSize windowOuterSize(platform::WindowId) override { return {}; }
  void setTitle(platform::WindowId, const std::string&) override {} // no caption to set
  void invalidate(platform::WindowId) override {}                   // nothing to paint again
  bool createEditField(platform::WindowId, const platform::ControlRect&, std::size_t) override {
    return true;
  }
  bool createButton(platform::WindowId, const platform::ControlRect&, const std::string&, int) override {
    return true;
  }
  void setEditText(platform::WindowId, const std::string&) override {} // no field holds it
  std::string editText(platform::WindowId, std::size_t) override { return {}; }

  // No menu bar: a command is chosen on the command line.
  void setMenuBar(const platform::MenuBar&) override {}
  void checkMenuItem(int, bool) override {}
  void enableMenuItem(int, bool) override {}

  // No loop: a command runs its steps once and returns its status itself.
  void startTimer(int) override {}
  void stopTimer() override {}
  void postQuit(int) override {}
  void setScrollPosition(int) override {}

  // A command never starts another program.
  bool startProgram(const std::string&) override { return false; }

private:
  std::FILE* out_;
};

// No serial ports: the commands never acquire.
class NoSerialPorts final : public platform::SerialPorts {
public:
  std::unique_ptr<platform::SerialDevice> open(const std::string& portName) override {
    (void)portName;
    return nullptr;
  }
};

} // namespace baromon::assembly
