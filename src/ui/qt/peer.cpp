// The widget behind each control kind, and the way its events reach the control.
#include <QComboBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QWindow>

#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

// The painted kinds: plain controls, labels, buttons, options, containers, rows.
class PaintedWidget : public QWidget, public ControlRef {
 public:
  PaintedWidget(Control& c, detail::Kind kind) : kind_(kind) {
    control = &c;
    setAttribute(Qt::WA_Hover);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!control) return;
    QPainter qp(this);
    Rect r = control->rect();
    qp.translate(-r.left, -r.top);
    QtPainter painter(qp, control->window());
    control->paint(painter);
  }

  void enterEvent(QEnterEvent*) override { hover(true); }
  void leaveEvent(QEvent*) override { hover(false); }

  void mousePressEvent(QMouseEvent* e) override {
    if (!control || e->button() != Qt::LeftButton) return e->ignore();
    if (clickable()) {
      control->peer()->pushed = true;
      update();
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
    update();
    if (!wasPushed || !rect().contains(e->position().toPoint())) return;
    if (auto* row = dynamic_cast<ListElement*>(control))
      detail::Peer::rowClicked(*row);
    else
      detail::Peer::clicked(*control);
  }

 private:
  bool clickable() const {
    return kind_ == detail::Kind::Button || kind_ == detail::Kind::Option ||
           dynamic_cast<ListElement*>(control) != nullptr;
  }

  void hover(bool in) {
    if (!control) return;
    control->peer()->hot = in;
    if (!in) control->peer()->pushed = false;
    update();
    detail::Peer::raise(*control, in ? notify::kMouseEnter : notify::kMouseLeave);
  }

  detail::Kind kind_;
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
  }
  QWidget* content() const { return content_; }

 protected:
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
  w->update();
}

}  // namespace detail

QWidget* widgetOf(const Control& c) {
  return c.peer() ? c.peer()->widget.data() : nullptr;
}

}  // namespace varnacle::ui
