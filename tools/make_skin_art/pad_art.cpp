#include "pad_art.h"

#include "paint_helpers.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <string>

namespace varnacle::tools {

namespace {

constexpr QRgb kSurfaceLight = 0xFF2C333C;
constexpr QRgb kSurfaceDark = 0xFF14181D;
constexpr QRgb kRim = 0xFF5D6875;
constexpr QRgb kGroove = 0xFF0B0E11;
constexpr QRgb kWeave = 0xFF3A424C;
constexpr QRgb kAccent = 0xFF0199CB;
// Unlit light strips: a neutral grey the tint covers.
constexpr QRgb kLightCore = 0xFFB4BAC2;
constexpr QRgb kLightEdge = 0xFF8D949D;

QRectF boxRect(const LightBox& b) {
  return QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

bool vertical(int n) {
  return n < 5 || n >= 10;
}

// The lit strip of light n, in picture coordinates: a rounded bar along its
// edge with a small gap to its neighbours.
QPainterPath stripShape(int n) {
  const QRectF box = boxRect(kPadLightBoxes[static_cast<std::size_t>(n)]);
  const QRectF bar = vertical(n) ? box.adjusted(5, 2, -5, -2) : box.adjusted(2, 5, -2, -5);
  QPainterPath shape;
  shape.addRoundedRect(bar, 3, 3);
  return shape;
}

QImage padBody() {
  QImage image = blank(QSize(kPadWidth, kPadHeight));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF outline(1.5, 1.5, kPadWidth - 3, kPadHeight - 3);

  QLinearGradient fill(outline.topLeft(), outline.bottomRight());
  fill.setColorAt(0, QColor::fromRgba(kSurfaceLight));
  fill.setColorAt(1, QColor::fromRgba(kSurfaceDark));
  p.setPen(QPen(QColor::fromRgba(kRim), 1.5));
  p.setBrush(fill);
  p.drawRoundedRect(outline, 14, 14);

  // A fine weave over the cloth, inside the rim.
  p.save();
  QPainterPath cloth;
  cloth.addRoundedRect(outline.adjusted(22, 10, -22, -24), 8, 8);
  p.setClipPath(cloth);
  p.setPen(QPen(withAlpha(kWeave, 90), 0.6));
  for (int d = -kPadHeight; d < kPadWidth; d += 6)
    p.drawLine(QPointF(d, 0), QPointF(d + kPadHeight, kPadHeight));
  QRadialGradient sheen(QPointF(90, 100), 120);
  sheen.setColorAt(0, withAlpha(0xFFFFFFFF, 22));
  sheen.setColorAt(1, withAlpha(0xFFFFFFFF, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sheen);
  p.drawPath(cloth);
  p.restore();

  // The channel the light strips sit in: down the left edge, along the
  // bottom, up the right edge.
  QPainterPath channel(QPointF(12, 12));
  channel.lineTo(12, 236);
  channel.quadTo(12, 246, 22, 246);
  channel.lineTo(178, 246);
  channel.quadTo(188, 246, 188, 236);
  channel.lineTo(188, 12);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor::fromRgba(kGroove), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(channel);

  // The cable's socket at the top and a small accent mark in the corner.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgba(kGroove));
  p.drawRoundedRect(QRectF(88, 1, 24, 8), 3, 3);
  p.setBrush(withAlpha(kAccent, 160));
  p.drawEllipse(QRectF(150, 20, 8, 8));
  return image;
}

QImage strip(int n) {
  const QRectF box = boxRect(kPadLightBoxes[static_cast<std::size_t>(n)]);
  QImage image = blank(box.size().toSize());
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(-box.topLeft());
  p.setClipRect(box);
  const QPainterPath shape = stripShape(n);
  p.setBrush(Qt::NoBrush);
  for (const auto& [width, alpha] : {std::pair{6.0, 36}, std::pair{3.0, 70}}) {
    p.setPen(QPen(withAlpha(kLightCore, alpha), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
  }
  QLinearGradient fill(box.topLeft(), box.bottomRight());
  fill.setColorAt(0, QColor::fromRgba(kLightCore));
  fill.setColorAt(1, QColor::fromRgba(kLightEdge));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(shape);
  return image;
}

}  // namespace

std::vector<ArtFile> padLightingArt() {
  std::vector<ArtFile> art;
  art.push_back({"mp/pad_body.png", padBody});
  for (int n = 0; n < static_cast<int>(kPadLightBoxes.size()); ++n)
    art.push_back({"mp/light_" + std::to_string(n) + ".png", [n] { return strip(n); }});
  return art;
}

}  // namespace varnacle::tools
