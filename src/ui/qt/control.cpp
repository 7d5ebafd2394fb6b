// Controls: the state kept by each kind and its hand-over to the widget.
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <cmath>

#include "ui/attributes.h"
#include "ui/language.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

Color hsv(double hue, double saturation, double value) {
  QColor c = QColor::fromHsvF(static_cast<float>(std::fmod(hue, 360.0) / 360.0),
                              static_cast<float>(std::clamp(saturation, 0.0, 1.0)),
                              static_cast<float>(std::clamp(value, 0.0, 1.0)));
  return 0xFF000000u | (static_cast<Color>(c.red()) << 16) | (static_cast<Color>(c.green()) << 8) |
         static_cast<Color>(c.blue());
}

// Tells assistive technologies that a control's name or checked state changed.
void announceName(const Control& c) {
  QWidget* w = widgetOf(c);
  if (!w || !QAccessible::isActive()) return;
  QAccessibleEvent event(w, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void announceSelected(const Control& c) {
  QWidget* w = widgetOf(c);
  if (!w || !QAccessible::isActive()) return;
  QAccessible::State changed;
  changed.checked = true;
  changed.selected = true;
  QAccessibleStateChangeEvent event(w, changed);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

// ---- Control ----------------------------------------------------------------

Control::Control() : Control(detail::Kind::Painted) {}

Control::Control(detail::Kind kind) : peer_(std::make_unique<detail::Peer>(*this, kind)) {}

Control::~Control() = default;

void Control::setName(std::string name) {
  name_ = std::move(name);
  if (peer_->widget) peer_->widget->setObjectName(qs(name_));
}

std::string Control::text() const {
  return resourceText_ ? languageText(text_) : text_;
}

void Control::setText(std::string text) {
  text_ = std::move(text);
  textChanged();
  announceName(*this);
}

void Control::setResourceText(bool on) {
  if (resourceText_ == on) return;
  resourceText_ = on;
  textChanged();
}

void Control::setToolTip(std::string tip) {
  toolTip_ = std::move(tip);
  detail::Peer::syncLook(*this);
}

void Control::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (parent_)
    relayoutParentOf(*this);
  else if (peer_->widget && peer_->widget->parentWidget())
    peer_->widget->setVisible(visible);
}

void Control::setEnabled(bool enabled) {
  enabled_ = enabled;
  detail::Peer::syncLook(*this);
}

void Control::setBkColor(Color c) {
  bkColor_ = c;
  detail::Peer::syncLook(*this);
}

void Control::setBkImage(std::string description) {
  bkImage_ = std::move(description);
  invalidate();
}

void Control::setTextColor(Color c) {
  textColor_ = c;
  detail::Peer::syncLook(*this);
}

void Control::setTextPadding(Edges padding) {
  textPadding_ = padding;
  invalidate();
}

void Control::setFont(int index) {
  font_ = index;
  detail::Peer::syncLook(*this);
}

void Control::setTextAlign(unsigned align) {
  textAlign_ = align;
  invalidate();
}

// A tint that does not change asks for no repaint: preview frames set every
// light's colour and alpha, most of them as they were.
void Control::setChangerColor(Color c) {
  if (changerColor_ == c) return;
  changerColor_ = c;
  invalidate();
}

void Control::setChangerAlpha(int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  if (changerAlpha_ == alpha) return;
  changerAlpha_ = alpha;
  invalidate();
}

void Control::setIsChangerColor(bool on) {
  if (isChangerColor_ == on) return;
  isChangerColor_ = on;
  invalidate();
}

void Control::setAttribute(std::string_view name, std::string_view value) {
  std::string v(value);
  if (name == "name") return setName(v);
  if (name == "text") return setText(v);
  if (name == "resourcetext") return setResourceText(parseBool(value).value_or(false));
  if (name == "tooltip") return setToolTip(v);
  if (name == "visible") return setVisible(parseBool(value).value_or(true));
  if (name == "enabled") return setEnabled(parseBool(value).value_or(true));
  if (name == "bkcolor") return setBkColor(parseColor(value).value_or(0));
  if (name == "bkimage") return setBkImage(v);
  if (name == "textcolor") return setTextColor(parseColor(value).value_or(0xFF000000));
  if (name == "textpadding") return setTextPadding(parseEdges(value).value_or(Edges{}));
  if (name == "font") return setFont(parseInt(value).value_or(-1));
  if (name == "align") return setTextAlign(parseAlign(value, textAlign_));
  if (name == "valign") return setTextAlign(parseAlign(value, textAlign_));
  if (name == "showhtml") {
    html_ = parseBool(value).value_or(false);
    return invalidate();
  }
  if (name == "userdata") return setUserData(v);
  if (name == "virtualwnd") return setVirtualWindow(v);
  if (name == "changercolor") return setChangerColor(parseColor(value).value_or(0));
  if (name == "changeralpha") return setChangerAlpha(parseInt(value).value_or(255));
  if (name == "ischangercolor") return setIsChangerColor(parseBool(value).value_or(false));
  if (name == "width") return setFixedWidth(parseInt(value).value_or(0));
  if (name == "height") return setFixedHeight(parseInt(value).value_or(0));
  if (name == "padding") return setPadding(parseEdges(value).value_or(Edges{}));
  if (name == "float") return setFloat(parseBool(value).value_or(false));
  if (name == "pos") return setPos(parseRect(value).value_or(Rect{}));
  extraAttributes_[std::string(name)] = v;
}

std::string Control::attribute(std::string_view name) const {
  auto it = extraAttributes_.find(name);
  return it == extraAttributes_.end() ? std::string() : it->second;
}

void Control::setFixedWidth(int w) {
  fixedWidth_ = std::max(0, w);
  relayoutParentOf(*this);
}

void Control::setFixedHeight(int h) {
  fixedHeight_ = std::max(0, h);
  relayoutParentOf(*this);
}

void Control::setPadding(Edges padding) {
  padding_ = padding;
  relayoutParentOf(*this);
}

void Control::setFloat(bool on) {
  float_ = on;
  relayoutParentOf(*this);
}

void Control::setPos(const Rect& pos) {
  pos_ = pos;
  if (!float_) {
    if (pos.width() > 0) fixedWidth_ = pos.width();
    if (pos.height() > 0) fixedHeight_ = pos.height();
  }
  relayoutParentOf(*this);
}

Rect Control::rect() const {
  QWidget* w = peer_->widget;
  if (!w) return {};
  // mapTo(window()) would walk the parents twice; a light's paint asks often.
  QPoint origin;
  for (const QWidget* at = w; !at->isWindow(); at = at->parentWidget()) origin += at->pos();
  return {origin.x(), origin.y(), origin.x() + w->width(), origin.y() + w->height()};
}

void Control::invalidate() {
  repaintControl(*this);
  if (peer_->childHost && peer_->childHost != peer_->widget) peer_->childHost->update();
}

void Control::paint(Painter& painter) {
  if (alphaOf(bkColor_) != 0) painter.fillRect(rect(), bkColor_);
  const std::string& state = stateImage();
  if (!state.empty()) paintImage(painter, bkImage_);
  // The tint covers the topmost image; the two are drawn in one go.
  const std::string& top = state.empty() ? bkImage_ : state;
  if (!tints())
    paintImage(painter, top);
  else if (top.empty() || !painter.drawImageTintedOver(top, rect(), changerColor_, changerAlpha_))
    paintTintFill(painter);
  paintText(painter);
}

void Control::reloadText() {
  if (!resourceText_) return;
  textChanged();
  announceName(*this);
}

void Control::raise(std::string_view type, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!window_) return;
  window_->notify(Notification{std::string(type), this, wParam, lParam});
}

const std::string& Control::stateImage() const {
  static const std::string none;
  return none;
}

bool Control::hasOwnLook() const {
  return alphaOf(bkColor_) != 0 || !bkImage_.empty() || !stateImage().empty() ||
         tints() || !text().empty();
}

void Control::paintBackground(Painter& painter) {
  if (alphaOf(bkColor_) != 0) painter.fillRect(rect(), bkColor_);
  paintImage(painter, bkImage_);
}

void Control::paintImage(Painter& painter, const std::string& description) {
  if (!description.empty()) painter.drawImage(description, rect());
}

void Control::paintTint(Painter& painter) {
  if (!tints()) return;
  const std::string& state = stateImage();
  const std::string& image = state.empty() ? bkImage_ : state;
  if (image.empty() || !painter.drawTintedImage(image, rect(), changerColor_, changerAlpha_))
    paintTintFill(painter);
}

void Control::paintTintFill(Painter& painter) {
  painter.fillRect(rect(), (changerColor_ & 0x00FFFFFFu) | (Color(changerAlpha_) << 24));
}

void Control::paintText(Painter& painter) {
  const std::string shown = text();
  if (shown.empty()) return;
  Rect r = rect();
  r = {r.left + textPadding_.left, r.top + textPadding_.top, r.right - textPadding_.right,
       r.bottom - textPadding_.bottom};
  Color color = enabled_ ? textColor_ : 0xFFA0A0A0;
  painter.drawText(r, shown, TextStyle{color, textAlign_, font_, true, html_});
}

bool Control::isHot() const {
  return peer_->hot;
}
bool Control::isPushed() const {
  return peer_->pushed;
}

void Control::attach(Container* parent, Window* window) {
  parent_ = parent;
  if (parent && parent->peer_->childHost && peer_->widget)
    peer_->widget->setParent(parent->peer_->childHost);
  setWindowRecursive(window);
}

void Control::setWindowRecursive(Window* window) {
  window_ = window;
  detail::Peer::syncLook(*this);
  if (auto* c = dynamic_cast<Container*>(this))
    for (int i = 0; i < c->count(); ++i) c->itemAt(i)->setWindowRecursive(window);
}

// ---- Button, Option -----------------------------------------------------------

// Button texts are centred unless the layout says otherwise.
Button::Button() : Button(detail::Kind::Button) {}
Button::Button(detail::Kind kind) : Control(kind) {
  setTextAlign(kAlignCenter);
}

void Button::setAttribute(std::string_view name, std::string_view value) {
  std::string v(value);
  if (name == "normalimage") return setNormalImage(v);
  if (name == "hotimage") return setHotImage(v);
  if (name == "pushedimage") return setPushedImage(v);
  if (name == "disabledimage") return setDisabledImage(v);
  Control::setAttribute(name, value);
}

void Button::setNormalImage(std::string d) {
  normalImage_ = std::move(d);
  invalidate();
}
void Button::setHotImage(std::string d) {
  hotImage_ = std::move(d);
  invalidate();
}
void Button::setPushedImage(std::string d) {
  pushedImage_ = std::move(d);
  invalidate();
}
void Button::setDisabledImage(std::string d) {
  disabledImage_ = std::move(d);
  invalidate();
}

void Button::activate() {
  if (isEnabled()) raise(notify::kClick);
}

const std::string& Button::stateImage() const {
  if (!isEnabled() && !disabledImage_.empty()) return disabledImage_;
  if (isPushed() && !pushedImage_.empty()) return pushedImage_;
  if ((isHot() || isPushed()) && !hotImage_.empty()) return hotImage_;
  return normalImage_;
}

Option::Option() : Button(detail::Kind::Option) {}

void Option::setAttribute(std::string_view name, std::string_view value) {
  if (name == "group") return setGroup(std::string(value));
  if (name == "selected") return setSelected(parseBool(value).value_or(false), false);
  if (name == "selectedimage") return setSelectedImage(std::string(value));
  Button::setAttribute(name, value);
}

void Option::setSelectedImage(std::string d) {
  selectedImage_ = std::move(d);
  invalidate();
}

const std::string& Option::stateImage() const {
  if (selected_ && !selectedImage_.empty() && isEnabled()) return selectedImage_;
  return Button::stateImage();
}

namespace {
void collectGroup(Control& c, const std::string& group, std::vector<Option*>& out) {
  if (auto* o = dynamic_cast<Option*>(&c); o && o->group() == group) out.push_back(o);
  if (auto* container = dynamic_cast<Container*>(&c))
    for (int i = 0; i < container->count(); ++i) collectGroup(*container->itemAt(i), group, out);
}
}  // namespace

void Option::setSelected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  invalidate();
  announceSelected(*this);
  std::vector<Option*> others;
  if (selected && !group_.empty()) {
    Control* top = this;
    while (top->parent()) top = top->parent();
    if (window() && window()->root()) top = window()->root();
    collectGroup(*top, group_, others);
  }
  std::vector<std::weak_ptr<const void>> alive;
  for (Option* o : others) alive.push_back(o->lifeToken());
  auto self = lifeToken();
  for (std::size_t i = 0; i < others.size(); ++i) {
    Option* o = others[i];
    if (o == this || alive[i].expired() || !o->selected_) continue;
    o->selected_ = false;
    o->invalidate();
    announceSelected(*o);
    if (notify) o->raise(notify::kSelectChanged, 0);
  }
  if (notify && !self.expired()) raise(notify::kSelectChanged, selected ? 1 : 0);
}

void Option::userClicked() {
  if (!isEnabled()) return;
  auto alive = lifeToken();
  raise(notify::kClick);
  if (alive.expired()) return;
  if (!group_.empty()) {
    setSelected(true, true);
  } else {
    setSelected(!selected_, true);
  }
}

// ---- Combo ---------------------------------------------------------------------

Combo::Combo() : Control(detail::Kind::Combo) {}

void Combo::setAttribute(std::string_view name, std::string_view value) {
  if (name == "text") return;  // a combo shows its current item
  Control::setAttribute(name, value);
  if (name == "resourcetext") syncItems();
}

int Combo::addItem(std::string text, std::string userData) {
  return insertItem(count(), std::move(text), std::move(userData));
}

int Combo::insertItem(int index, std::string text, std::string userData) {
  index = std::clamp(index, 0, count());
  items_.insert(items_.begin() + index, Item{std::move(text), std::move(userData), {}});
  if (current_ >= index) ++current_;
  syncItems();
  return index;
}

bool Combo::removeItem(int index) {
  if (index < 0 || index >= count()) return false;
  items_.erase(items_.begin() + index);
  if (current_ == index)
    current_ = -1;
  else if (current_ > index)
    --current_;
  syncItems();
  return true;
}

void Combo::removeAllItems() {
  items_.clear();
  current_ = -1;
  syncItems();
}

std::string Combo::itemText(int index) const {
  if (index < 0 || index >= count()) return {};
  const std::string& t = items_[static_cast<std::size_t>(index)].text;
  return isResourceText() ? languageText(t) : t;
}

std::string Combo::itemUserData(int index) const {
  if (index < 0 || index >= count()) return {};
  return items_[static_cast<std::size_t>(index)].userData;
}

void Combo::setItemToolTip(int index, std::string tip) {
  if (index < 0 || index >= count()) return;
  items_[static_cast<std::size_t>(index)].toolTip = std::move(tip);
  syncItems();
}

std::string Combo::itemToolTip(int index) const {
  if (index < 0 || index >= count()) return {};
  return items_[static_cast<std::size_t>(index)].toolTip;
}

void Combo::setItemHeight(int height) {
  itemHeight_ = std::max(0, height);
  syncItems();
}

bool Combo::selectItem1(int index, bool takeFocus, bool notify) {
  if (index < -1 || index >= count()) return false;
  if (takeFocus && peer()->widget) peer()->widget->setFocus();
  if (index == current_) return true;
  const int previous = current_;
  current_ = index;
  syncItems();
  if (notify) raise(notify::kItemSelect, static_cast<std::uintptr_t>(index), previous);
  return true;
}

void Combo::reloadText() {
  Control::reloadText();
  if (isResourceText()) syncItems();
}

void Combo::syncItems() {
  auto* box = qobject_cast<QComboBox*>(peer()->widget.data());
  if (!box) return;
  QSignalBlocker block(box);
  box->clear();
  for (int i = 0; i < count(); ++i) {
    box->addItem(qs(itemText(i)));
    const std::string& tip = items_[static_cast<std::size_t>(i)].toolTip;
    if (!tip.empty()) box->setItemData(i, qs(tip), Qt::ToolTipRole);
    if (itemHeight_ > 0) box->setItemData(i, QSize(0, itemHeight_), Qt::SizeHintRole);
  }
  box->setCurrentIndex(current_);
}

void Combo::userSelected(int index) {
  if (index < 0 || index >= count() || index == current_) return;
  const int previous = current_;
  current_ = index;
  raise(notify::kItemSelect, static_cast<std::uintptr_t>(index), previous);
}

// ---- Progress, Slider -------------------------------------------------------------

Progress::Progress() : Control(detail::Kind::Painted) {}
Progress::Progress(detail::Kind kind) : Control(kind) {}

void Progress::setAttribute(std::string_view name, std::string_view value) {
  if (name == "min") return setMinValue(parseInt(value).value_or(0));
  if (name == "max") return setMaxValue(parseInt(value).value_or(100));
  if (name == "value") return setValue(parseInt(value).value_or(0));
  if (name == "forecolor") return setForeColor(parseColor(value).value_or(0));
  if (name == "foreimage") return setForeImage(std::string(value));
  if (name == "hor") return setHorizontal(parseBool(value).value_or(true));
  Control::setAttribute(name, value);
}

void Progress::setValue(int value) {
  value_ = std::clamp(value, min_, max_);
  valueRangeChanged();
}

void Progress::setMinValue(int v) {
  min_ = v;
  max_ = std::max(max_, min_);
  value_ = std::clamp(value_, min_, max_);
  valueRangeChanged();
}

void Progress::setMaxValue(int v) {
  max_ = v;
  min_ = std::min(min_, max_);
  value_ = std::clamp(value_, min_, max_);
  valueRangeChanged();
}

void Progress::setForeColor(Color c) {
  foreColor_ = c;
  invalidate();
}

void Progress::setForeImage(std::string d) {
  foreImage_ = std::move(d);
  invalidate();
}

void Progress::setHorizontal(bool on) {
  horizontal_ = on;
  valueRangeChanged();
}

void Progress::paint(Painter& painter) {
  paintBackground(painter);
  const Rect r = rect();
  if (max_ > min_) {
    const double share = static_cast<double>(value_ - min_) / (max_ - min_);
    Rect fore = r;
    if (horizontal_)
      fore.right = r.left + static_cast<int>(r.width() * share);
    else
      fore.top = r.bottom - static_cast<int>(r.height() * share);
    if (!fore.empty()) {
      if (!foreImage_.empty()) {
        painter.pushClip(fore);
        painter.drawImage(foreImage_, r);
        painter.popClip();
      } else if (alphaOf(foreColor_) != 0) {
        painter.fillRect(fore, foreColor_);
      }
    }
  }
  paintTint(painter);
  paintText(painter);
}

Slider::Slider() : Progress(detail::Kind::Slider) {
  valueRangeChanged();
}

void Slider::valueRangeChanged() {
  auto* slider = qobject_cast<QSlider*>(peer()->widget.data());
  if (!slider) return;
  QSignalBlocker block(slider);
  slider->setOrientation(isHorizontal() ? Qt::Horizontal : Qt::Vertical);
  slider->setRange(minValue(), maxValue());
  slider->setValue(value());
}

void Slider::userMoved(int value, bool dragging) {
  if (!isEnabled()) return;
  setValue(value);
  raise(dragging ? notify::kMoveValueChanged : notify::kValueChanged,
        static_cast<std::uintptr_t>(this->value()));
}

// ---- ColorPalette --------------------------------------------------------------------

ColorPalette::ColorPalette() : Control(detail::Kind::Palette) {}

void ColorPalette::setAttribute(std::string_view name, std::string_view value) {
  if (name == "barheight") {
    barHeight_ = std::max(0, parseInt(value).value_or(10));
    return invalidate();
  }
  if (name == "selectcolor") return setSelectColor(parseColor(value).value_or(0xFFFF0000));
  Control::setAttribute(name, value);
}

void ColorPalette::setSelectColor(Color c) {
  selected_ = c | 0xFF000000u;
  QColor q = qcolor(selected_).toHsv();
  hue_ = std::max(0.0, static_cast<double>(q.hsvHueF()) * 360.0);
  saturation_ = q.hsvSaturationF();
  brightness_ = q.valueF();
  invalidate();
}

Color ColorPalette::fieldColor() const {
  return hsv(hue_, saturation_, 1.0);
}

Color ColorPalette::colorAt(Point local, Size size, int barHeight, double brightness) {
  const int width = std::max(1, size.width);
  const int field = std::max(1, size.height - std::max(0, barHeight));
  const int x = std::clamp(local.x, 0, width - 1);
  const int y = std::clamp(local.y, 0, field - 1);
  const double hue = x * 360.0 / width;
  const double saturation = field > 1 ? 1.0 - static_cast<double>(y) / (field - 1) : 1.0;
  return hsv(hue, saturation, brightness);
}

void ColorPalette::userPicked(Point local, bool released) {
  if (!isEnabled()) return;
  QWidget* w = peer()->widget;
  const Size size{w ? w->width() : 1, w ? w->height() : 1};
  const int field = size.height - barHeight_;
  if (local.y < field) {
    const int width = std::max(1, size.width);
    hue_ = std::clamp(local.x, 0, width - 1) * 360.0 / width;
    saturation_ = field > 1
                      ? 1.0 - static_cast<double>(std::clamp(local.y, 0, field - 1)) / (field - 1)
                      : 1.0;
  } else {
    brightness_ = size.width > 1 ? static_cast<double>(local.x) / (size.width - 1) : 1.0;
  }
  selected_ = hsv(hue_, saturation_, brightness_);
  invalidate();
  if (released) raise(notify::kColorChanged, selected_);
}

// ---- Edit ------------------------------------------------------------------------------

Edit::Edit() : Control(detail::Kind::Edit) {}

void Edit::setAttribute(std::string_view name, std::string_view value) {
  if (name == "readonly") return setReadOnly(parseBool(value).value_or(false));
  if (name == "maxchar") return setMaxChars(parseInt(value).value_or(0));
  if (name == "password") return setPassword(parseBool(value).value_or(false));
  Control::setAttribute(name, value);
}

void Edit::setReadOnly(bool on) {
  readOnly_ = on;
  if (auto* e = qobject_cast<QLineEdit*>(peer()->widget.data())) e->setReadOnly(on);
}

void Edit::setMaxChars(int n) {
  maxChars_ = std::max(0, n);
  if (auto* e = qobject_cast<QLineEdit*>(peer()->widget.data()))
    e->setMaxLength(maxChars_ > 0 ? maxChars_ : 32767);
}

void Edit::setPassword(bool on) {
  password_ = on;
  if (auto* e = qobject_cast<QLineEdit*>(peer()->widget.data()))
    e->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void Edit::textChanged() {
  auto* e = qobject_cast<QLineEdit*>(peer()->widget.data());
  if (!e) return;
  const QString shown = qs(text());
  if (e->text() != shown) {
    QSignalBlocker block(e);
    e->setText(shown);
  }
}

void Edit::userEdited(std::string text) {
  setText(std::move(text));
  raise(notify::kTextChanged);
}

}  // namespace varnacle::ui
