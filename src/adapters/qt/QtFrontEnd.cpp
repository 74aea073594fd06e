#include "adapters/qt/QtFrontEnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "core/state/AppContext.h"
#include "core/program/WindowProcedure.h"
#include "adapters/posix/Programs.h"
#include "adapters/qt/QtCanvas.h"
#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

using platform::WindowId;

namespace {

// What a caption and frame take of a window's outer size; the program gives outer sizes.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;
constexpr int kBorder = 1; // the bordered popup's own border, each side

QColor backgroundOf(platform::WindowClass windowClass) {
  return windowClass == platform::WindowClass::LightGrey ? QColor(192, 192, 192) : QColor(255, 255, 255);
}

} // namespace

QIcon makeProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 70), 2));
  p.setBrush(QColor(250, 240, 230));
  p.drawEllipse(QRectF(2, 2, 28, 28));
  QPainterPath trace;
  trace.moveTo(6, 17);
  trace.cubicTo(10, 12, 13, 12, 16, 16);
  trace.cubicTo(19, 20, 22, 22, 26, 13);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(30, 30, 160), 2));
  p.drawPath(trace);
  p.setPen(QPen(QColor(200, 30, 30), 2));
  p.drawLine(QPointF(16, 16), QPointF(22, 7));
  p.end();
  return QIcon(pixmap);
}

// ---------------------------------------------------------------- PaintArea

PaintArea::PaintArea(QtWindows& owner, WindowId id, QColor background, QWidget* parent)
    : QWidget(parent), owner_(owner), id_(id), background_(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintArea::paintEvent(QPaintEvent*) { owner_.paint(id_, *this, background_, size()); }

// ------------------------------------------------------------ ProgramWindow

ProgramWindow::ProgramWindow(QtWindows& owner, WindowId id, const platform::WindowSpec& wanted)
    : QWidget(nullptr, wanted.style == platform::WindowStyle::Popup ? Qt::Window | Qt::FramelessWindowHint
                                                                    : Qt::Window),
      owner_(owner), id_(id), background_(backgroundOf(wanted.windowClass)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowIcon(owner.icon());
  setWindowTitle(fromWindows1252(wanted.title));
  move(wanted.x, wanted.y);
  if (wanted.style == platform::WindowStyle::Popup) {
    resize(std::max(2 * kBorder + 1, wanted.width), std::max(2 * kBorder + 1, wanted.height));
    client_ = new PaintArea(owner, id, background_, this);
    client_->setGeometry(kBorder, kBorder, width() - 2 * kBorder, height() - 2 * kBorder);
  } else {
    resize(std::max(1, wanted.width - kFrameWidth), std::max(1, wanted.height - kFrameHeight));
  }
}

void ProgramWindow::paintEvent(QPaintEvent*) {
  if (client_ == nullptr) {
    owner_.paint(id_, *this, background_, size());
    return;
  }
  QPainter p(this);
  p.setPen(Qt::black);
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, width() - 1, height() - 1);
}

// Escape, which the entry field passes on, closes the correction popup and leaves the
// correction as it was (Enter is the field's, Ctrl+A too).
void ProgramWindow::keyPressEvent(QKeyEvent* event) {
  if (id_ == WindowId::Correction && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    owner_.destroyWindow(id_);
    return;
  }
  QWidget::keyPressEvent(event);
}

// --------------------------------------------------------------- MainWindow

MainWindow::MainWindow(QtWindows& owner, const platform::WindowSpec& wanted) : owner_(owner) {
  setWindowIcon(owner.icon());
  setWindowTitle(fromWindows1252(wanted.title));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  area_ = new PaintArea(owner, WindowId::Main, backgroundOf(wanted.windowClass), central);
  area_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  scroll_ = new QScrollBar(Qt::Horizontal, central);
  scroll_->setRange(0, 100);
  scroll_->setSingleStep(1);
  scroll_->setPageStep(10);
  scroll_->setValue(100);
  layout->addWidget(area_);
  layout->addWidget(scroll_);
  setCentralWidget(central);
  move(wanted.x, wanted.y);
  resize(std::max(1, wanted.width), std::max(1, wanted.height));
  connect(scroll_, &QAbstractSlider::actionTriggered, this,
          [this](int action) { owner_.scrollAction(action); });
  // The thumb only moves where the program puts it: a drag springs back.
  connect(scroll_, &QAbstractSlider::sliderReleased, this, [this] { owner_.scrollAction(-1); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  owner_.mainWindowClosed();
}

// ---------------------------------------------------------------- QtWindows

QtWindows::QtWindows() {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (app_ != nullptr) {
      onTimer(*app_);
      if (afterTick_) {
        afterTick_(*app_);
      }
    }
  });
}

QtWindows::~QtWindows() {
  timer_.stop();
  // Deleting a window reports back to the map, so the map is emptied first.
  std::vector<QPointer<QWidget>> left;
  for (auto& [id, w] : windows_) {
    left.push_back(w);
  }
  windows_.clear();
  for (auto& w : left) {
    delete w.data();
  }
  // Windows destroyed with deleteLater while no loop ran any more.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int QtWindows::exec() {
  if (!quit_) {
    QApplication::exec();
  }
  return quitCode_;
}

void QtWindows::messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) {
  showBox(text, caption, icon, mainWindow());
}

void QtWindows::ownerlessMessageBox(const std::string& text, const std::string& caption,
                                    platform::BoxIcon icon) {
  showBox(text, caption, icon, nullptr);
}

void QtWindows::showBox(const std::string& text, const std::string& caption, platform::BoxIcon icon,
                        QWidget* owner) {
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
  case platform::BoxIcon::Error:
    qicon = QMessageBox::Critical;
    break;
  case platform::BoxIcon::Information:
    qicon = QMessageBox::Information;
    break;
  case platform::BoxIcon::Warning:
    qicon = QMessageBox::Warning;
    break;
  case platform::BoxIcon::None:
    break;
  }
  // An owned box blocks its owner only, a box without owner no window at all (an
  // application-modal box would freeze every menu). The call waits for the box
  // in a loop of its own: the timer, and with it the acquisition, goes on, and
  // the commands of windows the box leaves usable are carried out meanwhile.
  // The box is not on the stack: its owner might go while the loop runs.
  QPointer<QMessageBox> box =
      new QMessageBox(qicon, fromWindows1252(caption), fromWindows1252(text), QMessageBox::Ok, owner);
  box->setWindowIcon(icon_);
  box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
  QEventLoop loop;
  connect(box.data(), &QDialog::finished, &loop, &QEventLoop::quit);
  connect(box.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
  box->show();
  loop.exec();
  delete box.data();
}

void QtWindows::beep(platform::BeepKind) { QApplication::beep(); }

void QtWindows::postQuit(int exitCode) {
  if (!quit_) {
    quit_ = true;
    quitCode_ = exitCode;
  }
  QCoreApplication::exit(exitCode);
}

QWidget* QtWindows::widget(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.data();
}

MainWindow* QtWindows::mainWindow() const { return qobject_cast<MainWindow*>(widget(WindowId::Main)); }

QAction* QtWindows::action(int commandId) const {
  auto it = actions_.find(commandId);
  return it == actions_.end() ? nullptr : it->second;
}

void QtWindows::setTitle(WindowId window, const std::string& title) {
  if (QWidget* w = widget(window)) {
    w->setWindowTitle(fromWindows1252(title));
  }
}

void QtWindows::invalidate(WindowId window) {
  if (window == WindowId::Main) {
    if (MainWindow* m = mainWindow()) {
      m->area()->update();
    }
  } else if (auto* pw = qobject_cast<ProgramWindow*>(widget(window))) {
    pw->client()->update();
  }
}

platform::ScreenSize QtWindows::screenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return {800, 600};
  }
  const QRect area = screen->availableGeometry();
  return {area.width(), area.height()};
}

bool QtWindows::registerWindowClasses() {
  icon_ = makeProgramIcon();
  QApplication::setWindowIcon(icon_);
  return !icon_.isNull();
}

bool QtWindows::createWindow(WindowId window, const platform::WindowSpec& wanted) {
  destroyWindow(window);
  QWidget* w = nullptr;
  if (window == WindowId::Main) {
    w = new MainWindow(*this, wanted);
  } else {
    auto* pw = new ProgramWindow(*this, window, wanted);
    // The close box destroys the window; the program's option stays as it is.
    connect(pw, &QObject::destroyed, this, [this, window, pw] {
      auto it = windows_.find(window);
      if (it != windows_.end() && (it->second.isNull() || it->second.data() == pw)) {
        windows_.erase(it);
      }
    });
    w = pw;
  }
  windows_[window] = w;
  return true;
}

void QtWindows::showWindow(WindowId window, platform::ShowMode mode) {
  QWidget* w = widget(window);
  if (w == nullptr) {
    return;
  }
  switch (mode) {
  case platform::ShowMode::Show:
    w->show();
    break;
  case platform::ShowMode::Hide:
    w->hide();
    break;
  case platform::ShowMode::ShowNormal:
    w->showNormal();
    break;
  case platform::ShowMode::ShowMaximized:
    w->showMaximized();
    break;
  }
}

void QtWindows::updateWindow(WindowId window) {
  QWidget* w = widget(window);
  if (window == WindowId::Main && mainWindow() != nullptr) {
    w = mainWindow()->area();
  } else if (auto* pw = qobject_cast<ProgramWindow*>(w)) {
    w = pw->client();
  }
  if (w != nullptr && w->isVisible()) {
    w->repaint();
  }
}

void QtWindows::destroyWindow(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) {
    return;
  }
  QPointer<QWidget> w = it->second;
  windows_.erase(it);
  if (!w.isNull()) {
    w->hide();
    // Later, so that a button may destroy its own window from its click.
    w->deleteLater();
  }
  if (window == WindowId::Main) {
    actions_.clear();
    checked_.clear();
    menus_.clear();
  }
}

bool QtWindows::windowExists(WindowId window) { return widget(window) != nullptr; }

void QtWindows::raiseWindow(WindowId window) {
  if (QWidget* w = widget(window)) {
    w->show();
    w->raise();
    w->activateWindow();
  }
}

platform::ScreenSize QtWindows::windowOuterSize(WindowId window) {
  QWidget* w = widget(window);
  if (w == nullptr) {
    return {};
  }
  const QRect frame = w->frameGeometry();
  return {frame.width(), frame.height()};
}

bool QtWindows::createEditField(WindowId parent, const platform::ControlRect& rect, std::size_t maxChars) {
  auto* pw = qobject_cast<ProgramWindow*>(widget(parent));
  if (pw == nullptr) {
    return false;
  }
  delete pw->edit;
  pw->edit = new QLineEdit(pw->client());
  pw->edit->setGeometry(rect.x, rect.y, rect.width, rect.height);
  pw->edit->setMaxLength(static_cast<int>(maxChars));
  pw->edit->show();
  pw->edit->setFocus();
  return true;
}

bool QtWindows::createButton(WindowId parent, const platform::ControlRect& rect, const std::string& text,
                             int commandId) {
  auto* pw = qobject_cast<ProgramWindow*>(widget(parent));
  if (pw == nullptr) {
    return false;
  }
  delete pw->button;
  pw->button = new QPushButton(fromWindows1252(text), pw->client());
  pw->button->setGeometry(rect.x, rect.y, rect.width, rect.height);
  pw->button->setDefault(true);
  pw->button->show();
  connect(pw->button, &QPushButton::clicked, this,
          [this, parent, commandId] { postCommand(parent, commandId); });
  if (pw->edit != nullptr) {
    connect(pw->edit, &QLineEdit::returnPressed, pw->button, &QPushButton::click);
  }
  return true;
}

void QtWindows::setEditText(WindowId parent, const std::string& text) {
  auto* pw = qobject_cast<ProgramWindow*>(widget(parent));
  if (pw != nullptr && pw->edit != nullptr) {
    pw->edit->setText(fromWindows1252(text));
    pw->edit->selectAll();
  }
}

std::string QtWindows::editText(WindowId parent, std::size_t maxChars) {
  auto* pw = qobject_cast<ProgramWindow*>(widget(parent));
  if (pw == nullptr || pw->edit == nullptr) {
    return {};
  }
  return toWindows1252(pw->edit->text()).substr(0, maxChars);
}

void QtWindows::setMenuBar(const platform::MenuBar& bar) {
  MainWindow* m = mainWindow();
  if (m == nullptr) {
    return;
  }
  QMenuBar* menuBar = m->menuBar();
  menuBar->clear();
  for (auto& menu : menus_) {
    if (!menu.isNull()) {
      menu->deleteLater();
    }
  }
  menus_.clear();
  actions_.clear();
  checked_.clear();
  for (const auto& popup : bar.popups) {
    QMenu* menu = menuBar->addMenu(fromWindows1252(popup.title));
    menus_.emplace_back(menu);
    for (const auto& item : popup.items) {
      if (item.separator) {
        menu->addSeparator();
        continue;
      }
      QAction* a = menu->addAction(fromWindows1252(item.text));
      const int id = item.id;
      actions_[id] = a;
      checked_[id] = item.checked;
      a->setCheckable(item.checked);
      a->setChecked(item.checked);
      a->setEnabled(item.enabled);
      connect(a, &QAction::triggered, this, [this, a, id] {
        // Qt flips a checkable action by itself; the program decides the marks.
        a->setChecked(checked_[id]);
        postCommand(WindowId::Main, id);
      });
    }
  }
}

void QtWindows::checkMenuItem(int commandId, bool checked) {
  if (QAction* a = action(commandId)) {
    checked_[commandId] = checked;
    a->setCheckable(checked);
    a->setChecked(checked);
  }
}

void QtWindows::enableMenuItem(int commandId, bool enabled) {
  if (QAction* a = action(commandId)) {
    a->setEnabled(enabled);
  }
}

void QtWindows::setScrollPosition(int position) {
  scrollPosition_ = position;
  if (MainWindow* m = mainWindow()) {
    m->scrollBar()->setSliderPosition(position);
    m->scrollBar()->setValue(position);
  }
}

void QtWindows::startTimer(int periodMs) { timer_.start(periodMs); }

void QtWindows::stopTimer() { timer_.stop(); }

bool QtWindows::startProgram(const std::string& program) { return platform::startDetachedProgram(program); }

void QtWindows::paint(WindowId window, QPaintDevice& device, QColor background, QSize size) {
  QImage buffer = makeBackBuffer(std::max(1, size.width()), std::max(1, size.height()));
  buffer.fill(background);
  if (app_ != nullptr) {
    QtCanvas canvas(app_->platform.graphics, buffer);
    paintWindow(*app_, window, canvas);
  }
  QPainter painter(&device);
  blitBackBuffer(painter, buffer);
}

void QtWindows::postCommand(WindowId from, int commandId) {
  QMetaObject::invokeMethod(
      this,
      [this, from, commandId] {
        if (app_ != nullptr && !quit_) {
          onCommand(*app_, from, commandId);
        }
      },
      Qt::QueuedConnection);
}

void QtWindows::scrollAction(int action) {
  MainWindow* m = mainWindow();
  int code = -1;
  switch (action) {
  case QAbstractSlider::SliderSingleStepSub:
    code = LineLeft;
    break;
  case QAbstractSlider::SliderSingleStepAdd:
    code = LineRight;
    break;
  case QAbstractSlider::SliderPageStepSub:
    code = PageLeft;
    break;
  case QAbstractSlider::SliderPageStepAdd:
    code = PageRight;
    break;
  case QAbstractSlider::SliderMove:
    return; // the drag itself; the thumb springs back on release
  default:
    break;
  }
  if (code >= 0 && app_ != nullptr) {
    onHorizontalScroll(*app_, code);
  } else if (m != nullptr) {
    m->scrollBar()->setSliderPosition(scrollPosition_);
    m->scrollBar()->setValue(scrollPosition_);
  }
}

void QtWindows::mainWindowClosed() {
  if (app_ != nullptr) {
    onMainWindowDestroyed(*app_);
  }
}

} // namespace baromon::qt
