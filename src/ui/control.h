#pragma once
// Controls of the window library: the named things the pages drive.
//
// A Control is the Qt-free model of one on-screen control; the Qt side keeps one
// widget per control in step with it. Every name below stands for the library
// operation the pages know (SetText, SetBkImage, SelectItem1 ...), written
// lowerCamel.
//
// Ownership: a container owns its children; a window owns its root. A raw
// Control* from findControl() lives as long as the control stays in its window.
// UI thread only, all of it (workers hand changes over through the dispatcher).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/geometry.h"
#include "ui/notification.h"
#include "ui/painter.h"

namespace varnacle::ui {

class Window;
class Container;

namespace detail {
struct Peer;
// Which toolkit widget stands behind a control.
enum class Kind {
  Painted,    // drawn by Control::paint(): plain controls, labels, custom controls
  Button,     // painted, clickable
  Option,     // painted, clickable, selectable
  Combo,      // toolkit drop-down
  Slider,     // toolkit slider
  Palette,    // colour palette
  Edit,       // toolkit line edit
  Container,  // painted, lays out children
  List,       // scrolling container of rows
};
}  // namespace detail

// The base of every control; on its own a plain painted rectangle ("Control").
//
// Painting order (paint()): background colour, background image, state image,
// tint, text. Custom controls override paint() and may call the pieces.
class Control {
 public:
  Control();
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The element name of the layout format ("Control", "Button", "Combo" ...).
  virtual std::string_view className() const { return "Control"; }

  // The layout name; the toolkit widget carries it as its object name, so
  // desktop tools find the control by it.
  const std::string& name() const { return name_; }
  void setName(std::string name);

  // GetText: what the control shows. In resource-text mode the stored text is a
  // language key and this is its entry in the loaded language file (the key
  // itself when the file lacks it).
  std::string text() const;
  // The stored text: the key in resource-text mode.
  const std::string& rawText() const { return text_; }
  virtual void setText(std::string text);
  // SetResourceText: treat the text as a language key, re-resolved by
  // Window::reloadText().
  void setResourceText(bool on);
  bool isResourceText() const { return resourceText_; }

  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string tip);

  // SetVisible / IsVisible: the control's own flag (a hidden parent hides it too).
  void setVisible(bool visible);
  bool isVisible() const { return visible_; }
  // Whether the layout shows it: it and every container above it visible, and
  // the page in front of every tab layout above it. Says nothing of whether
  // the window itself is shown.
  bool isShownInLayout() const;
  void setEnabled(bool enabled);
  bool isEnabled() const { return enabled_; }

  // SetBkColor: 0 means none.
  void setBkColor(Color c);
  Color bkColor() const { return bkColor_; }
  // SetBkImage: an image description, "file='ms/key_left_normal.png'" or a bare
  // file name, relative to the skin folder unless absolute; "" for none.
  void setBkImage(std::string description);
  const std::string& bkImage() const { return bkImage_; }
  void setTextColor(Color c);
  Color textColor() const { return textColor_; }
  // SetTextPadding: distances of the text from the control's edges.
  void setTextPadding(Edges padding);
  Edges textPadding() const { return textPadding_; }
  void setFont(int index);
  int font() const { return font_; }
  // Alignment of the text (Align flags).
  void setTextAlign(unsigned align);
  unsigned textAlign() const { return textAlign_; }

  // Tint (SetChangerColor, SetChangerAlpha, SetIsChangerColor): a colour blended
  // with the given alpha over the control's images (over the whole control when
  // it has none). The colour's own alpha is ignored. Off by default.
  void setChangerColor(Color c);
  Color changerColor() const { return changerColor_; }
  void setChangerAlpha(int alpha);  // clamped to 0..255
  int changerAlpha() const { return changerAlpha_; }
  void setIsChangerColor(bool on);
  bool isChangerColor() const { return isChangerColor_; }

  // SetUserData / GetUserData: a string the pages keep on the control.
  void setUserData(std::string data) { userData_ = std::move(data); }
  const std::string& userData() const { return userData_; }
  // SetTag / GetTag: a number the pages keep on the control.
  void setTag(std::uintptr_t tag) { tag_ = tag; }
  std::uintptr_t tag() const { return tag_; }

  // SetAttribute: any layout attribute by name (see skin/README.md). Unknown
  // names are kept and readable through attribute(). Overrides handle their own
  // names and pass the rest to the base.
  virtual void setAttribute(std::string_view name, std::string_view value);
  // The last value given to an attribute name that no control kind handles.
  std::string attribute(std::string_view name) const;

  // Layout: fixed size (0 = share the free space), outer padding, and absolute
  // placement ("float" with "pos" relative to the parent's top-left).
  void setFixedWidth(int w);
  void setFixedHeight(int h);
  int fixedWidth() const { return fixedWidth_; }
  int fixedHeight() const { return fixedHeight_; }
  void setPadding(Edges padding);
  Edges padding() const { return padding_; }
  void setFloat(bool on);
  bool isFloat() const { return float_; }
  // SetPos: for a floating control the rectangle in its parent; otherwise only
  // the size counts (fixed width and height).
  void setPos(const Rect& pos);
  const Rect& pos() const { return pos_; }
  // Where the control lies now, in its window's pixels (empty when not laid out).
  Rect rect() const;

  // The name of the virtual window whose notification pump hears this control.
  void setVirtualWindow(std::string name) { virtualWindow_ = std::move(name); }
  const std::string& virtualWindow() const { return virtualWindow_; }

  Container* parent() const { return parent_; }
  // The window the control lives in, or null while it is not part of one.
  Window* window() const { return window_; }

  // Invalidate / NeedUpdate: asks for a repaint.
  void invalidate();

  // Draws the control. The default paints background, images, tint and text.
  virtual void paint(Painter& painter);
  // Whether the base paint() draws anything: a background, an image, a tint
  // or a text.
  bool hasOwnLook() const;

  // Re-resolves resource texts after a language change (Window::reloadText()).
  virtual void reloadText();

  // The toolkit side (ui/qt only).
  detail::Peer* peer() const { return peer_.get(); }

 protected:
  explicit Control(detail::Kind kind);

  // Delivers a notification from this control to its window (nothing without one).
  void raise(std::string_view type, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

  void paintBackground(Painter& painter);
  // The image for the current state (hot, pushed, selected, disabled); "" for none.
  virtual const std::string& stateImage() const;
  void paintImage(Painter& painter, const std::string& description);
  void paintTint(Painter& painter);
  bool tints() const { return isChangerColor_ && changerAlpha_ != 0; }
  // The tint where it has no image to cover: over the whole control.
  void paintTintFill(Painter& painter);
  virtual void paintText(Painter& painter);
  // Whether the pointer is over the control / the button is held on it.
  bool isHot() const;
  bool isPushed() const;
  // Applies a text change to the toolkit widget (native kinds show it themselves).
  virtual void textChanged() { invalidate(); }
  // Expires when the control is destroyed: checked after raising a
  // notification, whose handler may remove the control.
  std::weak_ptr<const void> lifeToken() const { return life_; }

 private:
  friend class Container;
  friend class Window;
  friend struct detail::Peer;
  void attach(Container* parent, Window* window);
  void setWindowRecursive(Window* window);

  std::shared_ptr<const void> life_ = std::make_shared<char>(0);
  std::unique_ptr<detail::Peer> peer_;
  Container* parent_ = nullptr;
  Window* window_ = nullptr;

  std::string name_;
  std::string text_;
  bool resourceText_ = false;
  std::string toolTip_;
  bool visible_ = true;
  bool enabled_ = true;
  Color bkColor_ = 0;
  std::string bkImage_;
  Color textColor_ = 0xFF000000;
  Edges textPadding_;
  int font_ = -1;
  unsigned textAlign_ = kAlignLeft | kAlignVCenter;
  bool html_ = false;
  Color changerColor_ = 0;
  int changerAlpha_ = 255;
  bool isChangerColor_ = false;
  std::string userData_;
  std::uintptr_t tag_ = 0;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  Edges padding_;
  bool float_ = false;
  Rect pos_;
  std::string virtualWindow_;
  std::map<std::string, std::string, std::less<>> extraAttributes_;
};

// A base for the program's own painted controls: override paint().
using CustomControl = Control;

class Label : public Control {
 public:
  Label() = default;
  std::string_view className() const override { return "Label"; }
};

// Raises "click" when pressed and released over it. Images: "normalimage",
// "hotimage", "pushedimage", "disabledimage". Its text is centred by default.
class Button : public Control {
 public:
  Button();
  std::string_view className() const override { return "Button"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  void setNormalImage(std::string d);
  void setHotImage(std::string d);
  void setPushedImage(std::string d);
  void setDisabledImage(std::string d);
  // Raises "click" as a user click would.
  void activate();

 protected:
  explicit Button(detail::Kind kind);
  const std::string& stateImage() const override;

 private:
  friend struct detail::Peer;
  std::string normalImage_, hotImage_, pushedImage_, disabledImage_;
};

// A button that stays selected. Options of one group (same "group" name in one
// window) select exclusively. A click selects it ("click" then "selectchanged");
// clicking a selected grouped option changes nothing.
class Option : public Button {
 public:
  Option();
  std::string_view className() const override { return "Option"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  // Selected: `notify` raises "selectchanged" on every option whose state changed.
  void setSelected(bool selected, bool notify = true);
  bool isSelected() const { return selected_; }
  void setGroup(std::string group) { group_ = std::move(group); }
  const std::string& group() const { return group_; }
  void setSelectedImage(std::string d);

 protected:
  const std::string& stateImage() const override;

 private:
  friend struct detail::Peer;
  void userClicked();
  bool selected_ = false;
  std::string group_;
  std::string selectedImage_;
};

// An option without a group that toggles on each click.
class CheckBox : public Option {
 public:
  CheckBox() = default;
  std::string_view className() const override { return "CheckBox"; }
  void setChecked(bool checked, bool notify = true) { setSelected(checked, notify); }
  bool isChecked() const { return isSelected(); }
};

// A drop-down list of texts. The user's choice raises "itemselect" (wParam new
// index, lParam previous). In resource-text mode the item texts are keys.
class Combo : public Control {
 public:
  Combo();
  std::string_view className() const override { return "Combo"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  // Returns the new item's index.
  int addItem(std::string text, std::string userData = {});
  // Inserts before `index` (clamped to 0..count()).
  int insertItem(int index, std::string text, std::string userData = {});
  bool removeItem(int index);
  void removeAllItems();
  int count() const { return static_cast<int>(items_.size()); }
  // The shown text of an item ("" when out of range).
  std::string itemText(int index) const;
  std::string itemUserData(int index) const;
  // A row's tooltip in the open list ("" for none); out of range: nothing.
  void setItemToolTip(int index, std::string tip);
  std::string itemToolTip(int index) const;
  // The height of the open list's rows in pixels (0: the toolkit's).
  void setItemHeight(int height);
  int itemHeight() const { return itemHeight_; }
  // GetCurSel: -1 when nothing is selected.
  int currentIndex() const { return current_; }
  // SelectItem1: selects by index; -1 clears. `takeFocus` gives the combo the
  // keyboard focus; `notify` raises "itemselect" when the selection changed.
  // False for an index out of range (nothing changes).
  bool selectItem1(int index, bool takeFocus = false, bool notify = true);
  void reloadText() override;

 private:
  friend struct detail::Peer;
  struct Item {
    std::string text;
    std::string userData;
    std::string toolTip;
  };
  void syncItems();
  void userSelected(int index);
  std::vector<Item> items_;
  int current_ = -1;
  int itemHeight_ = 0;
};

// A horizontal (or vertical, "hor"="false") bar showing value between minimum
// and maximum: "forecolor"/"foreimage" over the background.
class Progress : public Control {
 public:
  Progress();
  std::string_view className() const override { return "Progress"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  // SetValue: clamped to minimum..maximum.
  void setValue(int value);
  int value() const { return value_; }
  void setMinValue(int v);
  int minValue() const { return min_; }
  void setMaxValue(int v);
  int maxValue() const { return max_; }
  void setForeColor(Color c);
  Color foreColor() const { return foreColor_; }
  void setForeImage(std::string d);
  const std::string& foreImage() const { return foreImage_; }
  void setHorizontal(bool on);
  bool isHorizontal() const { return horizontal_; }
  void paint(Painter& painter) override;

 protected:
  explicit Progress(detail::Kind kind);
  virtual void valueRangeChanged() { invalidate(); }

 private:
  int value_ = 0;
  int min_ = 0;
  int max_ = 100;
  Color foreColor_ = 0;
  std::string foreImage_;
  bool horizontal_ = true;
};

// A progress the user drags: "movevaluechanged" while dragging, "valuechanged"
// when released (and for each key or page step). setValue() raises nothing.
class Slider : public Progress {
 public:
  Slider();
  std::string_view className() const override { return "Slider"; }

 private:
  friend struct detail::Peer;
  void valueRangeChanged() override;
  void userMoved(int value, bool dragging);
};

// A hue/saturation field over a brightness strip ("barheight", default 10).
// A click or drag picks a colour; releasing raises "colorchanged".
class ColorPalette : public Control {
 public:
  ColorPalette();
  std::string_view className() const override { return "ColorPalette"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  // SetSelectColor / GetSelectColor (opaque ARGB).
  void setSelectColor(Color c);
  Color selectColor() const { return selected_; }
  int barHeight() const { return barHeight_; }
  // The colour under a point of the field (hue left to right, saturation from
  // full at the top to none at the bottom), in control-local pixels, for a
  // control of `size` whose strip is `barHeight` high; `brightness` 0..1.
  static Color colorAt(Point local, Size size, int barHeight, double brightness);
  double brightness() const { return brightness_; }
  // The picked hue and saturation at full brightness.
  Color fieldColor() const;

 private:
  friend struct detail::Peer;
  void userPicked(Point local, bool released);
  Color selected_ = 0xFFFF0000;
  double hue_ = 0.0;
  double saturation_ = 1.0;
  double brightness_ = 1.0;
  int barHeight_ = 10;
};

// A one-line text field. The user's typing raises "textchanged"; setText()
// raises nothing.
class Edit : public Control {
 public:
  Edit();
  std::string_view className() const override { return "Edit"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  void setReadOnly(bool on);
  bool isReadOnly() const { return readOnly_; }
  // At most this many characters (0 = no limit).
  void setMaxChars(int n);
  int maxChars() const { return maxChars_; }
  void setPassword(bool on);

 protected:
  void textChanged() override;

 private:
  friend struct detail::Peer;
  void userEdited(std::string text);
  bool readOnly_ = false;
  int maxChars_ = 0;
  bool password_ = false;
};

// Holds children. A plain "Container" gives every child the whole inner area
// (minus "inset"); the layouts below stack them. Floating children are placed
// by their "pos" and take no room.
class Container : public Control {
 public:
  Container();
  ~Container() override;
  std::string_view className() const override { return "Container"; }
  void setAttribute(std::string_view name, std::string_view value) override;

  // Add / AddAt: takes ownership; returns the child.
  Control* add(std::unique_ptr<Control> child);
  Control* addAt(std::unique_ptr<Control> child, int index);
  template <class T>
  T* add(std::unique_ptr<T> child) {
    return static_cast<T*>(add(std::unique_ptr<Control>(std::move(child))));
  }
  // Remove / RemoveAt: destroys the child. False when it is not a child here.
  bool remove(Control* child);
  bool removeAt(int index);
  void removeAll();
  int count() const { return static_cast<int>(children_.size()); }
  Control* itemAt(int index) const;
  int indexOf(const Control* child) const;

  void setInset(Edges inset);
  Edges inset() const { return inset_; }
  void setChildPadding(int padding);
  int childPadding() const { return childPadding_; }

  // FindSubControl: the first descendant with this name (depth first).
  Control* findSubControl(std::string_view name) const;

  void reloadText() override;

  // How children are stacked (the toolkit side lays them out).
  enum class Direction { None, Vertical, Horizontal };
  Direction direction() const { return direction_; }

 protected:
  Container(detail::Kind kind, Direction direction);
  virtual void childrenChanged();

 private:
  std::vector<std::unique_ptr<Control>> children_;
  Edges inset_;
  int childPadding_ = 0;
  Direction direction_ = Direction::None;
};

class VerticalLayout : public Container {
 public:
  VerticalLayout();
  std::string_view className() const override { return "VerticalLayout"; }
};

class HorizontalLayout : public Container {
 public:
  HorizontalLayout();
  std::string_view className() const override { return "HorizontalLayout"; }
};

// Shows one child (page) at a time.
class TabLayout : public Container {
 public:
  TabLayout() = default;
  std::string_view className() const override { return "TabLayout"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  // SelectItem: false for an index out of range.
  bool selectItem(int index);
  int currentIndex() const { return current_; }

 protected:
  void childrenChanged() override;

 private:
  void showCurrent();
  int current_ = 0;
};

class List;

// A row of a list: the base of the three row kinds. A row lays its children
// out horizontally. Clicking it raises "itemclick" (sender: the row) and
// selects it in its list.
class ListElement : public Container {
 public:
  ListElement();
  // Its position in the list, -1 outside a list.
  int index() const;
  bool isSelected() const;
  List* list() const;
  void paint(Painter& painter) override;

 private:
  friend struct detail::Peer;
  void userClicked();
};

// A row showing one text (CListLabelElementUI).
class ListLabelElement : public ListElement {
 public:
  std::string_view className() const override { return "ListLabelElement"; }
};

// A row of texts in columns (CListTextElementUI): widths from the list's
// "columns" attribute, equal widths when not given.
class ListTextElement : public ListElement {
 public:
  std::string_view className() const override { return "ListTextElement"; }
  void setColumnText(int column, std::string text);
  // "" for a column without text.
  std::string columnText(int column) const;
  int columnCount() const { return static_cast<int>(columns_.size()); }
  void paint(Painter& painter) override;

 private:
  std::vector<std::string> columns_;
};

// A row holding controls (CListContainerElementUI).
class ListContainerElement : public ListElement {
 public:
  std::string_view className() const override { return "ListContainerElement"; }
};

// A scrolling list of rows (CListUI, CListExUI). Rows without a fixed height get
// "itemheight" (default 24). Selecting a row raises "itemselect" from the list
// (wParam new index, lParam previous). Selected rows paint "itemselectedcolor".
class List : public Container {
 public:
  List();
  std::string_view className() const override { return "List"; }
  void setAttribute(std::string_view name, std::string_view value) override;
  ListElement* addRow(std::unique_ptr<ListElement> row);
  ListElement* insertRow(int index, std::unique_ptr<ListElement> row);
  bool removeRow(int index);
  void removeAllRows();
  int rowCount() const { return count(); }
  ListElement* row(int index) const;
  // GetCurSel: -1 when none.
  int currentIndex() const { return current_; }
  // SelectItem: -1 clears; false when out of range. `notify` raises "itemselect".
  bool selectItem(int index, bool notify = true);
  int itemHeight() const { return itemHeight_; }
  Color selectedColor() const { return selectedColor_; }
  Color hotColor() const { return hotColor_; }
  // Column widths of text rows (empty = equal widths).
  const std::vector<int>& columnWidths() const { return columnWidths_; }
  // Scrolls so the row is visible.
  void ensureVisible(int index);

 protected:
  void childrenChanged() override;

 private:
  int current_ = -1;
  int itemHeight_ = 24;
  Color selectedColor_ = 0xFFC1E3FF;
  Color hotColor_ = 0xFFE9F5FF;
  std::vector<int> columnWidths_;
};

}  // namespace varnacle::ui
