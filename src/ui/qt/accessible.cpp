// What assistive technologies see of the controls: a role, a human name, the
// state and the actions of every painted control, the names of the toolkit's
// own widgets, and the windows as frames and dialogs.
//
// Painted controls get an interface of their own (the toolkit would show them
// as nameless fillers); drop-downs, sliders and edits keep the toolkit's
// interfaces and are given their names. The tree follows the control tree:
// plain spacers without text, image or name are left out.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <cstdio>

#include "ui/language.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

Control* controlOf(QObject* object) {
  auto* ref = dynamic_cast<ControlRef*>(object);
  return ref ? ref->control : nullptr;
}

std::string trimmed(std::string s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

bool isNativeKind(const Control& c) {
  const detail::Kind k = c.peer()->kind;
  return k == detail::Kind::Combo || k == detail::Kind::Slider || k == detail::Kind::Edit;
}

// Whether the control shows its text as its face (a combo shows its item, an
// edit its content, a progress its value).
bool textIsFace(const Control& c) {
  if (isNativeKind(c) || c.peer()->kind == detail::Kind::Palette) return false;
  return dynamic_cast<const Progress*>(&c) == nullptr;
}

std::string shownText(const Control& c) {
  if (auto* row = dynamic_cast<const ListTextElement*>(&c)) {
    std::string joined;
    for (int i = 0; i < row->columnCount(); ++i) {
      const std::string column = trimmed(row->columnText(i));
      if (column.empty()) continue;
      if (!joined.empty()) joined += ", ";
      joined += column;
    }
    if (!joined.empty()) return joined;
  }
  return textIsFace(c) ? trimmed(c.text()) : std::string();
}

bool isLabel(const Control& c) {
  return dynamic_cast<const Label*>(&c) != nullptr && !shownText(c).empty();
}

// A plain rectangle that only fills room or colour.
bool isSpacer(const Control& c) {
  return c.className() == "Control" && c.bkImage().empty() && trimmed(c.text()).empty() &&
         c.toolTip().empty() && (c.name().empty() || !hasLanguageText(c.name()));
}

// "#RRGGBB" of an opaque colour.
std::string colourName(Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
  return text;
}

// The texts that label a control without text of its own: the label right
// before it in its row, and the nearest heading before one of its ancestors.
std::string labelledBy(const Control& c) {
  std::string own;
  std::string heading;
  const Control* at = &c;
  bool firstLevel = true;
  for (const Container* parent = c.parent(); parent && heading.empty();
       at = parent, parent = parent->parent(), firstLevel = false) {
    for (int i = parent->indexOf(at) - 1; i >= 0; --i) {
      const Control* sibling = parent->itemAt(i);
      if (!sibling->isVisible() || isSpacer(*sibling)) continue;
      if (isLabel(*sibling)) {
        (firstLevel ? own : heading) = shownText(*sibling);
        break;
      }
      if (firstLevel) break;  // a label further along the row names another control
    }
  }
  if (own.empty()) return heading;
  if (heading.empty()) return own;
  return heading + " " + own;
}

// A container's heading: its first child when that is a label.
std::string headingOf(const Container& c) {
  for (int i = 0; i < c.count(); ++i) {
    const Control* child = c.itemAt(i);
    if (isSpacer(*child)) continue;
    return isLabel(*child) ? shownText(*child) : std::string();
  }
  return {};
}

std::string joinedChildTexts(const Container& c) {
  std::string joined;
  for (int i = 0; i < c.count(); ++i) {
    const Control* child = c.itemAt(i);
    std::string text = shownText(*child);
    if (text.empty()) {
      if (auto* inner = dynamic_cast<const Container*>(child)) text = joinedChildTexts(*inner);
    }
    if (text.empty()) continue;
    if (!joined.empty()) joined += ", ";
    joined += text;
  }
  return joined;
}

QAccessible::Role roleOf(const Control& c) {
  if (dynamic_cast<const ListElement*>(&c)) return QAccessible::ListItem;
  if (dynamic_cast<const List*>(&c)) return QAccessible::List;
  if (dynamic_cast<const Container*>(&c)) return QAccessible::Grouping;
  if (dynamic_cast<const CheckBox*>(&c)) return QAccessible::CheckBox;
  if (auto* option = dynamic_cast<const Option*>(&c)) {
    if (!option->attribute("bindtablayout").empty()) return QAccessible::PageTab;
    return option->group().empty() ? QAccessible::CheckBox : QAccessible::RadioButton;
  }
  if (dynamic_cast<const Button*>(&c)) return QAccessible::Button;
  if (dynamic_cast<const Label*>(&c)) return QAccessible::StaticText;
  if (dynamic_cast<const Progress*>(&c)) return QAccessible::ProgressBar;
  if (dynamic_cast<const ColorPalette*>(&c)) return QAccessible::ColorChooser;
  if (!c.bkImage().empty()) return QAccessible::Graphic;
  if (!trimmed(c.text()).empty()) return QAccessible::StaticText;
  return QAccessible::Graphic;
}

// The children a control shows in the tree, in layout order.
std::vector<Control*> shownChildren(const Control& c) {
  std::vector<Control*> out;
  auto* container = dynamic_cast<const Container*>(&c);
  if (!container) return out;
  for (int i = 0; i < container->count(); ++i) {
    Control* child = container->itemAt(i);
    if (!isSpacer(*child) && widgetOf(*child)) out.push_back(child);
  }
  return out;
}

class ControlAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit ControlAccessible(QWidget* w) : QAccessibleWidget(w) {}

  bool isValid() const override { return QAccessibleWidget::isValid() && control(); }

  QAccessible::Role role() const override {
    const Control* c = control();
    return c ? roleOf(*c) : QAccessible::NoRole;
  }

  QString text(QAccessible::Text t) const override {
    const Control* c = control();
    if (!c) return {};
    switch (t) {
      case QAccessible::Name:
        return qs(accessibleName(*c));
      case QAccessible::Description:
        return c->toolTip().empty() || accessibleName(*c) == c->toolTip() ? QString()
                                                                          : qs(c->toolTip());
      case QAccessible::Value:
        if (auto* palette = dynamic_cast<const ColorPalette*>(c))
          return qs(colourName(palette->selectColor()));
        if (auto* progress = dynamic_cast<const Progress*>(c))
          return QString::number(progress->value());
        return {};
      default:
        return QAccessibleWidget::text(t);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    const Control* c = control();
    if (!c) return s;
    if (auto* row = dynamic_cast<const ListElement*>(c)) {
      s.selectable = true;
      s.selected = row->isSelected();
      const List* list = row->list();
      const QWidget* listWidget = list ? widgetOf(*list) : nullptr;
      s.focused = s.selected && listWidget && listWidget->hasFocus();
    } else if (auto* option = dynamic_cast<const Option*>(c)) {
      if (roleOf(*c) == QAccessible::PageTab) {
        s.selectable = true;
        s.selected = option->isSelected();
      } else {
        s.checkable = true;
        s.checked = option->isSelected();
      }
    }
    if (c->peer()->pushed) s.pressed = true;
    return s;
  }

  QStringList actionNames() const override {
    QStringList names;
    const Control* c = control();
    if (!c || !c->isEnabled()) return names;
    if (dynamic_cast<const ListElement*>(c)) {
      names << pressAction();
    } else if (dynamic_cast<const Option*>(c) && roleOf(*c) == QAccessible::CheckBox) {
      names << toggleAction() << pressAction();
    } else if (dynamic_cast<const Button*>(c)) {
      names << pressAction();
    }
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    Control* c = control();
    if (!c || !c->isEnabled()) return;
    if (action == pressAction() || action == toggleAction()) {
      if (auto* row = dynamic_cast<ListElement*>(c))
        detail::Peer::rowClicked(*row);
      else if (dynamic_cast<Button*>(c))
        detail::Peer::clicked(*c);
      return;
    }
    QAccessibleWidget::doAction(action);
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ValueInterface && dynamic_cast<const Progress*>(control()))
      return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  // A progress shows its value; the user does not set it.
  QVariant currentValue() const override { return progress() ? progress()->value() : 0; }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return progress() ? progress()->maxValue() : 0; }
  QVariant minimumValue() const override { return progress() ? progress()->minValue() : 0; }
  QVariant minimumStepSize() const override { return 1; }

  QAccessibleInterface* parent() const override {
    const Control* c = control();
    if (c && c->parent())
      if (QWidget* w = widgetOf(*c->parent())) return QAccessible::queryAccessibleInterface(w);
    return QAccessibleWidget::parent();
  }

  int childCount() const override {
    const Control* c = control();
    return c ? static_cast<int>(shownChildren(*c).size()) : 0;
  }

  QAccessibleInterface* child(int index) const override {
    const Control* c = control();
    if (!c || index < 0) return nullptr;
    const auto children = shownChildren(*c);
    if (index >= static_cast<int>(children.size())) return nullptr;
    return QAccessible::queryAccessibleInterface(
        widgetOf(*children[static_cast<std::size_t>(index)]));
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    const Control* c = control();
    if (!c || !child) return -1;
    const auto children = shownChildren(*c);
    for (std::size_t i = 0; i < children.size(); ++i)
      if (widgetOf(*children[i]) == child->object()) return static_cast<int>(i);
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    const Control* c = control();
    if (!c) return nullptr;
    for (Control* child : shownChildren(*c)) {
      QWidget* w = widgetOf(*child);
      if (w->isVisible() && QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(x, y))
        return QAccessible::queryAccessibleInterface(w);
    }
    return nullptr;
  }

 private:
  Control* control() const { return controlOf(object()); }
  const Progress* progress() const { return dynamic_cast<const Progress*>(control()); }
};

// A window: a frame, or a dialog while it runs modal; named by its title.
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}

  QAccessible::Role role() const override {
    Window* window = windowOfTop(widget());
    const bool modal =
        window && Window::Native::of(*window) && Window::Native::of(*window)->modalLoop;
    return modal ? QAccessible::Dialog : QAccessible::Window;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name)
      if (Window* window = windowOfTop(widget())) return qs(windowName(*window));
    return QAccessibleWidget::text(t);
  }

  int childCount() const override { return root() ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 && root() ? QAccessible::queryAccessibleInterface(root()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && root() && child->object() == root() ? 0 : -1;
  }

 private:
  QWidget* root() const {
    Window* window = windowOfTop(widget());
    return window && window->root() ? widgetOf(*window->root()) : nullptr;
  }
};

QAccessibleInterface* accessibleFactory(const QString&, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (windowOfTop(widget)) return new WindowAccessible(widget);
  Control* c = controlOf(object);
  if (!c || isNativeKind(*c)) return nullptr;
  // A list's content widget stands for the same control as its scroll area.
  if (widgetOf(*c) != widget) return nullptr;
  return new ControlAccessible(widget);
}

void nameNativeWidgets(Control& c) {
  refreshAccessibleName(c);
  if (auto* container = dynamic_cast<Container*>(&c))
    for (int i = 0; i < container->count(); ++i) nameNativeWidgets(*container->itemAt(i));
}

}  // namespace

std::string accessibleName(const Control& c) {
  if (!c.name().empty() && hasLanguageText(c.name())) return trimmed(languageText(c.name()));
  if (std::string shown = shownText(c); !shown.empty()) return shown;
  if (!c.toolTip().empty()) return c.toolTip();
  if (auto* row = dynamic_cast<const ListElement*>(&c)) return joinedChildTexts(*row);
  if (auto* container = dynamic_cast<const Container*>(&c)) return headingOf(*container);
  if (dynamic_cast<const Label*>(&c)) return {};
  std::string label = labelledBy(c);
  // A button that shows only a colour is named by it.
  if (dynamic_cast<const Button*>(&c) && c.bkImage().empty() && alphaOf(c.bkColor()) != 0) {
    const std::string colour = colourName(c.bkColor());
    return label.empty() ? colour : label + " " + colour;
  }
  return label;
}

std::string windowName(Window& window) {
  QWidget* top = topWidgetOf(window);
  const std::string title = top ? top->windowTitle().toStdString() : std::string();
  if (hasLanguageText(title)) return trimmed(languageText(title));
  const bool modal = Window::Native::of(window) && Window::Native::of(window)->modalLoop;
  // A frame is named by its title; a dialog by the heading in its caption band.
  if ((modal || title.empty()) && window.root()) {
    const Rect band = Window::Native::of(window)->caption;
    std::vector<const Control*> todo{window.root()};
    while (!todo.empty()) {
      const Control* c = todo.back();
      todo.pop_back();
      if (isLabel(*c) && c->isVisible()) {
        const Rect r = c->rect();
        if (band.bottom > 0 && r.top >= band.top && r.bottom <= band.bottom && !r.empty())
          return shownText(*c);
      }
      if (auto* container = dynamic_cast<const Container*>(c))
        for (int i = container->count() - 1; i >= 0; --i) todo.push_back(container->itemAt(i));
    }
  }
  return title;
}

void refreshAccessibleName(Control& c) {
  QWidget* w = widgetOf(c);
  if (!w || !isNativeKind(c)) return;
  const QString name = qs(accessibleName(c));
  if (w->accessibleName() != name) w->setAccessibleName(name);
  const QString tip = qs(c.toolTip());
  if (w->accessibleDescription() != tip) w->setAccessibleDescription(tip);
  // The drop-down's list of items is named after it.
  if (auto* box = qobject_cast<QComboBox*>(w); box && box->view()->accessibleName() != name)
    box->view()->setAccessibleName(name);
}

namespace {

// UI thread only.
bool keyboardLast = true;

// Watches which device gave the last input; never takes an event.
class InputWatch : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
        keyboardLast = true;
        break;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::TouchBegin:
      case QEvent::Wheel:
        keyboardLast = false;
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, e);
  }
};

}  // namespace

void installAccessibility() {
  QAccessible::installFactory(accessibleFactory);
  keyboardLast = true;
  qApp->installEventFilter(new InputWatch(qApp));
}

bool keyboardLastUsed() {
  return keyboardLast;
}

void refreshAccessibleNames(Window& window) {
  if (Control* root = window.root()) nameNativeWidgets(*root);
}

}  // namespace varnacle::ui
