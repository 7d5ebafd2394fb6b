// Every control kind used through the toolkit raises its notification, with
// the right sender, in order.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <optional>

#include "example_window.h"
#include "support/ui_test_app.h"
#include "ui/qt/native.h"

namespace varnacle::ui {
namespace {

using testing::application;
using testing::ExampleWindow;
using testing::Heard;
using testing::pump;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(window.create(nullptr, "Example"));
    window.show();
    pump();
    window.heard.clear();
  }

  QWidget* widget(const std::string& name) {
    Control* c = window.findControl(name);
    return c ? widgetOf(*c) : nullptr;
  }
  void click(const std::string& name, std::optional<QPoint> at = {}) {
    QWidget* w = widget(name);
    ASSERT_NE(w, nullptr) << name;
    // Sent by hand: the test library takes the point (0, 0) for "the centre".
    const QPointF p = at.value_or(w->rect().center());
    const QPointF global = w->mapToGlobal(p);
    QMouseEvent press(QEvent::MouseButtonPress, p, global, Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, global, Qt::LeftButton, {}, {});
    QCoreApplication::sendEvent(w, &release);
  }

  ExampleWindow window;
};

TEST_F(ControlsTest, ButtonClickRaisesClickFromTheButton) {
  click("closebtn");
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"click", "closebtn"}}));
  // A press that ends outside the button is no click.
  QWidget* w = widget("closebtn");
  QTest::mousePress(w, Qt::LeftButton, {}, w->rect().center());
  QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(w->width() + 5, 2));
  EXPECT_EQ(window.of("click").size(), 1u);
  // A disabled button raises nothing.
  window.findControl("closebtn")->setEnabled(false);
  click("closebtn");
  EXPECT_EQ(window.of("click").size(), 1u);
}

TEST_F(ControlsTest, OptionsOfAGroupSelectExclusively) {
  auto* a = window.findControl<Option>("opt_a");
  auto* b = window.findControl<Option>("opt_b");
  click("opt_b");
  EXPECT_TRUE(b->isSelected());
  EXPECT_FALSE(a->isSelected());
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"click", "opt_b"},
                                              {"selectchanged", "opt_a", 0, 0},
                                              {"selectchanged", "opt_b", 1, 0}}));
  window.heard.clear();
  click("opt_b");  // already selected: a click, no change
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"click", "opt_b"}}));
  // Selecting in code without notifying still keeps the group exclusive.
  window.heard.clear();
  a->setSelected(true, false);
  EXPECT_FALSE(b->isSelected());
  EXPECT_TRUE(window.heard.empty());
}

TEST_F(ControlsTest, CheckBoxTogglesOnEachClick) {
  auto* check = window.findControl<CheckBox>("check");
  click("check");
  EXPECT_TRUE(check->isChecked());
  click("check");
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(window.of("selectchanged"), (std::vector<Heard>{{"selectchanged", "check", 1, 0},
                                                            {"selectchanged", "check", 0, 0}}));
}

TEST_F(ControlsTest, ComboChoiceRaisesItemSelectWithNewAndPreviousIndex) {
  auto* combo = window.findControl<Combo>("combo");
  auto* box = qobject_cast<QComboBox*>(widget("combo"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->currentIndex(), 1);
  EXPECT_EQ(box->itemText(2), "third");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(window.of("itemselect"), (std::vector<Heard>{{"itemselect", "combo", 2, 1}}));
}

TEST_F(ControlsTest, SelectItem1HonoursItsFlagsAndBounds) {
  auto* combo = window.findControl<Combo>("combo");
  EXPECT_TRUE(combo->selectItem1(0, false, false));
  EXPECT_TRUE(window.heard.empty());
  EXPECT_EQ(qobject_cast<QComboBox*>(widget("combo"))->currentIndex(), 0);
  EXPECT_TRUE(combo->selectItem1(2, true, true));
  EXPECT_EQ(window.of("itemselect"), (std::vector<Heard>{{"itemselect", "combo", 2, 0}}));
  EXPECT_TRUE(widget("combo")->hasFocus());
  EXPECT_FALSE(combo->selectItem1(3));
  EXPECT_FALSE(combo->selectItem1(-2));
  EXPECT_EQ(combo->currentIndex(), 2);
  // Items change at run time; the selection follows its item.
  combo->insertItem(0, "zeroth");
  EXPECT_EQ(combo->currentIndex(), 3);
  EXPECT_TRUE(combo->removeItem(3));
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(combo->count(), 3);
}

TEST_F(ControlsTest, SliderReportsMovesWhileDraggingAndTheValueOnRelease) {
  auto* slider = qobject_cast<QSlider*>(widget("slider"));
  ASSERT_NE(slider, nullptr);
  slider->setSliderDown(true);
  slider->setSliderPosition(60);
  slider->setSliderPosition(70);
  slider->setSliderDown(false);
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"movevaluechanged", "slider", 60, 0},
                                              {"movevaluechanged", "slider", 70, 0},
                                              {"valuechanged", "slider", 70, 0}}));
  EXPECT_EQ(window.findControl<Slider>("slider")->value(), 70);
  window.heard.clear();
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"valuechanged", "slider", 71, 0}}));
  // Setting the value in code raises nothing and reaches the widget.
  window.heard.clear();
  window.findControl<Slider>("slider")->setValue(500);
  EXPECT_EQ(slider->value(), 100);
  EXPECT_TRUE(window.heard.empty());
}

TEST_F(ControlsTest, TypingIntoAnEditRaisesTextChanged) {
  auto* edit = qobject_cast<QLineEdit*>(widget("edit"));
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  QTest::keyClicks(edit, "ab");
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"textchanged", "edit"}, {"textchanged", "edit"}}));
  EXPECT_EQ(window.findControl("edit")->text(), "ab");
  window.heard.clear();
  window.findControl("edit")->setText("set in code");
  EXPECT_EQ(edit->text(), "set in code");
  EXPECT_TRUE(window.heard.empty());
  window.findControl<Edit>("edit")->setMaxChars(3);
  edit->clear();
  QTest::keyClicks(edit, "abcdef");
  EXPECT_EQ(window.findControl("edit")->text(), "abc");
}

TEST_F(ControlsTest, PaletteClickPicksTheColourUnderThePointer) {
  auto* palette = window.findControl<ColorPalette>("palette");
  QWidget* w = widget("palette");
  const int field = w->height() - palette->barHeight();
  click("palette", QPoint(0, 0));  // hue 0 at full saturation: red
  ASSERT_EQ(window.of("colorchanged").size(), 1u);
  EXPECT_EQ(window.of("colorchanged")[0].sender, "palette");
  EXPECT_EQ(palette->selectColor(), 0xFFFF0000u);
  click("palette", QPoint(w->width() / 2, field - 1));  // no saturation: white
  EXPECT_EQ(palette->selectColor(), 0xFFFFFFFFu);
  // The strip sets the brightness of the picked colour.
  click("palette", QPoint(0, w->height() - 2));
  EXPECT_EQ(palette->selectColor(), 0xFF000000u);
  palette->setSelectColor(0xFF0199CB);
  EXPECT_EQ(palette->selectColor(), 0xFF0199CBu);
}

TEST_F(ControlsTest, RowClickRaisesItemClickFromTheRowThenItemSelectFromTheList) {
  click("row_1");
  EXPECT_EQ(window.heard,
            (std::vector<Heard>{{"itemclick", "row_1"},
                                {"itemselect", "list", 1, static_cast<std::intptr_t>(-1)}}));
  EXPECT_EQ(window.findControl<List>("list")->currentIndex(), 1);
  window.heard.clear();
  click("row_1");  // the same row again: a click, no new selection
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"itemclick", "row_1"}}));
  // A button inside a container row is its own control.
  window.heard.clear();
  click("row_2_button");
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"click", "row_2_button"}}));
}

TEST_F(ControlsTest, HandlerMayRemoveTheRowThatRaisedTheClick) {
  class Remover : public ExampleWindow {
   public:
    void notify(const Notification& n) override {
      ExampleWindow::notify(n);
      if (n.type == "itemclick") findControl<List>("list")->removeRow(1);
    }
  } w;
  ASSERT_TRUE(w.create(nullptr, "remover"));
  w.show();
  QWidget* row = widgetOf(*w.findControl("row_1"));
  QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
  pump();
  EXPECT_EQ(w.findControl("row_1"), nullptr);
  EXPECT_TRUE(w.of("itemselect").empty());  // the row went before it could be selected
}

TEST_F(ControlsTest, TabLayoutShowsOnlyTheCurrentPage) {
  auto* tabs = window.findControl<TabLayout>("tabs");
  EXPECT_FALSE(widget("page_0")->isVisible());
  EXPECT_TRUE(widget("page_1")->isVisible());
  EXPECT_TRUE(tabs->selectItem(0));
  EXPECT_TRUE(widget("page_0")->isVisible());
  EXPECT_FALSE(widget("page_1")->isVisible());
  EXPECT_FALSE(tabs->selectItem(2));
  EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(ControlsTest, PointerEnteringAndLeavingRaisesMsenterAndMsleave) {
  QWidget* w = widget("light");
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(w, &enter);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(w, &leave);
  EXPECT_EQ(window.heard, (std::vector<Heard>{{"msenter", "light"}, {"msleave", "light"}}));
}

TEST_F(ControlsTest, VirtualWindowPumpHearsItsControls) {
  std::vector<std::string> pumped;
  window.addVirtualWindow("mainpage", [&](const Notification& n) {
    pumped.push_back(n.type + ":" + n.sender->name());
  });
  window.findControl("closebtn")->setVirtualWindow("mainpage");
  click("closebtn");
  click("opt_b");
  EXPECT_EQ(pumped, (std::vector<std::string>{"click:closebtn"}));
  window.removeVirtualWindow("mainpage");
  click("closebtn");
  EXPECT_EQ(pumped.size(), 1u);
}

}  // namespace
}  // namespace varnacle::ui
