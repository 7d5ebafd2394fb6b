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

// How many pixels the images drawn now get per pixel of their size: 1 for
// the plain files, 2 for the "@2x" files of displays scaled to 200 %.
inline int& artScale() {
  static int scale = 1;
  return scale;
}

// A transparent image to draw on, `size` in the plain file's pixels: a painter
// on it draws in those, whatever the scale.
inline QImage blank(QSize size) {
  QImage image(size * artScale(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(artScale());
  image.fill(Qt::transparent);
  return image;
}

// An image's area in the plain file's pixels.
inline QRectF logicalRect(const QImage& image) {
  return QRectF(QPointF(0, 0), image.deviceIndependentSize());
}

}  // namespace varnacle::tools
