// The kept picture under a container's tinted lights.
#include "ui/qt/backdrop.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace varnacle::ui {

namespace {

// The backdrops holding a picture (a few: one per shown preview picture).
std::vector<Backdrop*>& kept() {
  static std::vector<Backdrop*> all;
  return all;
}

void forget(Backdrop* b) {
  auto& all = kept();
  all.erase(std::remove(all.begin(), all.end(), b), all.end());
}

QSize deviceSizeOf(const QWidget& w) {
  const qreal ratio = w.devicePixelRatioF();
  return {std::max(1, static_cast<int>(std::ceil(w.width() * ratio))),
          std::max(1, static_cast<int>(std::ceil(w.height() * ratio)))};
}

QRect placeInWindow(const QWidget& w) {
  return {w.mapTo(w.window(), QPoint()), w.size()};
}

// One widget's own layer, clipped to `clip` (window coordinates): ours
// through `paintLayer`, the toolkit's own widgets rendered by the toolkit,
// whole when `withChildren`. True when the children were painted with it.
bool paintOwnLayer(QWidget& w, QPainter& p, const QRect& clip, const LayerPainter& paintLayer,
                   bool withChildren) {
  p.save();
  p.setClipRect(clip);
  bool childrenDone = false;
  if (!paintLayer(w, p)) {
    const QWidget::RenderFlags flags =
        withChildren ? QWidget::RenderFlags(QWidget::DrawChildren) : QWidget::RenderFlags();
    w.render(&p, placeInWindow(w).topLeft(), QRegion(), flags);
    childrenDone = withChildren;
  }
  p.restore();
  return childrenDone;
}

// A widget and its shown children, as far as they lie in `area`.
void paintSubtree(QWidget& w, QPainter& p, const QRect& area, const LayerPainter& paintLayer) {
  if (w.isHidden() || w.isWindow()) return;
  const QRect clip = area & placeInWindow(w);
  if (clip.isEmpty()) return;
  if (paintOwnLayer(w, p, clip, paintLayer, true)) return;
  for (QObject* o : w.children())
    if (auto* child = qobject_cast<QWidget*>(o)) paintSubtree(*child, p, clip, paintLayer);
}

}  // namespace

void lookChanged(const QWidget* changed) {
  for (Backdrop* b : kept()) {
    QWidget* picture = b->picture_;
    if (!picture || b->stale_) continue;
    const bool below =
        !changed || changed == picture ||
        (changed->window() == picture->window() && !picture->isAncestorOf(changed) &&
         placeInWindow(*changed).intersects(placeInWindow(*picture)));
    if (!below) continue;
    b->stale_ = true;
    picture->update();
  }
}

Backdrop::~Backdrop() {
  forget(this);
}

bool Backdrop::fits(const QWidget& picture) const {
  return !image_.isNull() && !stale_ && picture_.data() == &picture &&
         placedAt_ == placeInWindow(picture).topLeft() &&
         image_.devicePixelRatio() == picture.devicePixelRatioF() &&
         image_.size() == deviceSizeOf(picture);
}

void Backdrop::rebuild(QWidget& picture, const LayerPainter& paintLayer) {
  QWidget* top = picture.window();
  const QRect area = placeInWindow(picture);
  // Opaque, as everything in a window is over its background: its parts are
  // then copied to the screen, not blended.
  image_ = QImage(deviceSizeOf(picture), QImage::Format_RGB32);
  image_.setDevicePixelRatio(picture.devicePixelRatioF());
  {
    QPainter p(&image_);
    p.translate(-area.topLeft());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(area, top->palette().brush(top->backgroundRole()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (top != &picture) paintLayer(*top, p);

    // From the window down to the picture: at each level the siblings
    // stacked below the next widget on the way, then that widget's own layer.
    std::vector<QWidget*> way;
    for (QWidget* w = &picture; w && w != top; w = w->parentWidget()) way.push_back(w);
    std::reverse(way.begin(), way.end());
    QWidget* level = top;
    QRect clip = area;
    for (QWidget* next : way) {
      for (QObject* o : level->children()) {
        if (o == next) break;
        if (auto* below = qobject_cast<QWidget*>(o)) paintSubtree(*below, p, clip, paintLayer);
      }
      clip &= placeInWindow(*next);
      paintOwnLayer(*next, p, clip, paintLayer, false);
      level = next;
    }
  }
  placedAt_ = area.topLeft();
  stale_ = false;
  if (picture_.data() != &picture) {
    forget(this);
    kept().push_back(this);
    picture_ = &picture;
  }
}

void Backdrop::drop() {
  forget(this);
  picture_ = nullptr;
  image_ = QImage();
}

}  // namespace varnacle::ui
