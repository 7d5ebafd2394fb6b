// The Painter on QPainter, the skin image cache and window fonts.
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <QTextDocument>
#include <unordered_map>

#include "ui/application.h"
#include "ui/attributes.h"
#include "ui/qt/backdrop.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

// Images by full path; a file that cannot be read is remembered as null, so a
// broken image costs one attempt until the cache is cleared.
std::unordered_map<std::string, QImage>& imageCache() {
  static std::unordered_map<std::string, QImage> cache;
  return cache;
}

// Tinted layers: an image at the size it is drawn at with its opaque parts
// covered by a tint (source-atop), alone or over the image itself, by image
// and tint. A light repainted in several parts of a frame, or again with the
// colour it had, is tinted once. The previews' colours come from a wheel of
// 192 hues, so a picture's layers repeat once the wheel has gone round: the
// bound is set in bytes to hold a keyboard's keys in most of the wheel's
// colours. It starts afresh when full and is emptied with the scaled images.
constexpr qsizetype kTintedCacheBytes = 8 << 20;

struct TintKey {
  const QImage* scaled;
  QRgb tint;  // the colour with the tint's alpha
  bool overImage;
  friend bool operator==(const TintKey&, const TintKey&) = default;
};

struct TintKeyHash {
  std::size_t operator()(const TintKey& k) const {
    return (std::hash<const void*>()(k.scaled) * 1000003u ^ std::hash<QRgb>()(k.tint)) + k.overImage;
  }
};

struct TintedCache {
  std::unordered_map<TintKey, QImage, TintKeyHash> layers;
  qsizetype bytes = 0;
  void clear() {
    layers.clear();
    bytes = 0;
  }
};

TintedCache& tintedCache() {
  static TintedCache cache;
  return cache;
}

// What of an image shows through a tint layer drawn over it (the layer's
// alpha is the image's own): each pixel's colour and alpha as far as the
// pixel is not opaque, premultiplied; and the alphas the image holds. It
// does not depend on the tint, so it is made once per scaled image, and a
// new colour's layer over the image is one table look-up and one addition
// per pixel. Emptied with the scaled images it is made from.
struct Underlay {
  // A run of pixels of one row that are all clear, all opaque, or at the
  // image's edge (neither): a full tint fills the first two and computes
  // only the edge pixel by pixel.
  struct Span {
    enum class Kind : std::uint8_t { clear, opaque, edge };
    int row;
    int left;
    int length;
    Kind kind;
  };
  QImage through;
  std::vector<unsigned> alphas;
  std::vector<Span> spans;  // every pixel, row by row
};

std::unordered_map<const QImage*, Underlay>& underlayCache() {
  static std::unordered_map<const QImage*, Underlay> cache;
  return cache;
}

const Underlay& underlay(const QImage& scaled) {
  auto& cache = underlayCache();
  if (auto it = cache.find(&scaled); it != cache.end()) return it->second;
  Underlay u{QImage(scaled.size(), scaled.format()), {}, {}};
  std::array<bool, 256> held{};
  const auto kindOf = [](unsigned pa) {
    using Kind = Underlay::Span::Kind;
    return pa == 0 ? Kind::clear : pa == 255 ? Kind::opaque : Kind::edge;
  };
  for (int y = 0; y < scaled.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(u.through.scanLine(y));
    for (int x = 0; x < scaled.width(); ++x) {
      const auto pa = static_cast<unsigned>(qAlpha(in[x]));
      held[pa] = true;
      const auto shows = [&](int v) {
        return static_cast<int>((static_cast<unsigned>(v) * (255 - pa) + 127) / 255);
      };
      row[x] = qRgba(shows(qRed(in[x])), shows(qGreen(in[x])), shows(qBlue(in[x])), shows(qAlpha(in[x])));
      const auto kind = kindOf(pa);
      if (x > 0 && u.spans.back().kind == kind)
        ++u.spans.back().length;
      else
        u.spans.push_back({y, x, 1, kind});
    }
  }
  for (unsigned a = 0; a < 256; ++a)
    if (held[a]) u.alphas.push_back(a);
  return cache.emplace(&scaled, std::move(u)).first->second;
}

// Images scaled to the size they are drawn at, so a repaint (the lighting
// previews repaint their lights many times a second) only copies pixels.
// Bounded: it starts afresh when full.
constexpr std::size_t kScaledCacheLimit = 256;

struct ScaledKey {
  const QImage* image;
  QRect source;
  QSize size;
  friend bool operator==(const ScaledKey&, const ScaledKey&) = default;
};

struct ScaledKeyHash {
  std::size_t operator()(const ScaledKey& k) const {
    std::size_t h = std::hash<const void*>()(k.image);
    for (int v : {k.source.x(), k.source.y(), k.source.width(), k.source.height(), k.size.width(),
                  k.size.height()})
      h = h * 1000003u ^ std::hash<int>()(v);
    return h;
  }
};

std::unordered_map<ScaledKey, QImage, ScaledKeyHash>& scaledCache() {
  static std::unordered_map<ScaledKey, QImage, ScaledKeyHash> cache;
  return cache;
}

// Counts the times the scaled images were emptied: what points at one holds
// while the count is the one it was made at (never 0).
std::uint32_t& scaledGeneration() {
  static std::uint32_t generation = 1;
  return generation;
}

// Empties the scaled images and what is made from them.
void dropScaled() {
  scaledCache().clear();
  tintedCache().clear();  // its layers are keyed by the scaled images
  underlayCache().clear();
  ++scaledGeneration();
}

const QImage& scaledImage(const QImage& image, const QRect& source, const QSize& size) {
  auto& cache = scaledCache();
  const ScaledKey key{&image, source, size};
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  if (cache.size() >= kScaledCacheLimit) dropScaled();
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
    if (const QImage* image = skinImage(doubled)) return {image, 2};
  }
  return {skinImage(file), 1};
}

// A description as it is drawn: its image for the device ratio, the part of
// it the description's source rectangle (in the plain file's pixels) covers,
// and its opacity; no image when the description or its file is bad.
struct Drawable {
  const QImage* image = nullptr;
  QRect source;
  int fade = 255;
};

// Hashes a description by its text, looked up without a copy of it.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

// Descriptions resolved once per image scale: a repaint looks a light's image
// up by its description text only, not by parsing it and finding its file.
// Emptied with the image cache.
std::array<std::unordered_map<std::string, Drawable, TextHash, std::equal_to<>>, 2>& drawableCache() {
  static std::array<std::unordered_map<std::string, Drawable, TextHash, std::equal_to<>>, 2> cache;
  return cache;
}

const Drawable& drawable(std::string_view description, double ratio) {
  auto& cache = drawableCache()[ratio > 1.0 ? 1 : 0];
  if (auto it = cache.find(description); it != cache.end()) return it->second;
  Drawable d;
  if (auto parsed = parseImageDescription(description)) {
    const PickedImage picked = pickImage(parsed->file, ratio);
    if (picked.image) {
      d.image = picked.image;
      d.fade = parsed->fade;
      if (parsed->source) {
        const QRect r = qrect(*parsed->source);
        d.source = {r.x() * picked.scale, r.y() * picked.scale, r.width() * picked.scale,
                    r.height() * picked.scale};
      } else {
        d.source = picked.image->rect();
      }
    }
  }
  return cache.emplace(std::string(description), d).first->second;
}

// The destination's size in device pixels.
QSize deviceSize(const Rect& dest, double ratio) {
  return {std::max(1, static_cast<int>(std::lround(dest.width() * ratio))),
          std::max(1, static_cast<int>(std::lround(dest.height() * ratio)))};
}

// The scaled image a description is drawn with into a size, and its fade.
struct ScaledLook {
  const QImage* image = nullptr;  // none when the description or its file is bad
  int fade = 255;
};

// Memo slots in front of the description and scaled-image look-ups. A light
// repaints with the same description frame after frame (only its tint
// changes), and each full look-up hashes the description and walks two
// tables whose nodes are cold again by the next frame. A slot is picked by
// where the description's text lives and holds the text itself, so a text
// changed in place, or two descriptions sharing a slot, cost a full look-up
// and nothing else. A slot holds while the scaled images are kept.
constexpr std::size_t kMemoSlotBits = 9;
constexpr std::size_t kMemoText = 94;  // longer descriptions are looked up in full

struct MemoSlot {
  std::array<char, kMemoText> text{};
  std::uint8_t length = 0;
  bool hiRes = false;
  QSize size;
  ScaledLook look;
  std::uint32_t generation = 0;  // 0: empty
};

using MemoSlots = std::array<MemoSlot, std::size_t{1} << kMemoSlotBits>;

MemoSlots& memoSlots() {
  static MemoSlots memo;
  return memo;
}

MemoSlot* memoSlotFor(std::string_view description) {
  if (description.size() > kMemoText) return nullptr;
  const auto where = reinterpret_cast<std::uintptr_t>(description.data());
  const auto index = static_cast<std::uint64_t>(where) * 0x9E3779B97F4A7C15u >> (64 - kMemoSlotBits);
  return &memoSlots()[index];
}

ScaledLook scaledFor(std::string_view description, const Rect& dest, double ratio) {
  const bool hiRes = ratio > 1.0;
  const QSize size = deviceSize(dest, ratio);
  MemoSlot* slot = memoSlotFor(description);
  if (slot && slot->generation == scaledGeneration() && slot->hiRes == hiRes &&
      slot->size == size && slot->length == description.size() &&
      std::equal(description.begin(), description.end(), slot->text.begin()))
    return slot->look;
  const Drawable& d = drawable(description, ratio);
  if (!d.image) return {};
  const ScaledLook look{&scaledImage(*d.image, d.source, size), d.fade};
  if (slot) {
    std::copy(description.begin(), description.end(), slot->text.begin());
    slot->length = static_cast<std::uint8_t>(description.size());
    slot->hiRes = hiRes;
    slot->size = size;
    slot->look = look;
    slot->generation = scaledGeneration();
  }
  return look;
}

// The tinted layer of `scaled`, or with `overImage` that layer drawn over the
// image itself (source-over), made in the same pass.
QImage tinted(const QImage& scaled, const Underlay& under, QColor tint, unsigned alpha,
              bool overImage) {
  QImage out(scaled.size(), scaled.format());
  const int width = scaled.width();
  const int height = scaled.height();
  const unsigned keep = 255 - alpha;
  // Premultiplied: the tint covers each pixel as far as the pixel is opaque,
  // over what `keep` leaves of the pixel; the pixel's alpha stays.
  const std::array<unsigned, 3> tintParts = {static_cast<unsigned>(tint.red()) * alpha,
                                             static_cast<unsigned>(tint.green()) * alpha,
                                             static_cast<unsigned>(tint.blue()) * alpha};
  const auto cover = [&](std::size_t c, unsigned pa) { return (tintParts[c] * pa + 32512) / 65025; };
  // A layer's pixel over the image's: no channel of the sum passes its
  // alpha, so the packed pixels add without carrying into each other.
  const auto rowOf = [&](int y) {
    return overImage ? reinterpret_cast<const QRgb*>(under.through.constScanLine(y)) : nullptr;
  };
  if (keep == 0) {
    // A full tint leaves nothing of the pixel's own colour: the layer
    // depends on each pixel's alpha alone, and an image has few alphas
    // (clear around the light, opaque in it, a few at its edge).
    std::array<QRgb, 256> byAlpha{};
    for (unsigned pa : under.alphas)
      byAlpha[pa] = qRgba(static_cast<int>(cover(0, pa)), static_cast<int>(cover(1, pa)),
                          static_cast<int>(cover(2, pa)), static_cast<int>(pa));
    // Clear and opaque runs are filled; what shows through an opaque
    // pixel is nothing.
    using Kind = Underlay::Span::Kind;
    const qsizetype stride = out.bytesPerLine();  // the three images share size and format
    const auto at = [stride](const uchar* bits, const Underlay::Span& span) {
      return reinterpret_cast<const QRgb*>(bits + span.row * stride) + span.left;
    };
    const uchar* inBits = scaled.constBits();
    const uchar* throughBits = under.through.constBits();
    uchar* outBits = out.bits();
    for (const Underlay::Span& span : under.spans) {
      auto* row = reinterpret_cast<QRgb*>(outBits + span.row * stride) + span.left;
      if (span.kind != Kind::edge) {
        std::fill_n(row, span.length, span.kind == Kind::opaque ? byAlpha[255] : 0u);
        continue;
      }
      const QRgb* in = at(inBits, span);
      if (overImage) {
        const QRgb* through = at(throughBits, span);
        for (int x = 0; x < span.length; ++x) row[x] = byAlpha[qAlpha(in[x])] + through[x];
      } else {
        for (int x = 0; x < span.length; ++x) row[x] = byAlpha[qAlpha(in[x])];
      }
    }
    return out;
  }
  // Otherwise both terms depend on one byte each: tabled once per layer.
  std::array<std::array<std::uint8_t, 256>, 3> covered{};
  std::array<std::uint8_t, 256> left{};
  for (unsigned v = 0; v < 256; ++v) {
    for (std::size_t c = 0; c < 3; ++c) covered[c][v] = static_cast<std::uint8_t>(cover(c, v));
    left[v] = static_cast<std::uint8_t>((v * keep + 127) / 255);
  }
  const auto channel = [&](std::size_t c, unsigned own, unsigned pa) {
    return static_cast<int>(std::min(pa, unsigned{covered[c][pa]} + unsigned{left[own]}));
  };
  uchar* outBits = out.bits();
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
    const QRgb* through = rowOf(y);
    auto* row = reinterpret_cast<QRgb*>(outBits + y * out.bytesPerLine());
    for (int x = 0; x < width; ++x) {
      const QRgb p = in[x];
      // A pixel like the one before it is tinted like it: a light's image
      // is mostly runs of one colour (clear around it, a gradient across it).
      if (x > 0 && p == in[x - 1]) {
        row[x] = row[x - 1];
        continue;
      }
      const auto pa = static_cast<unsigned>(qAlpha(p));
      if (pa == 0) {
        row[x] = 0;
        continue;
      }
      row[x] = qRgba(channel(0, static_cast<unsigned>(qRed(p)), pa),
                     channel(1, static_cast<unsigned>(qGreen(p)), pa),
                     channel(2, static_cast<unsigned>(qBlue(p)), pa), static_cast<int>(pa)) +
               (through ? through[x] : 0u);
    }
  }
  return out;
}

const QImage& tintedLayer(const QImage& scaled, QColor tint, int alpha, bool overImage) {
  const auto a = static_cast<unsigned>(std::clamp(alpha, 0, 255));
  const TintKey key{&scaled, qRgba(tint.red(), tint.green(), tint.blue(), static_cast<int>(a)),
                    overImage};
  auto& cache = tintedCache();
  if (auto it = cache.layers.find(key); it != cache.layers.end()) return it->second;
  QImage layer = tinted(scaled, underlay(scaled), tint, a, overImage);
  if (cache.bytes + layer.sizeInBytes() > kTintedCacheBytes) cache.clear();
  cache.bytes += layer.sizeInBytes();
  return cache.layers.emplace(key, std::move(layer)).first->second;
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
  lookChanged(nullptr);
  for (auto& byScale : drawableCache()) byScale.clear();
  dropScaled();
  imageCache().clear();
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
  const double ratio = deviceRatio(p_);
  if (dest.empty()) return drawable(description, ratio).image != nullptr;
  const ScaledLook look = scaledFor(description, dest, ratio);
  if (!look.image) return false;
  if (look.fade >= 255) {
    p_.drawImage(qrectf(dest), *look.image);
    return true;
  }
  p_.save();
  p_.setOpacity(look.fade / 255.0);
  p_.drawImage(qrectf(dest), *look.image);
  p_.restore();
  return true;
}

bool QtPainter::drawTintedImage(std::string_view description, const Rect& dest, Color color,
                                int alpha) {
  return drawTinted(description, dest, color, alpha, false);
}

bool QtPainter::drawImageTintedOver(std::string_view description, const Rect& dest, Color color,
                                    int alpha) {
  return drawTinted(description, dest, color, alpha, true);
}

bool QtPainter::drawTinted(std::string_view description, const Rect& dest, Color color, int alpha,
                           bool overImage) {
  if (dest.empty()) return false;
  const ScaledLook look = scaledFor(description, dest, deviceRatio(p_));
  if (!look.image) return false;
  if (overImage && look.fade < 255) {  // a faded image under its tint is drawn by itself
    drawImage(description, dest);
    overImage = false;
  }
  p_.drawImage(qrectf(dest), tintedLayer(*look.image, qcolor(color | 0xFF000000u), alpha, overImage));
  return true;
}

// Saving and restoring the whole painter state is most of the cost of a
// clip: a preview frame clips each of its lights.
void QtPainter::pushClip(const Rect& r) {
  if (!p_.hasClipping() || clip_) {
    clips_.push_back({false, clip_});
    clip_ = clip_ ? *clip_ & qrect(r) : qrect(r);
    p_.setClipRect(*clip_, Qt::ReplaceClip);
    return;
  }
  clips_.push_back({true, std::nullopt});
  p_.save();
  p_.setClipRect(qrect(r), Qt::IntersectClip);
}

void QtPainter::popClip() {
  if (clips_.empty()) return;
  const PushedClip pushed = clips_.back();
  clips_.pop_back();
  if (pushed.saved) {
    p_.restore();
    return;
  }
  clip_ = pushed.previous;
  if (clip_)
    p_.setClipRect(*clip_, Qt::ReplaceClip);
  else
    p_.setClipping(false);
}

void QtPainter::setAntialiasing(bool on) {
  p_.setRenderHint(QPainter::Antialiasing, on);
}

}  // namespace varnacle::ui
