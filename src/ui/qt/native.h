#pragma once
// Internals of the Qt implementation: the widget behind each control, the
// top-level widget behind each window, string and colour conversions, the image
// cache and the layout pass. Only ui/qt/*.cpp and Qt-side tests include this.
#include <QColor>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/builder.h"
#include "ui/control.h"
#include "ui/painter.h"
#include "ui/window.h"

namespace varnacle::ui {

inline QString qs(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline QColor qcolor(Color c) {
  return QColor(redOf(c), greenOf(c), blueOf(c), alphaOf(c));
}
inline QRect qrect(const Rect& r) {
  return QRect(r.left, r.top, r.width(), r.height());
}

// Every widget standing for a control knows it until the control goes away.
struct ControlRef {
  Control* control = nullptr;
};

namespace detail {

struct Peer {
  Peer(Control& control, Kind kind);
  ~Peer();  // hides the widget and deletes it once the event loop is back

  Kind kind;
  QPointer<QWidget> widget;     // what stands for the control
  QPointer<QWidget> childHost;  // where child widgets live (the widget, or a list's content)
  bool hot = false;
  bool pushed = false;

  // Entry points for the widgets (the peer may touch the controls' internals).
  static void clicked(Control& c);
  static void rowClicked(ListElement& row);
  static void comboSelected(Combo& combo, int index);
  static void sliderMoved(Slider& slider, int value, bool dragging);
  static void palettePicked(ColorPalette& palette, Point local, bool released);
  static void edited(Edit& edit, const QString& text);
  static void raise(Control& c, std::string_view type, std::uintptr_t w = 0, std::intptr_t l = 0) {
    c.raise(type, w, l);
  }
  static void syncLook(Control& c);
};

}  // namespace detail

struct Window::Native {
  QPointer<QWidget> top;
  std::map<int, QTimer*> timers;
  // The loop of a running showModal(); null as soon as that loop is gone,
  // however it ended (close, or the program ending every loop).
  QPointer<QEventLoop> modalLoop;
  Rect caption;  // drag band, from the layout
  Size layoutSize;
  static Native* of(Window& w) { return w.native_.get(); }
  static void updateSeen(Window& w) { w.updateSeen(); }
};

// What a window layout says about the window itself.
struct LayoutWindowInfo {
  Size size;
  Rect caption;
};
// Builds a layout file; fills `info` from a <Window> root when given.
std::unique_ptr<Control> buildLayoutFile(std::string_view layout, Window& window,
                                         const CreateControlCallback& callback,
                                         LayoutWindowInfo* info);

// The widgets (null when none exists).
QWidget* widgetOf(const Control& c);

// Tinted lights are painted in one pass of their container: a painted
// control whose tint is on, in a painted container, draws nothing of its own;
// the container draws it over itself, and a change of it repaints that part
// of the container. So a frame of a preview that changes many lights costs
// one repaint of the changed area, not one per light; the tint state stays
// each control's own.
bool paintedByContainer(const Control& c);
// Asks for a repaint of what shows the control: its widget, or the part of
// its container that paints it.
void repaintControl(Control& c);
// Keeps a repaint of part of a picture for the open RepaintBatch; false when
// none is open.
bool deferRepaint(QWidget& picture, const QRect& part);
QWidget* topWidgetOf(Window& w);
// The window whose top-level widget this is (null for any other widget).
Window* windowOfTop(QWidget* w);

// What assistive technologies are told: the human name of a control (its
// language text by layout name, shown text, tooltip, or the label before it)
// and of a window (a frame its title, a modal dialog the heading in its
// caption band).
std::string accessibleName(const Control& c);
std::string windowName(Window& window);
// Installs the interfaces of the painted controls and windows and the input
// watch below (once, with the application).
void installAccessibility();
// True while the keyboard, not the pointer, gave the last input (true before
// any input): focus that moves then, also because the focused control was
// hidden, is the keyboard's and gets the focus mark.
bool keyboardLastUsed();
// Gives the toolkit's own widget of a control (drop-down, slider, edit) its
// name again, or all of a window's (after a layout or language change).
void refreshAccessibleName(Control& c);
void refreshAccessibleNames(Window& window);

// Lays out a container's children (and theirs) inside its current size.
void layoutTree(Control& c);
// Relayout after a child's placement or visibility changed.
void relayoutParentOf(Control& c);

// Skin images by full path, cached; null when the file cannot be read.
const QImage* skinImage(const std::string& fileOrDescriptionFile);
void clearImageCache();
// The QFont for a window's font index (window may be null).
QFont fontFor(const Window* window, int index);

// The Painter on a QPainter, with the control's window for fonts.
class QtPainter : public Painter {
 public:
  QtPainter(QPainter& p, const Window* window) : p_(p), window_(window) {}
  ~QtPainter() override {
    while (!clips_.empty()) popClip();
  }
  void fillRect(const Rect& r, Color c) override;
  void strokeRect(const Rect& r, Color c, int penWidth) override;
  void fillEllipse(const Rect& r, Color c) override;
  void strokeEllipse(const Rect& r, Color c, int penWidth) override;
  void fillPie(const Rect& r, double startDeg, double sweepDeg, Color c) override;
  void strokeArc(const Rect& r, double startDeg, double sweepDeg, Color c, int penWidth) override;
  void drawLine(Point from, Point to, Color c, int penWidth) override;
  void drawText(const Rect& r, std::string_view utf8, const TextStyle& style) override;
  bool drawImage(std::string_view description, const Rect& dest) override;
  bool drawTintedImage(std::string_view description, const Rect& dest, Color color,
                       int alpha) override;
  bool drawImageTintedOver(std::string_view description, const Rect& dest, Color color,
                           int alpha) override;
  void pushClip(const Rect& r) override;
  void popClip() override;
  void setAntialiasing(bool on) override;

 private:
  bool drawTinted(std::string_view description, const Rect& dest, Color color, int alpha,
                  bool overImage);

  // A pushed clip: what to go back to. A clip that is one rectangle this
  // painter set is replaced and put back directly; one it did not set (the
  // caller's, of unknown shape) is intersected under a saved state.
  struct PushedClip {
    bool saved = false;
    std::optional<QRect> previous;  // none: no clip before
  };

  QPainter& p_;
  const Window* window_;
  std::vector<PushedClip> clips_;
  std::optional<QRect> clip_;  // the clip, when it is a rectangle set here
};

}  // namespace varnacle::ui
