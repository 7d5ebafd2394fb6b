#pragma once
// The picture under a container's tinted lights, kept between frames. A
// preview frame changes only lights; without this every changed light's area
// is painted again through every layer of the window below it (window
// background, page backdrop, panels, the picture itself). With it, a frame
// copies the kept picture under the changed lights and tints them over it,
// and the container is opaque to the toolkit, so nothing below it repaints.
//
// The toolkit does not repaint an opaque widget when something below it
// changes, so every change of a look says so (`lookChanged`): a kept picture
// that lies over the changed widget is made again and repainted. A change of
// the container's place, size or pixel ratio is seen when it next paints.
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace varnacle::ui {

// The look of `changed` may have changed: the kept pictures over it in its
// window (it, or a widget below them: an ancestor or one stacked under them)
// are made again and repainted. Null for every kept picture (a skin change).
// UI thread only.
void lookChanged(const QWidget* changed);

// Paints one widget's own layer (not its children) into a painter set to the
// window's coordinates; false for widgets that are not painted controls,
// which are then rendered by the toolkit.
using LayerPainter = std::function<bool(QWidget&, QPainter&)>;

class Backdrop {
 public:
  Backdrop() = default;
  Backdrop(const Backdrop&) = delete;
  Backdrop& operator=(const Backdrop&) = delete;
  ~Backdrop();

  // Whether the kept picture fits `picture` as it now stands.
  bool fits(const QWidget& picture) const;
  // Paints what lies below `picture` in its window, then its own layer, in
  // device pixels of the picture's size: the layers of its ancestors and of
  // the earlier siblings (with their children) at each level.
  void rebuild(QWidget& picture, const LayerPainter& paintLayer);
  void drop();

  const QImage& image() const { return image_; }

 private:
  friend void lookChanged(const QWidget* changed);
  QImage image_;
  QPointer<QWidget> picture_;
  QPoint placedAt_;
  bool stale_ = false;
};

}  // namespace varnacle::ui
