// Containers, tab layouts, lists and their rows, and the layout pass that
// places children.
#include <QScrollArea>
#include <QScrollBar>

#include "ui/attributes.h"
#include "ui/qt/backdrop.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

// ---- Container ----------------------------------------------------------------

Container::Container() : Container(detail::Kind::Container, Direction::None) {}

Container::Container(detail::Kind kind, Direction direction)
    : Control(kind), direction_(direction) {}

// Children go first, while this container's widget still exists.
Container::~Container() {
  children_.clear();
}

void Container::setAttribute(std::string_view name, std::string_view value) {
  if (name == "inset") return setInset(parseEdges(value).value_or(Edges{}));
  if (name == "childpadding") return setChildPadding(parseInt(value).value_or(0));
  Control::setAttribute(name, value);
}

Control* Container::add(std::unique_ptr<Control> child) {
  return addAt(std::move(child), count());
}

Control* Container::addAt(std::unique_ptr<Control> child, int index) {
  if (!child) return nullptr;
  index = std::clamp(index, 0, count());
  Control* raw = child.get();
  children_.insert(children_.begin() + index, std::move(child));
  raw->attach(this, window());
  childrenChanged();
  return raw;
}

bool Container::remove(Control* child) {
  return removeAt(indexOf(child));
}

bool Container::removeAt(int index) {
  if (index < 0 || index >= count()) return false;
  children_.erase(children_.begin() + index);
  childrenChanged();
  return true;
}

void Container::removeAll() {
  children_.clear();
  childrenChanged();
}

Control* Container::itemAt(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

int Container::indexOf(const Control* child) const {
  for (int i = 0; i < count(); ++i)
    if (children_[static_cast<std::size_t>(i)].get() == child) return i;
  return -1;
}

void Container::setInset(Edges inset) {
  inset_ = inset;
  layoutTree(*this);
}

void Container::setChildPadding(int padding) {
  childPadding_ = std::max(0, padding);
  layoutTree(*this);
}

Control* Container::findSubControl(std::string_view name) const {
  for (const auto& child : children_) {
    if (child->name() == name) return child.get();
    if (auto* c = dynamic_cast<Container*>(child.get()))
      if (Control* found = c->findSubControl(name)) return found;
  }
  return nullptr;
}

void Container::reloadText() {
  Control::reloadText();
  for (const auto& child : children_) child->reloadText();
}

void Container::childrenChanged() {
  layoutTree(*this);
}

VerticalLayout::VerticalLayout() : Container(detail::Kind::Container, Direction::Vertical) {}
HorizontalLayout::HorizontalLayout() : Container(detail::Kind::Container, Direction::Horizontal) {}

// ---- TabLayout ------------------------------------------------------------------

void TabLayout::setAttribute(std::string_view name, std::string_view value) {
  if (name == "selectedid") {
    current_ = std::max(0, parseInt(value).value_or(0));
    return showCurrent();
  }
  Container::setAttribute(name, value);
}

bool TabLayout::selectItem(int index) {
  if (index < 0 || index >= count()) return false;
  current_ = index;
  showCurrent();
  return true;
}

void TabLayout::childrenChanged() {
  showCurrent();
}

void TabLayout::showCurrent() {
  layoutTree(*this);
}

// ---- Lists -------------------------------------------------------------------------

ListElement::ListElement() : Container(detail::Kind::Container, Direction::Horizontal) {}

List* ListElement::list() const {
  return dynamic_cast<List*>(parent());
}

int ListElement::index() const {
  return list() ? list()->indexOf(this) : -1;
}

bool ListElement::isSelected() const {
  return list() && list()->currentIndex() == index() && index() >= 0;
}

void ListElement::paint(Painter& painter) {
  if (List* l = list()) {
    if (isSelected())
      painter.fillRect(rect(), l->selectedColor());
    else if (isHot())
      painter.fillRect(rect(), l->hotColor());
  }
  Control::paint(painter);
}

void ListElement::userClicked() {
  auto alive = lifeToken();
  raise(notify::kItemClick);
  if (alive.expired()) return;
  if (List* l = list()) l->selectItem(index(), true);
}

void ListTextElement::setColumnText(int column, std::string text) {
  if (column < 0) return;
  if (column >= columnCount()) columns_.resize(static_cast<std::size_t>(column) + 1);
  columns_[static_cast<std::size_t>(column)] = std::move(text);
  invalidate();
}

std::string ListTextElement::columnText(int column) const {
  if (column < 0 || column >= columnCount()) return {};
  return columns_[static_cast<std::size_t>(column)];
}

void ListTextElement::paint(Painter& painter) {
  ListElement::paint(painter);
  if (columns_.empty()) return;
  const Rect r = rect();
  std::vector<int> widths = list() ? list()->columnWidths() : std::vector<int>{};
  widths.resize(columns_.size(), 0);
  // Columns without a width share what is left.
  int fixed = 0, open = 0;
  for (int w : widths) w > 0 ? fixed += w : ++open;
  const int share = open > 0 ? std::max(0, r.width() - fixed) / open : 0;
  int x = r.left;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const int w = widths[i] > 0 ? widths[i] : share;
    const Rect cell{x + textPadding().left, r.top, x + w - textPadding().right, r.bottom};
    painter.drawText(cell, columns_[i], TextStyle{textColor(), textAlign(), font(), true, false});
    x += w;
  }
}

List::List() : Container(detail::Kind::List, Direction::Vertical) {}

void List::setAttribute(std::string_view name, std::string_view value) {
  if (name == "itemheight") {
    itemHeight_ = std::max(1, parseInt(value).value_or(24));
    return layoutTree(*this);
  }
  if (name == "itemselectedcolor") {
    selectedColor_ = parseColor(value).value_or(selectedColor_);
    return invalidate();
  }
  if (name == "itemhotcolor") {
    hotColor_ = parseColor(value).value_or(hotColor_);
    return invalidate();
  }
  if (name == "columns") {
    columnWidths_.clear();
    std::string_view rest = value;
    while (!rest.empty()) {
      auto comma = rest.find(',');
      columnWidths_.push_back(std::max(0, parseInt(rest.substr(0, comma)).value_or(0)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    return invalidate();
  }
  Container::setAttribute(name, value);
}

ListElement* List::addRow(std::unique_ptr<ListElement> row) {
  return static_cast<ListElement*>(add(std::unique_ptr<Control>(std::move(row))));
}

ListElement* List::insertRow(int index, std::unique_ptr<ListElement> row) {
  index = std::clamp(index, 0, count());
  if (current_ >= index) ++current_;
  return static_cast<ListElement*>(addAt(std::unique_ptr<Control>(std::move(row)), index));
}

bool List::removeRow(int index) {
  if (index < 0 || index >= count()) return false;
  if (current_ == index)
    current_ = -1;
  else if (current_ > index)
    --current_;
  return removeAt(index);
}

void List::removeAllRows() {
  current_ = -1;
  removeAll();
}

ListElement* List::row(int index) const {
  return dynamic_cast<ListElement*>(itemAt(index));
}

bool List::selectItem(int index, bool notify) {
  if (index < -1 || index >= count()) return false;
  if (index == current_) return true;
  const int previous = current_;
  current_ = index;
  if (ListElement* old = row(previous)) old->invalidate();
  if (ListElement* now = row(index)) now->invalidate();
  ensureVisible(index);
  if (notify) raise(notify::kItemSelect, static_cast<std::uintptr_t>(index), previous);
  return true;
}

void List::ensureVisible(int index) {
  auto* area = qobject_cast<QScrollArea*>(peer()->widget.data());
  ListElement* r = row(index);
  if (!area || !r || !widgetOf(*r)) return;
  area->ensureWidgetVisible(widgetOf(*r), 0, 0);
}

void List::childrenChanged() {
  if (current_ >= count()) current_ = -1;
  Container::childrenChanged();
}

// ---- Layout pass ---------------------------------------------------------------------

namespace {

bool shownIn(const Container& parent, const Control& child, int index) {
  if (!child.isVisible()) return false;
  if (auto* tab = dynamic_cast<const TabLayout*>(&parent)) return index == tab->currentIndex();
  return true;
}

}  // namespace

bool Control::isShownInLayout() const {
  for (const Control* c = this; c; c = c->parent()) {
    const Container* parent = c->parent();
    if (!parent) return c->isVisible();
    if (!shownIn(*parent, *c, parent->indexOf(c))) return false;
  }
  return true;
}

void layoutTree(Control& c) {
  auto* container = dynamic_cast<Container*>(&c);
  detail::Peer* peer = c.peer();
  if (!container || !peer || !peer->childHost) return;
  lookChanged(peer->widget);
  const Window* window = c.window();
  auto s = [window](int v) { return window ? window->scaled(v) : v; };
  auto* list = dynamic_cast<List*>(container);

  QWidget* host = peer->childHost;
  QSize hostSize = host->size();
  if (list) {
    auto* area = qobject_cast<QScrollArea*>(peer->widget.data());
    hostSize = area ? area->viewport()->size() : peer->widget->size();
  }
  const Edges in = container->inset();
  const QRect area(s(in.left), s(in.top), hostSize.width() - s(in.left) - s(in.right),
                   hostSize.height() - s(in.top) - s(in.bottom));
  const int gap = s(container->childPadding());
  const auto direction = container->direction();

  // Sizes along the stacking direction: fixed ones first, the rest shared.
  struct Slot {
    Control* child;
    bool shown;
  };
  std::vector<Slot> placed;
  int fixedTotal = 0, autoCount = 0, stacked = 0;
  for (int i = 0; i < container->count(); ++i) {
    Control* child = container->itemAt(i);
    const bool shown = shownIn(*container, *child, i);
    placed.push_back({child, shown});
    if (!shown || child->isFloat()) continue;
    const Edges p = child->padding();
    int fixed =
        direction == Container::Direction::Vertical ? child->fixedHeight() : child->fixedWidth();
    if (list && fixed == 0) fixed = list->itemHeight();
    const int pad =
        direction == Container::Direction::Vertical ? p.top + p.bottom : p.left + p.right;
    fixedTotal += s(pad) + s(fixed);
    if (fixed == 0) ++autoCount;
    ++stacked;
  }
  const int along = direction == Container::Direction::Vertical ? area.height() : area.width();
  const int free = std::max(0, along - fixedTotal - gap * std::max(0, stacked - 1));
  int autoLeft = autoCount;
  int freeLeft = free;

  if (list) {
    const int total = fixedTotal + gap * std::max(0, stacked - 1) + s(in.top) + s(in.bottom);
    host->resize(hostSize.width(), std::max(total, hostSize.height()));
  }

  int cursor = direction == Container::Direction::Vertical ? area.top() : area.left();
  for (const Slot& slot : placed) {
    Control* child = slot.child;
    QWidget* w = widgetOf(*child);
    if (!w) continue;
    if (!slot.shown) {
      w->hide();
      continue;
    }
    const Edges p = child->padding();
    QRect g;
    if (child->isFloat()) {
      const Rect pos = child->pos();
      const int width = pos.width() > 0 ? pos.width() : child->fixedWidth();
      const int height = pos.height() > 0 ? pos.height() : child->fixedHeight();
      g = QRect(s(pos.left), s(pos.top), s(width), s(height));
    } else if (direction == Container::Direction::None) {
      const int width =
          child->fixedWidth() ? s(child->fixedWidth()) : area.width() - s(p.left) - s(p.right);
      const int height =
          child->fixedHeight() ? s(child->fixedHeight()) : area.height() - s(p.top) - s(p.bottom);
      g = QRect(area.left() + s(p.left), area.top() + s(p.top), width, height);
    } else {
      const bool vertical = direction == Container::Direction::Vertical;
      int fixed = vertical ? child->fixedHeight() : child->fixedWidth();
      if (list && fixed == 0) fixed = list->itemHeight();
      int length = s(fixed);
      if (fixed == 0) {
        length = autoLeft == 1 ? freeLeft : free / std::max(1, autoCount);
        freeLeft -= length;
        --autoLeft;
      }
      if (vertical) {
        cursor += s(p.top);
        const int width =
            child->fixedWidth() ? s(child->fixedWidth()) : area.width() - s(p.left) - s(p.right);
        g = QRect(area.left() + s(p.left), cursor, width, length);
        cursor += length + s(p.bottom) + gap;
      } else {
        cursor += s(p.left);
        const int height =
            child->fixedHeight() ? s(child->fixedHeight()) : area.height() - s(p.top) - s(p.bottom);
        g = QRect(cursor, area.top() + s(p.top), length, height);
        cursor += length + s(p.right) + gap;
      }
    }
    g.setWidth(std::max(0, g.width()));
    g.setHeight(std::max(0, g.height()));
    w->setGeometry(g);
    w->show();
    if (child->isFloat()) w->raise();
    layoutTree(*child);
  }
  c.invalidate();
}

void relayoutParentOf(Control& c) {
  if (c.parent()) layoutTree(*c.parent());
}

}  // namespace varnacle::ui
