// The widget behind each control kind, and the way its events reach the control.
#include <QAccessible>
#include <QComboBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QWindow>

#include "ui/qt/backdrop.h"
#include "ui/qt/light_index.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

// The painted kinds: plain controls, labels, buttons, options, containers, rows.
// The mark of the control that has the keyboard focus: a light dashed frame
// over a dark one, seen on light and dark faces alike.
void paintFocusMark(QPainter& qp, const QRect& r) {
  qp.save();
  qp.setRenderHint(QPainter::Antialiasing, false);
  qp.setBrush(Qt::NoBrush);
  const QRect frame = r.adjusted(1, 1, -2, -2);
  qp.setPen(QPen(QColor(0, 0, 0, 200), 1));
  qp.drawRect(frame);
  qp.setPen(QPen(QColor(255, 255, 255, 240), 1, Qt::DashLine));
  qp.drawRect(frame);
  qp.restore();
}

// The option `step` places from `from` in its group, in layout order, among
// the shown and enabled ones (null when there is none).
Option* groupNeighbour(Option& from, int step) {
  std::vector<Option*> group;
  Control* top = &from;
  while (top->parent()) top = top->parent();
  std::vector<Control*> todo{top};
  while (!todo.empty()) {
    Control* c = todo.back();
    todo.pop_back();
    auto* o = dynamic_cast<Option*>(c);
    QWidget* w = widgetOf(*c);
    const bool reachable =
        o && (o == &from || (o->isEnabled() && w && w->isVisibleTo(w->window())));
    if (reachable && o->group() == from.group()) group.push_back(o);
    if (auto* container = dynamic_cast<Container*>(c))
      for (int i = container->count() - 1; i >= 0; --i) todo.push_back(container->itemAt(i));
  }
  const auto at = std::find(group.begin(), group.end(), &from) - group.begin();
  const auto to = at + step;
  if (group.size() < 2 || to < 0 || to >= static_cast<std::ptrdiff_t>(group.size())) return nullptr;
  return group[static_cast<std::size_t>(to)];
}

// The tallest band a control is painted in at once (see paintEvent).
constexpr int kPaintBand = 64;

// `area` cut into bands of at most kPaintBand rows, top to bottom.
template <class PaintBand>
void inBands(const QRect& area, PaintBand paintBand) {
  for (int top = area.top(); top <= area.bottom(); top += kPaintBand)
    paintBand(QRect(area.left(), top, area.width(), std::min(kPaintBand, area.bottom() + 1 - top)));
}

class PaintedWidget : public QWidget, public ControlRef {
 public:
  PaintedWidget(Control& c, detail::Kind kind) : kind_(kind) {
    control = &c;
    setAttribute(Qt::WA_Hover);
    // Reached with Tab only, so a click does not move the focus away from an edit.
    if (kind == detail::Kind::Button || kind == detail::Kind::Option) setFocusPolicy(Qt::TabFocus);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (!control) return;
    const bool mark = (hasFocus() && markFocus_) || currentRowOfFocusedList();
    // A tinted light is drawn by its container, in the container's pass; a
    // layout with no look of its own and no lights draws nothing (a preview
    // frame's region passes through several of them on its way down).
    if ((paintedByContainer(*control) || drawsNothing()) && !mark) return;
    if (!paintedByContainer(*control) && paintPicture(e->region())) {
      if (mark) {
        QPainter qp(this);
        paintFocusMark(qp, rect());
      }
      return;
    }
    QPainter qp(this);
    Rect r = control->rect();
    qp.translate(-r.left, -r.top);
    if (!paintedByContainer(*control)) {
      // Part by part, in bands: the raster engine hands a tall drawing to
      // its thread pool, which for the small areas a preview frame repaints
      // costs far more in thread hand-overs than it saves.
      const QRegion region = e->region();
      const Lights lights = tintedChildrenIn(region.boundingRect());
      for (const QRect& part : region) {
        inBands(part, [&](const QRect& band) {
          qp.save();
          qp.setClipRect(band.translated(r.left, r.top), Qt::IntersectClip);
          {
            QtPainter painter(qp, control->window());
            control->paint(painter);
            paintTintedChildren(painter, lights, band);
          }
          qp.restore();
        });
      }
    }
    qp.translate(r.left, r.top);
    if (mark) paintFocusMark(qp, rect());
  }

  // The mark shows where the keyboard took the focus, not where the window
  // put it on activation, a click left it, or it went on from a control a
  // click hid.
  void focusInEvent(QFocusEvent* e) override {
    QWidget::focusInEvent(e);
    markFocus_ = e->reason() != Qt::ActiveWindowFocusReason &&
                 e->reason() != Qt::MouseFocusReason && e->reason() != Qt::PopupFocusReason &&
                 keyboardLastUsed();
    refresh();
  }
  void focusOutEvent(QFocusEvent* e) override {
    QWidget::focusOutEvent(e);
    refresh();
  }

  // Space and Enter press a button; arrow keys move through an option group.
  void keyPressEvent(QKeyEvent* e) override {
    if (!control || !clickable() || e->modifiers() & ~Qt::KeypadModifier)
      return QWidget::keyPressEvent(e);
    if (!markFocus_) {
      markFocus_ = true;
      refresh();
    }
    switch (e->key()) {
      case Qt::Key_Space:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (!e->isAutoRepeat()) detail::Peer::clicked(*control);
        return;
      case Qt::Key_Left:
      case Qt::Key_Up:
      case Qt::Key_Right:
      case Qt::Key_Down:
        if (auto* option = dynamic_cast<Option*>(control); option && !option->group().empty()) {
          const bool forward = e->key() == Qt::Key_Right || e->key() == Qt::Key_Down;
          if (Option* to = groupNeighbour(*option, forward ? 1 : -1)) {
            QPointer<QWidget> target = widgetOf(*to);
            detail::Peer::clicked(*to);
            if (target) target->setFocus(Qt::OtherFocusReason);
          }
          return;
        }
        break;
      default:
        break;
    }
    QWidget::keyPressEvent(e);
  }

  void enterEvent(QEnterEvent*) override { hover(true); }
  void leaveEvent(QEvent*) override { hover(false); }

  void mousePressEvent(QMouseEvent* e) override {
    if (!control || e->button() != Qt::LeftButton) return e->ignore();
    if (clickable()) {
      control->peer()->pushed = true;
      refresh();
      return;
    }
    // Presses on the window's caption band drag the window.
    if (Window* w = control->window()) {
      const Rect band = Window::Native::of(*w)->caption;
      QPoint at = mapTo(window(), e->position().toPoint());
      if (band.bottom > 0 && at.y() >= band.top && at.y() < band.bottom &&
          window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        return;
      }
    }
    e->ignore();
  }

  void mouseReleaseEvent(QMouseEvent* e) override {
    if (!control || e->button() != Qt::LeftButton || !clickable()) return e->ignore();
    detail::Peer* peer = control->peer();
    bool wasPushed = peer->pushed;
    peer->pushed = false;
    refresh();
    if (!wasPushed || !rect().contains(e->position().toPoint())) return;
    if (auto* row = dynamic_cast<ListElement*>(control))
      detail::Peer::rowClicked(*row);
    else
      detail::Peer::clicked(*control);
  }

 private:
  void refresh() {
    if (control) return repaintControl(*control);
    update();
  }

  // The container's pass over its tinted lights: each shown one in the
  // repainted region, in layout order, over the container's own look and
  // under its other children. They are looked up once per repaint, since a
  // frame's region has a part for each light it changed.
  struct Lights {
    std::vector<Control*> controls;
    LightIndex index;
    QPoint origin;  // the container's place in its window
  };
  Lights tintedChildrenIn(const QRect& box) const {
    std::vector<Control*> controls;
    std::vector<QRect> places;
    auto* container = kind_ == detail::Kind::Container ? dynamic_cast<Container*>(control) : nullptr;
    for (int i = 0; container && i < container->count(); ++i) {
      Control* child = container->itemAt(i);
      QWidget* w = widgetOf(*child);
      if (w && !w->isHidden() && paintedByContainer(*child) && box.intersects(w->geometry())) {
        controls.push_back(child);
        places.push_back(w->geometry());
      }
    }
    const Rect r = control->rect();
    return {std::move(controls), LightIndex(std::move(places)), QPoint(r.left, r.top)};
  }
  // Each light meeting `part` (container coordinates), clipped to where the
  // two meet, in bands like every other drawing (see paintEvent); the
  // painter draws in window coordinates. A light paints inside its own
  // rectangle (its colour, images and tint fill it, its text is clipped to
  // it), so one that lies wholly in the part, in one band, needs no clip.
  static void paintTintedChildren(Painter& painter, const Lights& lights, const QRect& part) {
    thread_local std::vector<std::size_t> meeting;
    lights.index.meeting(part, meeting);
    for (std::size_t i : meeting) {
      Control* light = lights.controls[i];
      const QRect& place = lights.index.place(i);
      if (part.contains(place) && place.height() <= kPaintBand) {
        light->paint(painter);
        continue;
      }
      inBands((part & place).translated(lights.origin), [&](const QRect& band) {
        painter.pushClip({band.left(), band.top(), band.right() + 1, band.bottom() + 1});
        light->paint(painter);
        painter.popClip();
      });
    }
  }

  // A container with tinted lights over a parent keeps the picture under
  // them (see Backdrop) and is opaque: a repaint recomposes the changed parts
  // from the kept picture and the lights, straight on the screen.
  // A picture whose last light went out paints once more this way (nothing
  // below it was painted for this repaint) and is then an ordinary
  // transparent container again; false for ordinary containers.
  bool paintPicture(const QRegion& region) {
    const bool hosts = hostsLights();
    if (!parentWidget() || (!hosts && !testAttribute(Qt::WA_OpaquePaintEvent))) return false;
    QRegion dirty = region;
    if (!backdrop_.fits(*this)) {
      backdrop_.rebuild(*this, [this](QWidget& w, QPainter& p) {
        auto* painted = dynamic_cast<PaintedWidget*>(&w);
        if (!painted) return false;
        painted->paintOwnLayer(p, painted != this);
        return true;
      });
      dirty = QRegion(rect());
    }
    const QImage& kept = backdrop_.image();
    const qreal ratio = kept.devicePixelRatio();
    const Rect r = control->rect();
    const Lights lights = tintedChildrenIn(dirty.boundingRect());
    QPainter qp(this);
    qp.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& part : dirty) {
      inBands(part, [&](const QRect& band) {
        // One plain rectangle clip per band: inside one part of the region
        // the toolkit's clip is that rectangle, so nothing is clipped by
        // the many-part region.
        qp.setClipRect(band);
        qp.drawImage(QRectF(band), kept,
                     QRectF(band.x() * ratio, band.y() * ratio, band.width() * ratio, band.height() * ratio));
      });
    }
    // The lights over the copied parts, each once (a light across two
    // bands is not drawn twice).
    qp.setCompositionMode(QPainter::CompositionMode_SourceOver);
    qp.setClipping(false);
    qp.translate(-r.left, -r.top);
    {
      QtPainter painter(qp, control->window());
      for (const QRect& part : dirty) paintTintedChildren(painter, lights, part);
    }
    setAttribute(Qt::WA_OpaquePaintEvent, hosts);
    if (!hosts) backdrop_.drop();
    return true;
  }

  // What the widget paints itself, in window coordinates: its look and,
  // when asked, its tinted lights.
  void paintOwnLayer(QPainter& p, bool withLights) {
    if (!control || paintedByContainer(*control) || drawsNothing()) return;
    QtPainter painter(p, control->window());
    control->paint(painter);
    if (withLights) paintTintedChildren(painter, tintedChildrenIn(rect()), rect());
  }

  bool hostsLights() const {
    auto* container = kind_ == detail::Kind::Container ? dynamic_cast<Container*>(control) : nullptr;
    for (int i = 0; container && i < container->count(); ++i)
      if (paintedByContainer(*container->itemAt(i))) return true;
    return false;
  }

  bool drawsNothing() const {
    if (kind_ != detail::Kind::Container || !isPlainLayout(*control) || control->hasOwnLook())
      return false;
    const auto* container = dynamic_cast<const Container*>(control);
    for (int i = 0; container && i < container->count(); ++i)
      if (paintedByContainer(*container->itemAt(i))) return false;
    return true;
  }

  // Layouts that paint only the base look (a list row paints its own).
  static bool isPlainLayout(const Control& c) {
    const std::string_view name = c.className();
    return name == "VerticalLayout" || name == "HorizontalLayout" || name == "TabLayout" ||
           name == "Container";
  }

  bool clickable() const {
    return kind_ == detail::Kind::Button || kind_ == detail::Kind::Option ||
           dynamic_cast<ListElement*>(control) != nullptr;
  }

  bool currentRowOfFocusedList() const {
    auto* row = dynamic_cast<ListElement*>(control);
    if (!row || !row->isSelected()) return false;
    const QWidget* list = widgetOf(*row->list());
    return list && list->hasFocus();
  }

  void hover(bool in) {
    if (!control) return;
    control->peer()->hot = in;
    if (!in) control->peer()->pushed = false;
    refresh();
    detail::Peer::raise(*control, in ? notify::kMouseEnter : notify::kMouseLeave);
  }

  detail::Kind kind_;
  bool markFocus_ = false;
  Backdrop backdrop_;
};

class ComboWidget : public QComboBox, public ControlRef {
 public:
  explicit ComboWidget(Control& c) {
    control = &c;
    connect(this, &QComboBox::activated, this, [this](int index) {
      if (control) detail::Peer::comboSelected(static_cast<Combo&>(*control), index);
    });
  }
};

class SliderWidget : public QSlider, public ControlRef {
 public:
  explicit SliderWidget(Control& s) : QSlider(Qt::Horizontal) {
    control = &s;
    // Dragging reports moves; a release, a key or a page step reports the value.
    connect(this, &QSlider::valueChanged, this, [this](int v) {
      if (control) detail::Peer::sliderMoved(static_cast<Slider&>(*control), v, isSliderDown());
    });
    connect(this, &QSlider::sliderReleased, this, [this] {
      if (control) detail::Peer::sliderMoved(static_cast<Slider&>(*control), value(), false);
    });
  }
};

class EditWidget : public QLineEdit, public ControlRef {
 public:
  explicit EditWidget(Control& e) {
    control = &e;
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
      if (control) detail::Peer::edited(static_cast<Edit&>(*control), t);
    });
  }
};

// Hue left to right, saturation top to bottom; brightness in the strip below.
class PaletteWidget : public QWidget, public ControlRef {
 public:
  explicit PaletteWidget(Control& p) { control = &p; }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!control) return;
    auto& palette = static_cast<ColorPalette&>(*control);
    QPainter qp(this);
    const Size size{width(), height()};
    const int bar = std::clamp(palette.barHeight(), 0, height());
    if (field_.size() != QSize(width(), height() - bar) ||
        fieldBrightness_ != palette.brightness()) {
      field_ = QImage(std::max(1, width()), std::max(1, height() - bar), QImage::Format_ARGB32);
      for (int y = 0; y < field_.height(); ++y)
        for (int x = 0; x < field_.width(); ++x)
          field_.setPixel(x, y, ColorPalette::colorAt({x, y}, size, bar, palette.brightness()));
      fieldBrightness_ = palette.brightness();
    }
    qp.drawImage(0, 0, field_);
    QLinearGradient strip(0, 0, width(), 0);
    strip.setColorAt(0, Qt::black);
    strip.setColorAt(1, qcolor(palette.fieldColor()));
    qp.fillRect(0, height() - bar, width(), bar, strip);
  }

  void mousePressEvent(QMouseEvent* e) override { pick(e, false); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) pick(e, false);
  }
  void mouseReleaseEvent(QMouseEvent* e) override { pick(e, true); }

 private:
  QImage field_;
  double fieldBrightness_ = -1;

  void pick(QMouseEvent* e, bool released) {
    if (!control) return;
    QPoint p = e->position().toPoint();
    detail::Peer::palettePicked(
        static_cast<ColorPalette&>(*control),
        {std::clamp(p.x(), 0, width() - 1), std::clamp(p.y(), 0, height() - 1)}, released);
    update();
  }
};

// A list: rows live in a content widget inside a scroll area.
class ListWidget : public QScrollArea, public ControlRef {
 public:
  explicit ListWidget(Control& l) {
    control = &l;
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    content_ = new PaintedWidget(l, detail::Kind::Container);
    setWidget(content_);
    setFocusPolicy(Qt::StrongFocus);
  }
  QWidget* content() const { return content_; }

 protected:
  // Arrow keys, Home, End and the page keys select rows as a click would;
  // Space and Enter click the selected row again.
  void keyPressEvent(QKeyEvent* e) override {
    auto* list = dynamic_cast<List*>(control);
    if (!list || list->rowCount() == 0 || e->modifiers() & ~Qt::KeypadModifier)
      return QScrollArea::keyPressEvent(e);
    const int current = list->currentIndex();
    const int last = list->rowCount() - 1;
    const int page = std::max(1, viewport()->height() / std::max(1, list->itemHeight()));
    int to = current;
    switch (e->key()) {
      case Qt::Key_Up: to = current < 0 ? 0 : current - 1; break;
      case Qt::Key_Down: to = current + 1; break;
      case Qt::Key_Home: to = 0; break;
      case Qt::Key_End: to = last; break;
      case Qt::Key_PageUp: to = current - page; break;
      case Qt::Key_PageDown: to = current < 0 ? page - 1 : current + page; break;
      case Qt::Key_Space:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (ListElement* row = list->row(current); row && !e->isAutoRepeat())
          detail::Peer::rowClicked(*row);
        return;
      default:
        return QScrollArea::keyPressEvent(e);
    }
    to = std::clamp(to, 0, last);
    if (to == current) return;
    if (ListElement* row = list->row(to)) detail::Peer::rowClicked(*row);
    // The handler may have changed the list or removed it.
    auto* still = dynamic_cast<List*>(control);
    ListElement* now = still ? still->row(still->currentIndex()) : nullptr;
    if (now && widgetOf(*now) && QAccessible::isActive()) {
      QAccessibleEvent focus(widgetOf(*now), QAccessible::Focus);
      QAccessible::updateAccessibility(&focus);
    }
  }
  void focusInEvent(QFocusEvent* e) override {
    QScrollArea::focusInEvent(e);
    content_->update();
  }
  void focusOutEvent(QFocusEvent* e) override {
    QScrollArea::focusOutEvent(e);
    content_->update();
  }

  void resizeEvent(QResizeEvent* e) override {
    QScrollArea::resizeEvent(e);
    if (control) layoutTree(*control);
  }

 private:
  QWidget* content_;
};

}  // namespace

namespace detail {

Peer::Peer(Control& c, Kind k) : kind(k) {
  switch (k) {
    case Kind::Combo:
      widget = new ComboWidget(c);
      break;
    case Kind::Slider:
      widget = new SliderWidget(c);
      break;
    case Kind::Edit:
      widget = new EditWidget(c);
      break;
    case Kind::Palette:
      widget = new PaletteWidget(c);
      break;
    case Kind::List: {
      auto* list = new ListWidget(c);
      widget = list;
      childHost = list->content();
      break;
    }
    default:
      widget = new PaintedWidget(c, k);
      break;
  }
  if (!childHost) childHost = widget;
}

Peer::~Peer() {
  auto forget = [](QWidget* w) {
    if (auto* ref = dynamic_cast<ControlRef*>(w)) ref->control = nullptr;
  };
  if (childHost && childHost != widget) forget(childHost);
  if (!widget) return;
  forget(widget);
  widget->hide();
  widget->setParent(nullptr);
  // The control may go away inside one of its own widget's event handlers.
  widget->deleteLater();
}

void Peer::clicked(Control& c) {
  if (auto* option = dynamic_cast<Option*>(&c)) {
    option->userClicked();
    return;
  }
  if (auto* button = dynamic_cast<Button*>(&c)) button->activate();
}

void Peer::rowClicked(ListElement& row) {
  row.userClicked();
}

void Peer::comboSelected(Combo& combo, int index) {
  combo.userSelected(index);
}

void Peer::sliderMoved(Slider& slider, int value, bool dragging) {
  slider.userMoved(value, dragging);
}

void Peer::palettePicked(ColorPalette& palette, Point local, bool released) {
  palette.userPicked(local, released);
}

void Peer::edited(Edit& edit, const QString& text) {
  edit.userEdited(text.toStdString());
}

void Peer::syncLook(Control& c) {
  QWidget* w = c.peer()->widget;
  if (!w) return;
  w->setToolTip(qs(c.toolTip()));
  w->setEnabled(c.isEnabled());
  if (c.window()) refreshAccessibleName(c);
  if (c.peer()->kind == Kind::Combo || c.peer()->kind == Kind::Edit ||
      c.peer()->kind == Kind::Slider) {
    QPalette pal = w->palette();
    if (c.bkColor() != 0) {
      pal.setColor(QPalette::Base, qcolor(c.bkColor()));
      pal.setColor(QPalette::Button, qcolor(c.bkColor()));
      pal.setColor(QPalette::Window, qcolor(c.bkColor()));
    }
    pal.setColor(QPalette::Text, qcolor(c.textColor()));
    pal.setColor(QPalette::ButtonText, qcolor(c.textColor()));
    w->setPalette(pal);
    w->setFont(fontFor(c.window(), c.font()));
  }
  repaintControl(c);
}

}  // namespace detail

bool paintedByContainer(const Control& c) {
  if (!c.isChangerColor() || !c.peer() || !c.parent()) return false;
  const detail::Kind kind = c.peer()->kind;
  if (kind != detail::Kind::Painted && kind != detail::Kind::Button &&
      kind != detail::Kind::Option)
    return false;
  const detail::Peer* host = c.parent()->peer();
  return host && host->kind == detail::Kind::Container && host->childHost == host->widget;
}

void repaintControl(Control& c) {
  QWidget* w = widgetOf(c);
  if (!w) return;
  const bool byContainer = paintedByContainer(c) && w->parentWidget();
  // The toolkit need not visit a light on every repaint of its container.
  if (w->updatesEnabled() == byContainer) w->setUpdatesEnabled(!byContainer);
  if (byContainer) {
    if (!deferRepaint(*w->parentWidget(), w->geometry())) w->parentWidget()->update(w->geometry());
    return;
  }
  lookChanged(w);
  w->update();
}

QWidget* widgetOf(const Control& c) {
  return c.peer() ? c.peer()->widget.data() : nullptr;
}

}  // namespace varnacle::ui
