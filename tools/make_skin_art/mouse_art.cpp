#include "mouse_art.h"

#include "paint_helpers.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <array>
#include <string>

namespace varnacle::tools {

namespace {

constexpr QRgb kAccent = 0xFF0199CB;
constexpr QRgb kShellLight = 0xFF434C58;
constexpr QRgb kShellDark = 0xFF1A1F26;
constexpr QRgb kRim = 0xFF5D6875;
constexpr QRgb kGroove = 0xFF0E1115;
constexpr QRgb kSeam = 0xFF12161B;
// Unlit light shapes: a neutral grey the tint covers.
constexpr QRgb kLightCore = 0xFFB4BAC2;
constexpr QRgb kLightEdge = 0xFF8D949D;

// Check boxes of the lighting page and the direction arrows.
constexpr QSize kCheckSize{120, 24};
constexpr QSize kArrowSize{24, 24};

QRectF boxRect(const LightBox& b) {
  return QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

// ---- Shapes shared by the body and the lights ---------------------------------------

// The shell seen from above: narrow, rounded front, a slight waist, a wider
// palm and a round back. Symmetric about the middle.
QPainterPath shellOutline() {
  QPainterPath p(QPointF(100, 4));
  p.cubicTo(66, 4, 40, 14, 34, 44);
  p.cubicTo(28, 80, 30, 120, 26, 160);
  p.cubicTo(22, 200, 10, 240, 12, 284);
  p.cubicTo(14, 322, 54, 336, 100, 336);
  p.cubicTo(146, 336, 186, 322, 188, 284);
  p.cubicTo(190, 240, 178, 200, 174, 160);
  p.cubicTo(170, 120, 172, 80, 166, 44);
  p.cubicTo(160, 14, 134, 4, 100, 4);
  p.closeSubpath();
  return p;
}

// The middle line of a side light strip, following the shell's edge.
QPainterPath sideStrip(bool right) {
  auto x = [right](double v) { return right ? kMouseWidth - v : v; };
  QPainterPath p(QPointF(x(44), 50));
  p.cubicTo(x(39), 84, x(41), 122, x(37), 160);
  p.cubicTo(x(33), 200, x(24), 240, x(26), 288);
  return p;
}

QPainterPath noseArc() {
  QPainterPath p(QPointF(86, 18));
  p.quadTo(100, 10, 114, 18);
  return p;
}

QPainterPath stroked(const QPainterPath& line, double width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(line);
}

// The lit shape of light n, in picture coordinates.
QPainterPath lightShape(int n) {
  const QRectF box = boxRect(kMouseLightBoxes[static_cast<std::size_t>(n)]);
  QPainterPath shape;
  if (n < 14) {
    // A segment of a side strip, with a small gap to its neighbours.
    QPainterPath clip;
    clip.addRect(box.adjusted(0, 1.5, 0, -1.5));
    shape = stroked(sideStrip(n >= 7), 7).intersected(clip);
  } else if (n < 18) {
    shape.addRoundedRect(QRectF(96, box.top() + 3, 8, box.height() - 6), 4, 4);
  } else if (n == 18) {
    shape.addRoundedRect(QRectF(94, 46, 12, 34), 6, 6);  // the wheel
  } else {
    shape = stroked(noseArc(), 5);
  }
  return shape;
}

// ---- The mouse body ----------------------------------------------------------------

void drawShell(QPainter& p) {
  const QPainterPath outline = shellOutline();
  QLinearGradient fill(QPointF(0, 0), QPointF(kMouseWidth, kMouseHeight));
  fill.setColorAt(0, QColor::fromRgba(kShellLight));
  fill.setColorAt(1, QColor::fromRgba(kShellDark));
  p.setPen(QPen(QColor::fromRgba(kRim), 1.5));
  p.setBrush(fill);
  p.drawPath(outline);

  // A soft sheen over the palm.
  QRadialGradient sheen(QPointF(86, 200), 90);
  sheen.setColorAt(0, withAlpha(0xFFFFFFFF, 26));
  sheen.setColorAt(1, withAlpha(0xFFFFFFFF, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sheen);
  p.drawPath(outline);
}

void drawButtonsAndWheel(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor::fromRgba(kSeam), 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(100, 6), QPointF(100, 38));
  p.drawLine(QPointF(100, 88), QPointF(100, 124));
  QPainterPath buttonEdge(QPointF(30, 122));
  buttonEdge.quadTo(100, 140, 170, 122);
  p.drawPath(buttonEdge);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgba(kGroove));
  p.drawRoundedRect(QRectF(89, 38, 22, 50), 9, 9);  // the wheel well
  p.setBrush(QColor(0x2A, 0x30, 0x38));
  p.drawRoundedRect(QRectF(93, 96, 14, 16), 4, 4);  // the DPI button
}

// Dark channels where the lights sit, so the picture reads well unlit too.
void drawGrooves(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor::fromRgba(kGroove), 11, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(sideStrip(false));
  p.drawPath(sideStrip(true));
  p.setPen(QPen(QColor::fromRgba(kGroove), 8, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(noseArc());
  p.setPen(QPen(QColor::fromRgba(kGroove), 12, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(100, kMouseLightBoxes[14].top + 4),
             QPointF(100, kMouseLightBoxes[17].bottom - 4));
}

QImage mouseBody() {
  QImage image = blank(QSize(kMouseWidth, kMouseHeight));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  drawShell(p);
  drawGrooves(p);
  drawButtonsAndWheel(p);
  return image;
}

// Light n in its own box: the shape in neutral grey with a faint halo, which
// the tint colours along with it.
QImage light(int n) {
  const QRectF box = boxRect(kMouseLightBoxes[static_cast<std::size_t>(n)]);
  QImage image = blank(box.size().toSize());
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(-box.topLeft());
  p.setClipRect(box);
  const QPainterPath shape = lightShape(n);
  p.setBrush(Qt::NoBrush);
  for (const auto& [width, alpha] : {std::pair{7.0, 36}, std::pair{4.0, 70}}) {
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

// ---- Controls of the page ------------------------------------------------------------

// A check box: the box at the left, ticked when on; the text is the control's.
QImage checkMark(bool on) {
  QImage image = blank(kCheckSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box(3, 3, 18, 18);
  p.setPen(QPen(on ? QColor::fromRgba(kAccent) : withAlpha(0xFFB8C4D0, 200), 1.5));
  p.setBrush(on ? QColor::fromRgba(kAccent) : withAlpha(0xFFFFFFFF, 14));
  p.drawRoundedRect(box, 4, 4);
  if (on) {
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick(QPointF(7, 12));
    tick.lineTo(10.5, 15.5);
    tick.lineTo(17, 8);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
  }
  return image;
}

QImage arrow(bool right, bool hot) {
  QImage image = blank(kArrowSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(withAlpha(hot ? kAccent : 0xFFFFFFFF, hot ? 60 : 18));
  p.drawEllipse(QRectF(1, 1, 22, 22));
  QPolygonF head;
  const double d = right ? 1 : -1;
  head << QPointF(12 + 4 * d, 12) << QPointF(12 - 3 * d, 6.5) << QPointF(12 - 3 * d, 17.5);
  p.setBrush(hot ? QColor(Qt::white) : withAlpha(0xFFB8C4D0, 230));
  p.drawPolygon(head);
  return image;
}

// ---- The button page ------------------------------------------------------------------

// The part of the mouse that button n is, in picture coordinates.
QPainterPath buttonShape(int n) {
  QPainterPath shape;
  switch (n) {
    case 0:
    case 2: {
      // A front half of the shell, down to the buttons' edge, less the wheel well.
      QPainterPath half;
      half.addRect(n == 0 ? QRectF(0, 0, 99, 131) : QRectF(101, 0, 99, 131));
      QPainterPath edge(QPointF(0, 0));
      edge.lineTo(200, 0);
      edge.lineTo(200, 122);
      edge.quadTo(100, 140, 0, 122);
      edge.closeSubpath();
      QPainterPath well;
      well.addRoundedRect(QRectF(88, 37, 24, 52), 10, 10);
      shape = shellOutline().intersected(half).intersected(edge).subtracted(well);
      break;
    }
    case 1:
      shape.addRoundedRect(QRectF(92, 40, 16, 46), 7, 7);
      break;
    case 3:
    case 4: {
      const LightBox& b = kMouseButtonBoxes[static_cast<std::size_t>(n)];
      shape.addRoundedRect(
          QRectF(b.left + 3, b.top + 2, b.right - b.left - 6, b.bottom - b.top - 4), 5, 5);
      break;
    }
    default: {
      const LightBox& b = kMouseButtonBoxes[static_cast<std::size_t>(n)];
      shape.addRoundedRect(
          QRectF(b.left + 1, b.top + 1, b.right - b.left - 2, b.bottom - b.top - 2), 3, 3);
      break;
    }
  }
  return shape;
}

// Button n in its own box: a faint outline normally, filled with the accent
// colour while the pointer is on its label.
QImage buttonImage(int n, bool down) {
  const LightBox& b = kMouseButtonBoxes[static_cast<std::size_t>(n)];
  const QRectF box(b.left, b.top, b.right - b.left, b.bottom - b.top);
  QImage image = blank(box.size().toSize());
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(-box.topLeft());
  const QPainterPath shape = buttonShape(n);
  p.setPen(QPen(down ? QColor::fromRgba(kAccent) : withAlpha(0xFFB8C4D0, 90), down ? 2.0 : 1.2));
  p.setBrush(down ? withAlpha(kAccent, 120) : withAlpha(0xFFFFFFFF, 10));
  p.drawPath(shape);
  return image;
}

}  // namespace

std::vector<ArtFile> mouseButtonArt() {
  static constexpr std::array<const char*, 7> kNames = {"left", "wheel",   "right",  "forward",
                                                        "back", "dpi_add", "dpi_sub"};
  std::vector<ArtFile> art;
  for (int n = 0; n < static_cast<int>(kNames.size()); ++n) {
    for (bool down : {false, true}) {
      art.push_back({std::string("ms/key_") + kNames[static_cast<std::size_t>(n)] +
                         (down ? "_down.png" : "_normal.png"),
                     [n, down] { return buttonImage(n, down); }});
    }
  }
  return art;
}

std::vector<ArtFile> mouseLightingArt() {
  std::vector<ArtFile> art;
  art.push_back({"ms/mouse_body.png", mouseBody});
  for (int n = 0; n < static_cast<int>(kMouseLightBoxes.size()); ++n)
    art.push_back({"ms/light_" + std::to_string(n) + ".png", [n] { return light(n); }});
  art.push_back({"ms/check_off.png", [] { return checkMark(false); }});
  art.push_back({"ms/check_on.png", [] { return checkMark(true); }});
  for (bool right : {false, true}) {
    const std::string stem = right ? "ms/arrow_right" : "ms/arrow_left";
    art.push_back({stem + ".png", [right] { return arrow(right, false); }});
    art.push_back({stem + "_hot.png", [right] { return arrow(right, true); }});
  }
  return art;
}

}  // namespace varnacle::tools
