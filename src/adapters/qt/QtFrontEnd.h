#pragma once

#include <QColor>
#include <QIcon>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "platform/WindowServices.h"

class QAction;
class QMenu;

namespace baromon {
struct AppContext;
}

namespace baromon::qt {

class QtWindows;

// The client area of a program window: paints through the core's painter for its window.
class PaintArea : public QWidget {
  Q_OBJECT
public:
  PaintArea(QtWindows& owner, platform::WindowId id, QColor background, QWidget* parent);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QtWindows& owner_;
  platform::WindowId id_;
  QColor background_;
};

// A top-level program window (values, converter, diurnal, correction popup).
// The bordered popup has no frame from the window manager: the widget is its
// outer size, draws the 1-pixel border itself and holds a client area inside it.
class ProgramWindow : public QWidget {
  Q_OBJECT
public:
  ProgramWindow(QtWindows& owner, platform::WindowId id, const platform::WindowSpec& wanted);
  // Where the program paints and places controls, in client coordinates.
  QWidget* client() { return client_ != nullptr ? static_cast<QWidget*>(client_) : this; }
  QLineEdit* edit = nullptr;
  QPushButton* button = nullptr;

protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  QtWindows& owner_;
  platform::WindowId id_;
  QColor background_;
  PaintArea* client_ = nullptr;
};

// The main window: menu bar, the barogram area and a horizontal scroll bar 0..100.
class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  MainWindow(QtWindows& owner, const platform::WindowSpec& wanted);
  QScrollBar* scrollBar() const { return scroll_; }
  PaintArea* area() const { return area_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QtWindows& owner_;
  PaintArea* area_;
  QScrollBar* scroll_;
};

// Window services on Qt Widgets. Commands from menus and buttons reach the core
// through the event queue, as messages did, so a command may safely replace the
// menu bar or destroy the window that sent it.
class QtWindows : public QObject,
                  public platform::Boxes,
                  public platform::Windows,
                  public platform::Menus,
                  public platform::MainLoop,
                  public platform::Programs {
  Q_OBJECT
public:
  QtWindows();
  ~QtWindows() override;
  void attach(AppContext& app) { app_ = &app; }
  // Called after every tick with the values it left (the web server takes its copy there).
  void setAfterTick(std::function<void(const AppContext&)> afterTick) { afterTick_ = std::move(afterTick); }
  AppContext* app() const { return app_; }

  // Runs the event loop until the core asks to quit; returns the quit code.
  int exec();
  bool quitRequested() const { return quit_; }

  void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override;
  void ownerlessMessageBox(const std::string& text, const std::string& caption,
                           platform::BoxIcon icon) override;
  void beep(platform::BeepKind kind) override;

  platform::ScreenSize screenSize() override;
  bool registerWindowClasses() override;
  bool createWindow(platform::WindowId window, const platform::WindowSpec& wanted) override;
  void showWindow(platform::WindowId window, platform::ShowMode mode) override;
  void updateWindow(platform::WindowId window) override;
  void destroyWindow(platform::WindowId window) override;
  bool windowExists(platform::WindowId window) override;
  void raiseWindow(platform::WindowId window) override;
  platform::ScreenSize windowOuterSize(platform::WindowId window) override;
  void setTitle(platform::WindowId window, const std::string& title) override;
  void invalidate(platform::WindowId window) override;

  bool createEditField(platform::WindowId parent, const platform::ControlRect& rect,
                       std::size_t maxChars) override;
  bool createButton(platform::WindowId parent, const platform::ControlRect& rect, const std::string& text,
                    int commandId) override;
  void setEditText(platform::WindowId parent, const std::string& text) override;
  std::string editText(platform::WindowId parent, std::size_t maxChars) override;

  void setMenuBar(const platform::MenuBar& bar) override;
  void checkMenuItem(int commandId, bool checked) override;
  void enableMenuItem(int commandId, bool enabled) override;

  void startTimer(int periodMs) override;
  void stopTimer() override;
  void postQuit(int exitCode) override;
  void setScrollPosition(int position) override;

  bool startProgram(const std::string& program) override;

  // The widget of a window, or nullptr.
  QWidget* widget(platform::WindowId window) const;
  MainWindow* mainWindow() const;
  // The menu action of a command, or nullptr.
  QAction* action(int commandId) const;
  // Front-end events handed to the core.
  void paint(platform::WindowId window, QPaintDevice& device, QColor background, QSize size);
  void postCommand(platform::WindowId from, int commandId);
  void scrollAction(int action);
  void mainWindowClosed();
  const QIcon& icon() const { return icon_; }

private:
  void showBox(const std::string& text, const std::string& caption, platform::BoxIcon icon, QWidget* owner);

  AppContext* app_ = nullptr;
  std::function<void(const AppContext&)> afterTick_;
  std::map<platform::WindowId, QPointer<QWidget>> windows_;
  std::map<int, QAction*> actions_;
  std::map<int, bool> checked_;
  std::vector<QPointer<QMenu>> menus_;
  int scrollPosition_ = 100;
  QTimer timer_;
  QIcon icon_;
  bool quit_ = false;
  int quitCode_ = 0;
};

// The program's own 32 x 32 icon: a small barogram trace on a dial.
QIcon makeProgramIcon();

} // namespace baromon::qt
