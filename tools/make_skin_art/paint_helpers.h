#pragma once
// Small drawing helpers the skin's art generators share.
#include <QColor>
#include <QImage>
#include <QSize>

namespace varnacle::tools {

inline QColor withAlpha(QRgb rgb, int alpha) {
  QColor c = QColor::fromRgba(rgb);
  c.setAlpha(alpha);
  return c;
}

// A transparent image to draw on.
inline QImage blank(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace varnacle::tools
