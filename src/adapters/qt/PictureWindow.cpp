#include "adapters/qt/PictureWindow.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <clocale>
#include <cstdio>
#include <memory>

#include "adapters/qt/QtCanvas.h"
#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

namespace {

class PictureWidget : public QWidget {
public:
  PictureWidget(platform::GraphicsObjects& objects, PaintFunction paint)
      : objects_(objects), paint_(std::move(paint)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QImage buffer = makeBackBuffer(std::max(1, width()), std::max(1, height()));
    {
      QtCanvas canvas(objects_, buffer);
      paint_(canvas);
    }
    QPainter painter(this);
    blitBackBuffer(painter, buffer);
  }

private:
  platform::GraphicsObjects& objects_;
  PaintFunction paint_;
};

std::unique_ptr<QApplication> applicationIfNeeded() {
  if (QCoreApplication::instance() != nullptr) {
    return nullptr;
  }
  static int argc = 1;
  static char name[] = "dft";
  static char* argv[] = {name, nullptr};
  auto application = std::make_unique<QApplication>(argc, argv);
  // Qt adopts the user's locale; the numbers in the picture keep their point.
  std::setlocale(LC_NUMERIC, "C");
  return application;
}

// Qt ends the program when it finds no screen; without one named anywhere, say so instead.
bool screenReachable() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int runPictureWindow(platform::GraphicsObjects& objects, const std::string& title, int width, int height,
                     const PaintFunction& paint, const std::string& grabTo) {
  if (!screenReachable()) {
    std::fputs("dft: no display to show the window on (DISPLAY is not set); use --out FILE\n", stderr);
    return 1;
  }
  const auto application = applicationIfNeeded();
  PictureWidget window(objects, paint);
  window.setWindowTitle(fromWindows1252(title));
  window.resize(width, height);
  window.show();
  if (grabTo.empty()) {
    return QApplication::exec();
  }
  QCoreApplication::processEvents();
  const bool saved = window.grab().save(QString::fromLocal8Bit(grabTo.c_str()), "PNG");
  window.close();
  return saved ? 0 : 1;
}

void showErrorBox(const std::string& text, const std::string& caption) {
  if (!screenReachable()) {
    return; // the message is on standard error already
  }
  const auto application = applicationIfNeeded();
  QMessageBox::critical(nullptr, fromWindows1252(caption), fromWindows1252(text));
}

} // namespace baromon::qt
