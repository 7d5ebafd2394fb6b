#include "skin_art.h"

#include "paint_helpers.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <array>
#include <cmath>
#include <numbers>

#include "macro_art.h"
#include "keyboard_art.h"
#include "mouse_art.h"
#include "pad_art.h"

namespace varnacle::tools {

namespace {

constexpr QRgb kAccent = 0xFF0199CB;
constexpr QRgb kAccentDeep = 0xFF016E94;
constexpr QRgb kGlyph = 0xFFB8C4D0;  // the title bar's text colour
constexpr QRgb kCloseHot = 0xFFD9363E;

// The main window's size, and its thumbnail at the same proportions.
constexpr QSize kBackgroundSize{800, 572};
constexpr QSize kThumbnailSize{88, 63};
// Title-bar buttons and device tabs as the main layout sizes them.
constexpr QSize kTitleButtonSize{40, 32};
constexpr QSize kTabSize{120, 36};
constexpr QSize kIconSize{64, 64};
// The background chooser's page buttons and colour swatches.
constexpr QSize kPageButtonSize{150, 32};
constexpr QSize kSwatchSize{50, 30};

// ---- Backgrounds ---------------------------------------------------------------

enum class Pattern { Diamonds, Hexagons, Stripes, Rings, Grid, Triangles };

// One background: a diagonal gradient, a soft glow and a faint pattern that
// fades out towards the lower left, where the pages sit.
struct Theme {
  const char* file;
  QRgb light;  // upper left
  QRgb dark;   // lower right
  QRgb glow;
  Pattern pattern;
};

// The default first, then the offered ones (their thumbnails carry the same name
// with "_thumb" and "_thumb_hot").
constexpr std::array<Theme, 6> kThemes = {{
    {"common/background.png", 0xFF1C232C, 0xFF0D1116, kAccent, Pattern::Diamonds},
    {"bg/bg_1.png", 0xFF0E2740, 0xFF060F1A, 0xFF2C7BE5, Pattern::Hexagons},
    {"bg/bg_2.png", 0xFF0E2E2C, 0xFF051312, 0xFF1FB89A, Pattern::Stripes},
    {"bg/bg_3.png", 0xFF26173A, 0xFF0C0714, 0xFF8E5BD9, Pattern::Rings},
    {"bg/bg_4.png", 0xFF2B2F36, 0xFF121418, kAccent, Pattern::Grid},
    {"bg/bg_5.png", 0xFF321A16, 0xFF120807, 0xFFE0703A, Pattern::Triangles},
}};

// Parallel lines at `degrees` from the horizontal, `spacing` apart, covering
// an area of `size`.
void lineFamily(QPainter& p, QSize size, double degrees, double spacing) {
  const double a = degrees * std::numbers::pi / 180.0;
  const QPointF dir(std::cos(a), std::sin(a));
  const QPointF normal(-dir.y(), dir.x());
  const double reach = std::hypot(size.width(), size.height());
  const QPointF centre(size.width() / 2.0, size.height() / 2.0);
  for (double d = -reach; d <= reach; d += spacing) {
    const QPointF base = centre + normal * d;
    p.drawLine(base - dir * reach, base + dir * reach);
  }
}

void drawPattern(QPainter& p, QSize size, Pattern pattern) {
  const double w = size.width();
  const double h = size.height();
  switch (pattern) {
    case Pattern::Diamonds:
      lineFamily(p, size, 30, 46);
      lineFamily(p, size, -30, 46);
      break;
    case Pattern::Hexagons: {
      const double r = 30;
      const double rowStep = std::sqrt(3.0) * r;
      int column = 0;
      for (double x = 0; x < w + r; x += 1.5 * r, ++column) {
        for (double y = (column % 2) ? rowStep / 2 : 0; y < h + r; y += rowStep) {
          QPolygonF hex;
          for (int k = 0; k < 6; ++k) {
            const double a = k * std::numbers::pi / 3.0;
            hex << QPointF(x + r * std::cos(a), y + r * std::sin(a));
          }
          p.drawPolygon(hex);
        }
      }
      break;
    }
    case Pattern::Stripes:
      lineFamily(p, size, -40, 18);
      break;
    case Pattern::Rings:
      for (double radius = 40; radius < w * 1.4; radius += 34)
        p.drawEllipse(QPointF(w * 0.08, h * 1.05), radius, radius);
      break;
    case Pattern::Grid:
      lineFamily(p, size, 0, 32);
      lineFamily(p, size, 90, 32);
      break;
    case Pattern::Triangles:
      lineFamily(p, size, 0, 40);
      lineFamily(p, size, 60, 40);
      lineFamily(p, size, 120, 40);
      break;
  }
}

QImage background(const Theme& theme) {
  QImage image(kBackgroundSize, QImage::Format_ARGB32_Premultiplied);
  const QRectF area(QPointF(0, 0), QSizeF(kBackgroundSize));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient base(area.topLeft(), area.bottomRight());
  base.setColorAt(0, QColor::fromRgba(theme.light));
  base.setColorAt(1, QColor::fromRgba(theme.dark));
  p.fillRect(area, base);

  QRadialGradient glow(QPointF(area.width() * 0.82, area.height() * 0.08), area.width() * 0.7);
  glow.setColorAt(0, withAlpha(theme.glow, 56));
  glow.setColorAt(1, withAlpha(theme.glow, 0));
  p.fillRect(area, glow);

  // The pattern on a layer of its own, faded from the upper right to nothing.
  QImage layer = blank(kBackgroundSize);
  {
    QPainter lp(&layer);
    lp.setRenderHint(QPainter::Antialiasing);
    lp.setPen(QPen(withAlpha(0xFFFFFFFF, 22), 1.0));
    lp.setBrush(Qt::NoBrush);
    drawPattern(lp, kBackgroundSize, theme.pattern);
    lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QLinearGradient fade(area.topRight(), area.bottomLeft());
    fade.setColorAt(0, withAlpha(0xFFFFFFFF, 255));
    fade.setColorAt(0.75, withAlpha(0xFFFFFFFF, 40));
    fade.setColorAt(1, withAlpha(0xFFFFFFFF, 0));
    lp.fillRect(area, fade);
  }
  p.drawImage(0, 0, layer);

  // A quiet vignette keeps the edges calm.
  QRadialGradient vignette(area.center(), area.width() * 0.75);
  vignette.setColorAt(0.6, withAlpha(0xFF000000, 0));
  vignette.setColorAt(1, withAlpha(0xFF000000, 90));
  p.fillRect(area, vignette);
  return image;
}

QImage thumbnail(const Theme& theme, bool hot) {
  QImage image =
      background(theme).scaled(kThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QPainter p(&image);
  const QRectF frame = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  if (hot) {
    p.setPen(QPen(QColor::fromRgba(kAccent), 2.0));
    p.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
  } else {
    p.setPen(QPen(withAlpha(0xFFFFFFFF, 48), 1.0));
    p.drawRect(frame);
  }
  return image;
}

std::string thumbnailName(const Theme& theme, bool hot) {
  std::string name = theme.file;
  name.resize(name.size() - 4);  // ".png"
  return name + (hot ? "_thumb_hot.png" : "_thumb.png");
}

// ---- Title-bar buttons -----------------------------------------------------------

enum class Glyph { Close, Min, Max, Restore, Skin };
enum class State { Normal, Hot, Pushed };

void drawTitleGlyph(QPainter& p, Glyph glyph, QColor colour) {
  const QPointF c(kTitleButtonSize.width() / 2.0, kTitleButtonSize.height() / 2.0);
  QPen pen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const double s = 5.5;  // half the glyph's size
  switch (glyph) {
    case Glyph::Close:
      p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
      p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
      break;
    case Glyph::Min:
      p.drawLine(c + QPointF(-s, 0), c + QPointF(s, 0));
      break;
    case Glyph::Max:
      p.drawRoundedRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s), 1.5, 1.5);
      break;
    case Glyph::Restore: {
      const double k = 2.5;  // the offset of the window behind
      p.drawRoundedRect(QRectF(c.x() - s, c.y() - s + k, 2 * s - k, 2 * s - k), 1.5, 1.5);
      QPainterPath behind;
      behind.moveTo(c.x() - s + k, c.y() - s + k);
      behind.lineTo(c.x() - s + k, c.y() - s);
      behind.lineTo(c.x() + s, c.y() - s);
      behind.lineTo(c.x() + s, c.y() + s - k);
      behind.lineTo(c.x() + s - k, c.y() + s - k);
      p.drawPath(behind);
      break;
    }
    case Glyph::Skin: {
      const QRectF disc(c.x() - s - 0.5, c.y() - s - 0.5, 2 * s + 1, 2 * s + 1);
      p.drawEllipse(disc);
      p.setBrush(colour);
      p.drawPie(disc, 90 * 16, 180 * 16);
      break;
    }
  }
}

QImage titleButton(Glyph glyph, State state) {
  QImage image = blank(kTitleButtonSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = logicalRect(image).adjusted(2, 2, -2, -2);
  QColor glyphColour = QColor::fromRgba(kGlyph);
  if (state != State::Normal) {
    QColor fill = state == State::Hot ? withAlpha(0xFFFFFFFF, 30) : withAlpha(kAccent, 210);
    if (glyph == Glyph::Close) fill = withAlpha(kCloseHot, state == State::Hot ? 220 : 255);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(area, 4, 4);
    glyphColour = Qt::white;
  }
  drawTitleGlyph(p, glyph, glyphColour);
  return image;
}

struct TitleButton {
  const char* name;
  Glyph glyph;
};
constexpr std::array<TitleButton, 5> kTitleButtons = {{
    {"closebtn", Glyph::Close},
    {"minbtn", Glyph::Min},
    {"maxbtn", Glyph::Max},
    {"restorebtn", Glyph::Restore},
    {"skinbtn", Glyph::Skin},
}};

struct StateName {
  const char* suffix;
  State state;
};
constexpr std::array<StateName, 3> kStates = {{
    {"normal", State::Normal},
    {"hot", State::Hot},
    {"pushed", State::Pushed},
}};

// ---- Device glyphs: icon and tabs --------------------------------------------------

// A mouse seen from above inside `box`, outlined (or filled with a line for the
// buttons when `filled`).
void drawMouse(QPainter& p, const QRectF& box, QColor colour, bool filled, double pen) {
  const QRectF body = box.adjusted(box.width() * 0.2, 0, -box.width() * 0.2, 0);
  const double r = body.width() / 2;
  const double split = body.top() + body.height() * 0.4;
  p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(filled ? QBrush(colour) : Qt::NoBrush);
  p.drawRoundedRect(body, r, r);
  const QColor cut = filled ? withAlpha(kAccentDeep, 255) : colour;
  p.setPen(QPen(cut, pen, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(body.left() + pen, split), QPointF(body.right() - pen, split));
  p.drawLine(QPointF(body.center().x(), body.top() + pen), QPointF(body.center().x(), split));
  // The wheel, in the accent colour.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgba(kAccent));
  const double wheelW = body.width() * 0.16;
  const double wheelH = body.height() * 0.16;
  p.drawRoundedRect(
      QRectF(body.center().x() - wheelW / 2, body.top() + body.height() * 0.12, wheelW, wheelH),
      wheelW / 2, wheelW / 2);
}

void drawKeyboard(QPainter& p, const QRectF& box, QColor colour) {
  const QRectF body = box.adjusted(0, box.height() * 0.2, 0, -box.height() * 0.2);
  p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(body, 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const double key = 2.0;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 5; ++col) {
      const double x = body.left() + 3.5 + col * (body.width() - 7 - key) / 4;
      const double y = body.top() + 3.5 + row * 3.5;
      p.drawRect(QRectF(x, y, key, key));
    }
  }
  p.drawRoundedRect(
      QRectF(body.left() + body.width() * 0.3, body.bottom() - 4.5, body.width() * 0.4, 1.8), 0.9,
      0.9);
}

void drawPad(QPainter& p, const QRectF& box, QColor colour) {
  const QRectF body = box.adjusted(0, box.height() * 0.22, 0, -box.height() * 0.22);
  p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(body, 3, 3);
  // The light strip along its edge, in the accent colour.
  p.setPen(QPen(QColor::fromRgba(kAccent), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(body.left() + 3, body.bottom() - 3),
             QPointF(body.right() - 3, body.bottom() - 3));
}

enum class Device { Keyboard, Mouse, Pad };

QImage deviceTab(Device device, bool selected) {
  QImage image = blank(kTabSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = logicalRect(image);
  if (selected) {
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(kAccent, 40));
    p.drawRoundedRect(area.adjusted(0, 0, 0, -1), 5, 5);
    p.setBrush(QColor::fromRgba(kAccent));
    p.drawRect(QRectF(area.left() + 12, area.bottom() - 3, area.width() - 24, 3));
  }
  const QColor colour = selected ? QColor(Qt::white) : withAlpha(kGlyph, 210);
  const QRectF box(10, (area.height() - 22) / 2, 22, 22);
  switch (device) {
    case Device::Keyboard:
      drawKeyboard(p, box, colour);
      break;
    case Device::Mouse:
      drawMouse(p, box, colour, false, 1.5);
      break;
    case Device::Pad:
      drawPad(p, box, colour);
      break;
  }
  return image;
}

struct Tab {
  const char* name;
  Device device;
};
constexpr std::array<Tab, 3> kTabs = {{
    {"kb", Device::Keyboard},
    {"ms", Device::Mouse},
    {"mp", Device::Pad},
}};

// The program icon drawn on a square of kIconSize units.
void paintProgramIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(QPointF(0, 0), QSizeF(kIconSize)).adjusted(2, 2, -2, -2);
  QLinearGradient fill(area.topLeft(), area.bottomRight());
  fill.setColorAt(0, QColor::fromRgba(kAccent));
  fill.setColorAt(1, QColor::fromRgba(kAccentDeep));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(area, 14, 14);
  drawMouse(p, area.adjusted(14, 9, -14, -9), QColor(Qt::white), true, 2.2);
}

QImage programIcon() {
  return programIconImage(kIconSize.width());
}

// ---- The background chooser ---------------------------------------------------------

// The page button under the pointer (faint) or showing its page (accent bar).
QImage pageButton(bool selected) {
  QImage image = blank(kPageButtonSize);
  QPainter p(&image);
  const QRectF area = logicalRect(image);
  p.fillRect(area, withAlpha(selected ? kAccent : 0xFFFFFFFF, selected ? 36 : 18));
  if (selected)
    p.fillRect(QRectF(area.left(), area.bottom() - 2, area.width(), 2), QColor::fromRgba(kAccent));
  return image;
}

// A light frame over the colour swatch under the pointer.
QImage swatchFrame() {
  QImage image = blank(kSwatchSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(withAlpha(0xFFFFFFFF, 220), 2.0));
  p.drawRect(logicalRect(image).adjusted(1, 1, -1, -1));
  return image;
}

}  // namespace

QImage programIconImage(int size) {
  QImage image = blank(QSize(size, size));
  QPainter p(&image);
  p.scale(double(size) / kIconSize.width(), double(size) / kIconSize.height());
  paintProgramIcon(p);
  return image;
}

bool writeProgramIconSvg(const QString& file) {
  QSvgGenerator svg;
  svg.setFileName(file);
  svg.setSize(kIconSize);
  svg.setViewBox(QRect(QPoint(0, 0), kIconSize));
  svg.setTitle(QStringLiteral("varnacle-driver"));
  QPainter p;
  if (!p.begin(&svg)) return false;
  paintProgramIcon(p);
  return p.end();
}

std::string doubledName(const std::string& path) {
  const auto dot = path.rfind('.');
  return dot == std::string::npos ? path + "@2x" : path.substr(0, dot) + "@2x" + path.substr(dot);
}

std::vector<ArtFile> skinArt() {
  std::vector<ArtFile> art;
  for (const Theme& theme : kThemes) {
    // Backgrounds are soft gradients: one size serves every scale.
    art.push_back({theme.file, [&theme] { return background(theme); }, false});
    if (&theme == &kThemes.front()) continue;  // the default is offered by the reset
    for (bool hot : {false, true})
      art.push_back(
          {thumbnailName(theme, hot), [&theme, hot] { return thumbnail(theme, hot); }, false});
  }
  for (const TitleButton& button : kTitleButtons) {
    for (const StateName& state : kStates) {
      art.push_back({std::string("common/") + button.name + "_" + state.suffix + ".png",
                     [&button, &state] { return titleButton(button.glyph, state.state); }});
    }
  }
  art.push_back({"common/icon.png", programIcon});
  for (const Tab& tab : kTabs) {
    for (bool selected : {false, true}) {
      art.push_back({std::string("common/tab_") + tab.name + (selected ? "_sel" : "") + ".png",
                     [&tab, selected] { return deviceTab(tab.device, selected); }});
    }
  }
  art.push_back({"common/skin_page_hot.png", [] { return pageButton(false); }});
  art.push_back({"common/skin_page_sel.png", [] { return pageButton(true); }});
  art.push_back({"common/skin_swatch_hot.png", swatchFrame});
  for (ArtFile& file : mouseLightingArt()) art.push_back(std::move(file));
  for (ArtFile& file : mouseButtonArt()) art.push_back(std::move(file));
  for (ArtFile& file : padLightingArt()) art.push_back(std::move(file));
  for (ArtFile& file : macroArt()) art.push_back(std::move(file));
  for (ArtFile& file : keyboardArt()) art.push_back(std::move(file));
  return art;
}

}  // namespace varnacle::tools
