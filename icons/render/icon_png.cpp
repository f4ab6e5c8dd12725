// ombrix-icon-png: renders an SVG icon into PNG files of the hicolor icon
// theme's sizes, <out>/<size>x<size>/apps/<name>.png. A build tool, not part
// of the program's layered libraries, so it uses Qt directly.
#include <QFileInfo>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

namespace {

bool WritePng(const QImage& image, const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile file(path);  // replaces the old file only when written whole
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
    std::fprintf(stderr, "ombrix-icon-png: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "Usage: ombrix-icon-png <icon.svg> <out-folder> <size>...\n");
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "ombrix-icon-png: %s is not an SVG document\n", argv[1]);
    return 1;
  }
  const QString name = QFileInfo(QString::fromLocal8Bit(argv[1])).completeBaseName();
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 8 || size > 1024) {
      std::fprintf(stderr, "ombrix-icon-png: size %s out of 8 to 1024\n", argv[i]);
      return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    const QString path = QString("%1/%2x%2/apps/%3.png").arg(QString::fromLocal8Bit(argv[2])).arg(size).arg(name);
    if (!WritePng(image, path)) return 1;
  }
  return 0;
}
