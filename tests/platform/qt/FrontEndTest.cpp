#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>

#include "core/state/AppContext.h"
#include "core/program/InfoTexts.h"
#include "core/program/Startup.h"
#include "core/config/Settings.h"
#include "core/config/Menus.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/qt/QtFrontEnd.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPorts.h"
#include "support/OtherProcess.h"
#include "support/TempDir.h"
#include "support/qt/RecordingQtWindows.h"

namespace baromon {
namespace {

using platform::WindowId;

// The test program's environment makes the one application object.
void requireApplication() { ASSERT_NE(QCoreApplication::instance(), nullptr); }

// A monitor on the Qt front end, with real files in a private directory.
struct QtApp {
  QtApp() {
    requireApplication();
    windows.modalBoxes = false;
    windows.attach(app);
  }
  ~QtApp() { QCoreApplication::processEvents(); }
  fakes::TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeSerialPorts ports;
  platform::GraphicsObjects graphics;
  fakes::RecordingQtWindows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics}};

  QStringList menuTitles() {
    QStringList titles;
    for (QAction* a : windows.mainWindow()->menuBar()->actions()) {
      titles << a->text();
    }
    return titles;
  }
  void settle() {
    for (int i = 0; i < 5; ++i) {
      QCoreApplication::processEvents();
    }
  }
};

TEST(QtFrontEnd, StartUpShowsTheMainWindowMenuScrollBarAndTimer) {
  QtApp q;
  q.ports.add("COM2");
  ASSERT_EQ(startUp(q.app), 0);
  q.settle();
  qt::MainWindow* main = q.windows.mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(main->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(main->scrollBar()->minimum(), 0);
  EXPECT_EQ(main->scrollBar()->maximum(), 100);
  EXPECT_EQ(main->scrollBar()->value(), 100);
  EXPECT_EQ(q.menuTitles(), (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "&Einstellungen", "&Hilfe"}));
  QAction* check = q.windows.action(cmd::CheckLog);
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->text(), QString::fromUtf8("Messdaten &pr\xC3\xBC"
                                             "fen"));
  EXPECT_TRUE(q.windows.action(cmd::Step5)->isChecked());
  EXPECT_FALSE(q.windows.action(cmd::LangDutch)->isEnabled());
  EXPECT_FALSE(q.windows.action(cmd::Com3)->isEnabled());
  EXPECT_FALSE(main->windowIcon().isNull());
  EXPECT_EQ(shutDown(q.app, 0), 0);
}

TEST(QtFrontEnd, MenuCommandsArriveThroughTheQueueAndKeepTheMarks) {
  QtApp q;
  ASSERT_EQ(startUp(q.app), 0);
  q.windows.shownBoxes.clear();
  q.windows.action(cmd::ToggleT1)->trigger();
  EXPECT_EQ(q.app.settings.drawTendency1h, 1) << "not yet: commands are queued";
  q.settle();
  EXPECT_EQ(q.app.settings.drawTendency1h, 0);
  EXPECT_FALSE(q.windows.action(cmd::ToggleT1)->isChecked());

  // A command that is no option must not leave a mark behind.
  q.windows.action(cmd::Help)->trigger();
  q.settle();
  EXPECT_FALSE(q.windows.action(cmd::Help)->isChecked());
  ASSERT_EQ(q.windows.shownBoxes.size(), 1u);

  // The language command replaces the very menu that sent it.
  q.windows.action(cmd::LangEnglish)->trigger();
  q.settle();
  EXPECT_EQ(q.menuTitles(), (QStringList{"&File", "&Edit", "&View", "&Setup", "&Help"}));
  EXPECT_TRUE(q.windows.action(cmd::LangEnglish)->isChecked());
  EXPECT_FALSE(q.windows.action(cmd::ToggleT1)->isChecked());
  shutDown(q.app, 0);
}

TEST(QtFrontEnd, CorrectionPopupTakesTheEntry) {
  QtApp q;
  ASSERT_EQ(startUp(q.app), 0);
  q.app.settings.heightCorrection = -250;
  q.windows.action(cmd::Correction)->trigger();
  q.settle();
  auto* popup = qobject_cast<qt::ProgramWindow*>(q.windows.widget(WindowId::Correction));
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->isVisible());
  EXPECT_TRUE(popup->windowFlags() & Qt::FramelessWindowHint);
  ASSERT_NE(popup->edit, nullptr);
  EXPECT_EQ(popup->edit->maxLength(), 20);
  EXPECT_EQ(popup->edit->text(), "-2.50");
  popup->edit->setText("1,5");
  popup->button->click();
  q.settle();
  EXPECT_EQ(q.app.settings.heightCorrection, 150);
  EXPECT_EQ(q.windows.widget(WindowId::Correction), nullptr);
  shutDown(q.app, 0);
}

// The popup as a keyboard user meets it: the old value selected, so typing replaces it;
// Enter takes the entry, Escape leaves the correction as it was, Ctrl+A selects all.
struct KeyedPopup {
  QtApp q;
  explicit KeyedPopup(int hk) {
    EXPECT_EQ(startUp(q.app), 0);
    q.app.settings.heightCorrection = hk;
    open();
  }
  void open() {
    q.windows.action(cmd::Correction)->trigger();
    q.settle();
  }
  QLineEdit* edit() {
    auto* popup = qobject_cast<qt::ProgramWindow*>(q.windows.widget(WindowId::Correction));
    return popup != nullptr ? popup->edit : nullptr;
  }
  ~KeyedPopup() { shutDown(q.app, 0); }
};

TEST(QtFrontEnd, CorrectionPopupKeys) {
  {
    SCOPED_TRACE("typing over the selected value, then Enter");
    KeyedPopup p(-250);
    QLineEdit* edit = p.edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->selectedText(), "-2.50");
    QTest::keyClick(edit, Qt::Key_2);
    EXPECT_EQ(edit->text(), "2");
    QTest::keyClick(edit, Qt::Key_Return);
    p.q.settle();
    EXPECT_EQ(p.q.app.settings.heightCorrection, 200);
    EXPECT_EQ(p.q.windows.widget(WindowId::Correction), nullptr);
  }
  {
    SCOPED_TRACE("Escape");
    KeyedPopup p(125);
    ASSERT_NE(p.edit(), nullptr);
    QTest::keyClick(p.edit(), Qt::Key_7);
    QTest::keyClick(p.edit(), Qt::Key_Escape);
    p.q.settle();
    EXPECT_EQ(p.q.windows.widget(WindowId::Correction), nullptr);
    EXPECT_EQ(p.q.app.settings.heightCorrection, 125);
    p.open();
    ASSERT_NE(p.edit(), nullptr);
    EXPECT_EQ(p.edit()->text(), "1.25");
  }
  {
    SCOPED_TRACE("Ctrl+A");
    KeyedPopup p(0);
    QLineEdit* edit = p.edit();
    ASSERT_NE(edit, nullptr);
    edit->setCursorPosition(2);
    EXPECT_FALSE(edit->hasSelectedText());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), "0.00");
    QTest::keyClicks(edit, "3,5");
    QTest::keyClick(edit, Qt::Key_Enter);
    p.q.settle();
    EXPECT_EQ(p.q.app.settings.heightCorrection, 350);
  }
}

// The popup is 280 x 140 pixels outside with a 1-pixel border; its prompt and
// controls are placed in the client area inside the border.
TEST(QtFrontEnd, CorrectionPopupHasItsOuterSizeAndClientCoordinates) {
  QtApp q;
  ASSERT_EQ(startUp(q.app), 0);
  q.windows.action(cmd::Correction)->trigger();
  q.settle();
  auto* popup = qobject_cast<qt::ProgramWindow*>(q.windows.widget(WindowId::Correction));
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->frameGeometry().size(), QSize(280, 140));
  EXPECT_EQ(q.windows.windowOuterSize(WindowId::Correction).width, 280);
  EXPECT_EQ(q.windows.windowOuterSize(WindowId::Correction).height, 140);
  EXPECT_EQ(popup->client()->geometry(), QRect(1, 1, 278, 138));
  EXPECT_EQ(popup->edit->mapTo(popup, QPoint(0, 0)), QPoint(21, 41));
  EXPECT_EQ(popup->edit->size(), QSize(100, 25));
  EXPECT_EQ(popup->button->mapTo(popup, QPoint(0, 0)), QPoint(21, 81));
  EXPECT_EQ(popup->button->size(), QSize(100, 25));

  const QImage picture = popup->grab().toImage();
  ASSERT_EQ(picture.size(), QSize(280, 140));
  for (auto [x, y] :
       {std::pair{0, 0}, {279, 0}, {0, 139}, {279, 139}, {140, 0}, {140, 139}, {0, 70}, {279, 70}}) {
    EXPECT_EQ(picture.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
  }
  EXPECT_EQ(picture.pixel(1, 1), qRgb(192, 192, 192));
  EXPECT_EQ(picture.pixel(278, 138), qRgb(192, 192, 192));
  // The prompt hangs from the client point (20, 10): no ink left of or above it.
  int firstInkX = picture.width(), firstInkY = picture.height();
  for (int y = 1; y < 40; ++y) {
    for (int x = 1; x < 279; ++x) {
      if (picture.pixel(x, y) == qRgb(0, 0, 0)) {
        firstInkX = std::min(firstInkX, x);
        firstInkY = std::min(firstInkY, y);
      }
    }
  }
  EXPECT_GE(firstInkX, 21);
  EXPECT_LE(firstInkX, 23);
  EXPECT_GE(firstInkY, 11);
  shutDown(q.app, 0);
}

namespace {

QMessageBox* openBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
      return box;
    }
  }
  return nullptr;
}

// Runs the event loop until `done` holds. The deadline only keeps a broken
// program from hanging the test; nothing is asserted about the time taken.
bool runUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(30000);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

} // namespace

// A box waits for the user in a loop of its own: the 200 ms ticks go on meanwhile,
// so the sentences are read and a five-minute boundary is recorded; a box without
// owner (the information boxes) blocks no window, and a box owned by the main
// window blocks only that one.
TEST(QtFrontEnd, TicksAndRecordingGoOnWhileABoxIsOpen) {
  struct Case {
    const char* legend;
    int command;
    bool owned;
  } cases[] = {{"help", cmd::Help, false},
               {"about", cmd::About, false},
               {"spectrum program missing", cmd::Spectrum, true},
               {"log check", cmd::CheckLog, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    QtApp q;
    q.windows.modalBoxes = true;
    q.ports.add("COM2");
    q.clock.utc = {2026, 12, 7, 7, 4, 58, 1};
    ASSERT_EQ(startUp(q.app), 0);
    q.settle();
    ASSERT_EQ(openBox(), nullptr);

    // Steps taken from a timer while the box is open; they only look and feed,
    // so every tick and command in between runs in the box's own loop.
    bool sawBox = false;
    bool blocksNothing = false;
    bool ownedByMain = false;
    std::string recordedWhileOpen;
    bool t1OffWhileOpen = false;
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
      QMessageBox* box = openBox();
      if (box == nullptr) {
        return;
      }
      if (!sawBox) {
        sawBox = true;
        blocksNothing =
            QGuiApplication::modalWindow() == nullptr && QApplication::activeModalWidget() == nullptr;
        ownedByMain =
            box->parentWidget() == q.windows.mainWindow() && box->windowModality() == Qt::WindowModal;
        // The barograph sends its sentence at the boundary; only timer ticks can read it.
        q.clock.utc = {2026, 12, 7, 7, 5, 0, 1};
        q.ports.feed("COM2", "$PXDR,1013.25,52684,+00.5,-01.0\r\n");
      } else if (recordedWhileOpen.empty()) {
        if (q.dir.exists("monitor.txt") && q.dir.read("monitor.txt").size() >= 80) {
          recordedWhileOpen = q.dir.read("monitor.txt");
          // A menu command given meanwhile is carried out while the box is still open.
          q.windows.action(cmd::ToggleT1)->trigger();
        }
      } else if (q.app.settings.drawTendency1h == 0) {
        t1OffWhileOpen = true;
        box->accept();
      }
    });
    driver.start();
    q.windows.postCommand(WindowId::Main, c.command);
    ASSERT_TRUE(runUntil([&] { return sawBox && openBox() == nullptr; }));
    driver.stop();

    EXPECT_EQ(q.windows.shownBoxes.size(), 1u);
    if (c.owned) {
      EXPECT_TRUE(ownedByMain) << "an owned box is modal to the main window only";
    } else {
      EXPECT_TRUE(blocksNothing) << "a box without owner leaves every window usable";
    }
    ASSERT_EQ(recordedWhileOpen.size(), 80u);
    EXPECT_EQ(recordedWhileOpen.substr(0, 33), "000001 07.12.2026 07:05 1013,25 h");
    EXPECT_EQ(q.app.reading.pressure, 101325);
    EXPECT_TRUE(t1OffWhileOpen);
    shutDown(q.app, 0);
  }
}

TEST(QtFrontEnd, ScrollArrowsMoveTheThumbWhereTheProgramPutsIt) {
  QtApp q;
  std::string log;
  for (int i = 0; i < 1000; ++i) {
    char line[96];
    std::snprintf(line, sizeof line,
                  "%06d 01.12.2026 %02d:%02d 1013,25 hPa +00,5 hPa/hr -01,0 hPa/3h 00,2 hPa/h var 0\r\n",
                  i + 1, (i / 12) % 24, (i % 12) * 5);
    log += line;
  }
  q.dir.write("monitor.txt", log);
  ASSERT_EQ(startUp(q.app), 0);
  QScrollBar* bar = q.windows.mainWindow()->scrollBar();
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(q.app.view.scrollOffset, 73);
  EXPECT_EQ(bar->value(), 93);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(bar->value(), 100);
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(bar->value(), 100) << "only the arrows and the page clicks act";
  shutDown(q.app, 0);
}

TEST(QtFrontEnd, PaintsTheBarogramAndEndsOnTheCloseBox) {
  QtApp q;
  ASSERT_EQ(startUp(q.app), 0);
  q.settle();
  QImage picture = q.windows.mainWindow()->area()->grab().toImage();
  int dark = 0;
  for (int y = 0; y < picture.height(); y += 2) {
    for (int x = 0; x < picture.width(); x += 2) {
      dark += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
    }
  }
  EXPECT_GT(dark, 50) << "frame and scale texts are drawn";
  q.windows.mainWindow()->close();
  EXPECT_TRUE(q.windows.quitRequested());
  EXPECT_EQ(q.windows.exec(), 0);
  EXPECT_EQ(shutDown(q.app, 0), 0);
}

// The window front end refuses a directory where another monitor runs before it makes
// a window, with one box.
TEST(QtFrontEnd, ASecondMonitorInTheDirectoryMakesNoWindow) {
  QtApp q;
  q.ports.add("COM2");
  fakes::HeldByOtherProcess running(q.dir.path());
  ASSERT_TRUE(running.held());
  platform::PosixDirectoryLock lock(q.dir.path());
  q.app.platform.monitorLock = &lock;
  EXPECT_EQ(startUp(q.app), kAnotherMonitorRunning);
  q.settle();
  EXPECT_EQ(q.windows.mainWindow(), nullptr);
  EXPECT_EQ(q.windows.shownBoxes,
            std::vector<std::string>{std::string("baromon: ") + anotherMonitorText(German)});
  EXPECT_TRUE(q.dir.snapshot().empty());
  EXPECT_TRUE(q.ports.opens.empty());
}

} // namespace
} // namespace baromon
