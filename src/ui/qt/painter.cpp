// The Painter on QPainter, the skin image cache and window fonts.
#include <QFileInfo>
#include <cmath>
#include <optional>
#include <QTextDocument>
#include <unordered_map>

#include "ui/application.h"
#include "ui/attributes.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

// Images by full path; a file that cannot be read is remembered as null, so a
// broken image costs one attempt until the cache is cleared.
std::unordered_map<std::string, QImage>& imageCache() {
  static std::unordered_map<std::string, QImage> cache;
  return cache;
}

// Images scaled to the size they are drawn at, so a repaint (the lighting
// previews repaint their lights many times a second) only copies pixels.
// Bounded: it starts afresh when full.
constexpr std::size_t kScaledCacheLimit = 256;

std::unordered_map<std::string, QImage>& scaledCache() {
  static std::unordered_map<std::string, QImage> cache;
  return cache;
}

const QImage& scaledImage(const std::string& file, const QImage& image, const QRect& source,
                          const QSize& size) {
  const std::string key = file + '|' + std::to_string(source.x()) + ',' + std::to_string(source.y()) +
                          ',' + std::to_string(source.width()) + ',' + std::to_string(source.height()) +
                          '|' + std::to_string(size.width()) + 'x' + std::to_string(size.height());
  auto& cache = scaledCache();
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  if (cache.size() >= kScaledCacheLimit) cache.clear();
  QImage scaled = image.copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return cache.emplace(key, std::move(scaled)).first->second;
}

std::string fullPath(const std::string& file) {
  if (QFileInfo(qs(file)).isAbsolute()) return file;
  Application* app = Application::instance();
  return app ? app->resolve(file) : file;
}

// Device pixels per logical pixel where the painter draws now (the display's
// scale factor on screen, the canvas's in an offscreen rendering).
double deviceRatio(const QPainter& p) {
  const QTransform t = p.combinedTransform();
  return std::max(1.0, std::hypot(t.m11(), t.m12()));
}

// A skin image for drawing at `ratio`: the "@2x" file beside it when the ratio
// asks for more pixels than the file has and the skin has one.
struct PickedImage {
  std::string file;
  const QImage* image = nullptr;
  int scale = 1;
};

PickedImage pickImage(const std::string& file, double ratio) {
  if (ratio > 1.0) {
    const auto slash = file.find_last_of("/\\");
    const auto dot = file.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string doubled =
        hasExtension ? file.substr(0, dot) + "@2x" + file.substr(dot) : file + "@2x";
    if (const QImage* image = skinImage(doubled)) return {std::move(doubled), image, 2};
  }
  return {file, skinImage(file), 1};
}

// The part of the picked image a description's source rectangle (in the
// plain file's pixels) covers.
QRect sourceRect(const PickedImage& picked, const std::optional<Rect>& source) {
  if (!source) return picked.image->rect();
  const QRect r = qrect(*source);
  return {r.x() * picked.scale, r.y() * picked.scale, r.width() * picked.scale,
          r.height() * picked.scale};
}

// The destination's size in device pixels.
QSize deviceSize(const Rect& dest, double ratio) {
  return {std::max(1, static_cast<int>(std::lround(dest.width() * ratio))),
          std::max(1, static_cast<int>(std::lround(dest.height() * ratio)))};
}

QRectF qrectf(const Rect& r) {
  return QRectF(r.left, r.top, r.width(), r.height());
}

// Degrees clockwise (ours) to Qt's sixteenths counter-clockwise.
int qtAngle(double degrees) {
  return static_cast<int>(std::lround(-degrees * 16.0));
}

Qt::Alignment qtAlign(unsigned align) {
  Qt::Alignment a;
  a |= (align & kAlignHCenter) ? Qt::AlignHCenter
       : (align & kAlignRight) ? Qt::AlignRight
                               : Qt::AlignLeft;
  a |= (align & kAlignTop)      ? Qt::AlignTop
       : (align & kAlignBottom) ? Qt::AlignBottom
                                : Qt::AlignVCenter;
  return a;
}

}  // namespace

const QImage* skinImage(const std::string& file) {
  const std::string path = fullPath(file);
  auto& cache = imageCache();
  auto it = cache.find(path);
  if (it == cache.end()) it = cache.emplace(path, QImage(qs(path))).first;
  return it->second.isNull() ? nullptr : &it->second;
}

void clearImageCache() {
  imageCache().clear();
  scaledCache().clear();
}

QFont fontFor(const Window* window, int index) {
  QFont f;
  if (!window) return f;
  const Window::Font font = window->font(index);
  if (!font.family.empty()) f.setFamily(qs(font.family));
  f.setPixelSize(std::max(1, window->scaled(font.size)));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  return f;
}

void QtPainter::fillRect(const Rect& r, Color c) {
  p_.fillRect(qrect(r), qcolor(c));
}

void QtPainter::strokeRect(const Rect& r, Color c, int penWidth) {
  p_.save();
  p_.setPen(QPen(qcolor(c), penWidth));
  p_.setBrush(Qt::NoBrush);
  p_.drawRect(qrectf(r).adjusted(penWidth / 2.0, penWidth / 2.0, -penWidth / 2.0, -penWidth / 2.0));
  p_.restore();
}

void QtPainter::fillEllipse(const Rect& r, Color c) {
  p_.save();
  p_.setPen(Qt::NoPen);
  p_.setBrush(qcolor(c));
  p_.drawEllipse(qrectf(r));
  p_.restore();
}

void QtPainter::strokeEllipse(const Rect& r, Color c, int penWidth) {
  p_.save();
  p_.setPen(QPen(qcolor(c), penWidth));
  p_.setBrush(Qt::NoBrush);
  p_.drawEllipse(qrectf(r));
  p_.restore();
}

void QtPainter::fillPie(const Rect& r, double startDeg, double sweepDeg, Color c) {
  p_.save();
  p_.setPen(Qt::NoPen);
  p_.setBrush(qcolor(c));
  if (sweepDeg >= 360.0 || sweepDeg <= -360.0)
    p_.drawEllipse(qrectf(r));
  else
    p_.drawPie(qrectf(r), qtAngle(startDeg), qtAngle(sweepDeg));
  p_.restore();
}

void QtPainter::strokeArc(const Rect& r, double startDeg, double sweepDeg, Color c, int penWidth) {
  p_.save();
  p_.setPen(QPen(qcolor(c), penWidth));
  p_.drawArc(qrectf(r), qtAngle(startDeg), qtAngle(sweepDeg));
  p_.restore();
}

void QtPainter::drawLine(Point from, Point to, Color c, int penWidth) {
  p_.save();
  p_.setPen(QPen(qcolor(c), penWidth));
  p_.drawLine(from.x, from.y, to.x, to.y);
  p_.restore();
}

void QtPainter::drawText(const Rect& r, std::string_view utf8, const TextStyle& style) {
  if (r.empty() || utf8.empty()) return;
  p_.save();
  p_.setFont(fontFor(window_, style.font));
  p_.setPen(qcolor(style.color));
  if (style.html) {
    QTextDocument doc;
    doc.setDefaultFont(p_.font());
    doc.setDocumentMargin(0);
    doc.setHtml(qs(utf8));
    doc.setTextWidth(r.width());
    const double y = (style.align & kAlignTop)      ? 0.0
                     : (style.align & kAlignBottom) ? r.height() - doc.size().height()
                                                    : (r.height() - doc.size().height()) / 2.0;
    p_.setClipRect(qrect(r), Qt::IntersectClip);
    p_.translate(r.left, r.top + y);
    doc.drawContents(&p_);
  } else {
    int flags = static_cast<int>(qtAlign(style.align));
    flags |= style.singleLine ? Qt::TextSingleLine : Qt::TextWordWrap;
    p_.drawText(qrect(r), flags, qs(utf8));
  }
  p_.restore();
}

bool QtPainter::drawImage(std::string_view description, const Rect& dest) {
  auto d = parseImageDescription(description);
  if (!d) return false;
  const double ratio = deviceRatio(p_);
  const PickedImage picked = pickImage(d->file, ratio);
  if (!picked.image) return false;
  if (dest.empty()) return true;
  const QImage& scaled = scaledImage(picked.file, *picked.image, sourceRect(picked, d->source),
                                     deviceSize(dest, ratio));
  p_.save();
  p_.setOpacity(d->fade / 255.0);
  p_.drawImage(qrectf(dest), scaled);
  p_.restore();
  return true;
}

bool QtPainter::drawTintedImage(std::string_view description, const Rect& dest, Color color,
                                int alpha) {
  auto d = parseImageDescription(description);
  if (!d || dest.empty()) return false;
  const double ratio = deviceRatio(p_);
  const PickedImage picked = pickImage(d->file, ratio);
  if (!picked.image) return false;
  // The image at the destination's size, its opaque parts covered by the tint.
  QImage layer = scaledImage(picked.file, *picked.image, sourceRect(picked, d->source),
                             deviceSize(dest, ratio));
  {
    QPainter lp(&layer);
    lp.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QColor tint = qcolor(color | 0xFF000000u);
    tint.setAlpha(std::clamp(alpha, 0, 255));
    lp.fillRect(layer.rect(), tint);
  }
  p_.drawImage(qrectf(dest), layer);
  return true;
}

void QtPainter::pushClip(const Rect& r) {
  p_.save();
  p_.setClipRect(qrect(r), p_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  ++clipDepth_;
}

void QtPainter::popClip() {
  if (clipDepth_ == 0) return;
  --clipDepth_;
  p_.restore();
}

void QtPainter::setAntialiasing(bool on) {
  p_.setRenderHint(QPainter::Antialiasing, on);
}

}  // namespace varnacle::ui
