// Reading SVG documents back: the XML check and the rendering into a
// picture, so that written documents can be verified.
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cstring>
#include <string>

#include "winkit/vimage.h"

namespace vimage {

bool IsWellFormedXML(const std::string& text, std::string& error) {
  // The document type names an external DTD; the reader does not fetch it.
  QXmlStreamReader reader(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  while (!reader.atEnd()) reader.readNext();
  if (!reader.hasError()) return true;
  error = reader.errorString().toStdString() + " at line " + std::to_string(reader.lineNumber());
  return false;
}

bool RenderSVG(const std::string& document, CImage& image, std::string& error) {
  if (!IsWellFormedXML(document, error)) return false;
  QSvgRenderer renderer(QByteArray(document.data(), static_cast<qsizetype>(document.size())));
  const QSize size = renderer.defaultSize();
  if (!renderer.isValid() || size.isEmpty()) {
    error = "not an SVG document the renderer can read";
    return false;
  }
  if (!image.Init(size.width(), size.height())) {
    error = "picture too large";
    return false;
  }
  QImage target(size, QImage::Format_ARGB32);
  target.fill(Qt::white);
  QPainter painter(&target);
  renderer.render(&painter);
  painter.end();
  for (int y = 0; y < size.height(); ++y)
    std::memcpy(image.Row(y), target.constScanLine(y), static_cast<size_t>(size.width()) * 4);
  return true;
}

}  // namespace vimage
