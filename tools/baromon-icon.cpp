// baromon-icon: the program icon of the Windows build, data/baromon.ico, from the
// scalable icon data/baromon.svg (run by scripts/make-windows-icon).
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 3) {
    std::fputs("Usage: baromon-icon ICON.svg ICON.ico\n", stderr);
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "baromon-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  // One 32 x 32 picture with an alpha channel: the size of the window classes' icon.
  QImage picture(32, 32, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  svg.render(&painter);
  painter.end();
  QImageWriter writer(QString::fromLocal8Bit(argv[2]), "ico");
  if (!writer.write(picture)) {
    std::fprintf(stderr, "baromon-icon: cannot write %s: %s\n", argv[2], qPrintable(writer.errorString()));
    return 1;
  }
  return 0;
}
