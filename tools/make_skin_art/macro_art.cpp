#include "macro_art.h"

#include <QPainter>
#include <QPolygonF>

#include "paint_helpers.h"

namespace varnacle::tools {

namespace {

// The size of the state label (macro_label_down_style, macro_label_up_style).
constexpr QSize kMarkSize(64, 30);
constexpr QRgb kAccent = 0xFF0199CB;
constexpr QRgb kMuted = 0xFFB8C4D0;

// An arrow in the middle of the mark: down (a press) in the accent colour,
// up (a release) muted.
QImage mark(bool press) {
  QImage image = blank(kMarkSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  const QColor colour = withAlpha(press ? kAccent : kMuted, 235);
  p.setBrush(colour);
  const double d = press ? 1 : -1;
  p.drawRect(QRectF(30.5, press ? 8 : 14, 3, 8));
  QPolygonF head;
  head << QPointF(32, 15 + 7 * d) << QPointF(26.5, 15 + 1 * d) << QPointF(37.5, 15 + 1 * d);
  p.drawPolygon(head);
  return image;
}

}  // namespace

std::vector<ArtFile> macroArt() {
  return {{"macro/press.png", [] { return mark(true); }},
          {"macro/release.png", [] { return mark(false); }}};
}

}  // namespace varnacle::tools
