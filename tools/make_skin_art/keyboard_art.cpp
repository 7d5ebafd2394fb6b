#include "keyboard_art.h"

#include "paint_helpers.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <set>
#include <string>
#include <utility>

namespace varnacle::tools {

namespace {

constexpr QRgb kAccent = 0xFF0199CB;
constexpr QRgb kCaseLight = 0xFF3A424D;
constexpr QRgb kCaseDark = 0xFF171B21;
constexpr QRgb kRim = 0xFF5D6875;
constexpr QRgb kPlate = 0xFF0E1115;
constexpr QRgb kCapTop = 0xFF2E3540;
constexpr QRgb kCapBottom = 0xFF222830;
constexpr QRgb kCapEdge = 0xFF48525E;
// Unlit lighting-page caps: a neutral grey the tint covers.
constexpr QRgb kLightCore = 0xFFB4BAC2;
constexpr QRgb kLightEdge = 0xFF8D949D;

QRectF boxRect(const LightBox& b) {
  return QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

bool empty(const LightBox& b) { return b.right <= b.left || b.bottom <= b.top; }

// The case with a dark plate under each block of keys, so the picture reads
// as a keyboard where keys are missing too.
QImage keyboardBody() {
  QImage image = blank(QSize(kKeyboardWidth, kKeyboardHeight));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF outline(0.75, 0.75, kKeyboardWidth - 1.5, kKeyboardHeight - 1.5);
  QLinearGradient fill(outline.topLeft(), outline.bottomLeft());
  fill.setColorAt(0, QColor::fromRgba(kCaseLight));
  fill.setColorAt(1, QColor::fromRgba(kCaseDark));
  p.setPen(QPen(QColor::fromRgba(kRim), 1.5));
  p.setBrush(fill);
  p.drawRoundedRect(outline, 10, 10);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgba(kPlate));
  for (const LightBox& b : kKeyboardKeyBoxes)
    if (!empty(b)) p.drawRoundedRect(boxRect(b).adjusted(-2, -2, 2, 2), 4, 4);
  return image;
}

enum class CapLook { normal, hot, light };

// One key cap filling an image of `size`: a rounded top with a lighter rim;
// the hot cap is ringed and washed with the accent colour.
QImage keyCap(QSize size, CapLook look) {
  QImage image = blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF cap = logicalRect(image).adjusted(0.75, 0.75, -0.75, -0.75);
  QLinearGradient fill(cap.topLeft(), cap.bottomLeft());
  if (look == CapLook::light) {
    fill.setColorAt(0, QColor::fromRgba(kLightCore));
    fill.setColorAt(1, QColor::fromRgba(kLightEdge));
    p.setPen(Qt::NoPen);
  } else {
    fill.setColorAt(0, QColor::fromRgba(kCapTop));
    fill.setColorAt(1, QColor::fromRgba(kCapBottom));
    p.setPen(look == CapLook::hot ? QPen(QColor::fromRgba(kAccent), 1.5)
                                  : QPen(QColor::fromRgba(kCapEdge), 1.0));
  }
  p.setBrush(fill);
  p.drawRoundedRect(cap, 4, 4);
  if (look == CapLook::hot) {
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(kAccent, 90));
    p.drawRoundedRect(cap, 4, 4);
  }
  return image;
}

// The distinct cap sizes of the layout, in a fixed order.
std::set<std::pair<int, int>> capSizes() {
  std::set<std::pair<int, int>> sizes;
  for (const LightBox& b : kKeyboardKeyBoxes)
    if (!empty(b)) sizes.insert({b.right - b.left, b.bottom - b.top});
  return sizes;
}

}  // namespace

std::vector<ArtFile> keyboardArt() {
  std::vector<ArtFile> art;
  art.push_back({"kb/keyboard_body.png", keyboardBody});
  for (const auto& [w, h] : capSizes()) {
    const std::string stem = "kb/cap_" + std::to_string(w) + "x" + std::to_string(h);
    const QSize size(w, h);
    art.push_back({stem + ".png", [size] { return keyCap(size, CapLook::normal); }});
    art.push_back({stem + "_hot.png", [size] { return keyCap(size, CapLook::hot); }});
    art.push_back({stem + "_light.png", [size] { return keyCap(size, CapLook::light); }});
  }
  return art;
}

}  // namespace varnacle::tools
