// What assistive technologies and keyboard users get from the window library,
// on the example window: the tree of roles and names, states and actions,
// Tab order, keys on painted controls and lists, Escape in a modal window,
// and images drawn from their double-size files on scaled displays.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <map>

#include "example_window.h"
#include "support/ui_test_app.h"
#include "ui/qt/native.h"

namespace varnacle::ui {
namespace {

using testing::application;
using testing::ExampleWindow;
using testing::pump;

// Every control's interface under `iface`, by object name; checks that each
// child names its parent as it.
void collect(QAccessibleInterface* iface, std::map<std::string, QAccessibleInterface*>& out) {
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    ASSERT_NE(child, nullptr);
    // The toolkit's own parts inside its widgets (a drop-down's popup) are its business.
    if (!dynamic_cast<ControlRef*>(child->object())) continue;
    const std::string name = child->object()->objectName().toStdString();
    ASSERT_NE(child->parent(), nullptr) << name;
    EXPECT_EQ(child->parent()->object(), iface->object()) << name;
    EXPECT_EQ(iface->indexOfChild(child), i) << name;
    out[name] = child;
    collect(child, out);
  }
}

class AccessibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(window.create(nullptr, "Example"));
    window.show(true, true);
    pump();
    window.heard.clear();
    top = QAccessible::queryAccessibleInterface(topWidgetOf(window));
    ASSERT_NE(top, nullptr);
    collect(top, tree);
  }

  QAccessibleInterface* at(const std::string& name) {
    auto it = tree.find(name);
    return it == tree.end() ? nullptr : it->second;
  }
  QWidget* widget(const std::string& name) { return widgetOf(*window.findControl(name)); }
  std::string focused() {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName().toStdString() : std::string("(none)");
  }

  ExampleWindow window;
  QAccessibleInterface* top = nullptr;
  std::map<std::string, QAccessibleInterface*> tree;
};

TEST_F(AccessibilityTest, EveryControlHasItsRoleAndAHumanName) {
  EXPECT_EQ(top->role(), QAccessible::Window);
  EXPECT_EQ(top->text(QAccessible::Name).toStdString(), "Example");
  const std::map<std::string, QAccessible::Role> roles = {
      {"title", QAccessible::StaticText},     {"closebtn", QAccessible::Button},
      {"opt_a", QAccessible::RadioButton},    {"check", QAccessible::CheckBox},
      {"combo", QAccessible::ComboBox},       {"slider", QAccessible::Slider},
      {"progress", QAccessible::ProgressBar}, {"edit", QAccessible::EditableText},
      {"palette", QAccessible::ColorChooser}, {"list", QAccessible::List},
      {"row_1", QAccessible::ListItem},       {"row_2_button", QAccessible::Button},
      {"body", QAccessible::Grouping},        {"picture", QAccessible::Grouping},
  };
  for (const auto& [name, role] : roles) {
    QAccessibleInterface* iface = at(name);
    ASSERT_NE(iface, nullptr) << name;
    EXPECT_EQ(iface->role(), role) << name;
  }
  EXPECT_EQ(at("opt_b")->text(QAccessible::Name).toStdString(), "B");
  EXPECT_EQ(at("row_1")->text(QAccessible::Name).toStdString(), "label row");
  // A row of controls is named by what it shows.
  EXPECT_EQ(at("row_2")->text(QAccessible::Name).toStdString(), "in row");
  // A text row by its columns.
  auto* row0 = static_cast<ListTextElement*>(window.findControl("row_0"));
  row0->setColumnText(0, "one");
  row0->setColumnText(1, "two");
  EXPECT_EQ(at("row_0")->text(QAccessible::Name).toStdString(), "one, two");
  // A control without text of its own takes its tip.
  window.findControl("slider")->setToolTip("Volume");
  window.relayout();
  EXPECT_EQ(at("slider")->text(QAccessible::Name).toStdString(), "Volume");
  // A plain colour is left out; nothing is a nameless filler.
  EXPECT_EQ(tree.count("light"), 0u);
  for (const auto& [name, iface] : tree) EXPECT_NE(iface->role(), QAccessible::Client) << name;
}

TEST_F(AccessibilityTest, StatesFollowTheControls) {
  EXPECT_TRUE(at("opt_a")->state().checked);
  EXPECT_FALSE(at("opt_b")->state().checked);
  EXPECT_TRUE(at("check")->state().checkable);
  EXPECT_TRUE(at("closebtn")->state().focusable);
  window.findControl("closebtn")->setEnabled(false);
  EXPECT_TRUE(at("closebtn")->state().disabled);
  EXPECT_TRUE(at("closebtn")->actionInterface()->actionNames().isEmpty());
  auto* list = static_cast<List*>(window.findControl("list"));
  list->selectItem(1, false);
  EXPECT_TRUE(at("row_1")->state().selected);
  EXPECT_FALSE(at("row_0")->state().selected);
  // Hidden pages are there, marked invisible.
  EXPECT_TRUE(at("page_0")->state().invisible);
  EXPECT_FALSE(at("page_1")->state().invisible);
}

TEST_F(AccessibilityTest, ActionsDoWhatAClickDoes) {
  QAccessibleActionInterface* option = at("opt_b")->actionInterface();
  ASSERT_NE(option, nullptr);
  option->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(static_cast<Option*>(window.findControl("opt_b"))->isSelected());
  EXPECT_FALSE(static_cast<Option*>(window.findControl("opt_a"))->isSelected());
  EXPECT_EQ(window.of("selectchanged").size(), 2u);

  at("check")->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(at("check")->state().checked);

  at("row_1")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(static_cast<List*>(window.findControl("list"))->currentIndex(), 1);
  ASSERT_EQ(window.of("itemselect").size(), 1u);
  EXPECT_EQ(window.of("itemselect")[0].sender, "list");

  QAccessibleValueInterface* slider = at("slider")->valueInterface();
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->maximumValue().toInt(), 100);
  slider->setCurrentValue(70);
  EXPECT_EQ(static_cast<Slider*>(window.findControl("slider"))->value(), 70);
  ASSERT_EQ(window.of("valuechanged").size(), 1u);
  EXPECT_EQ(window.of("valuechanged")[0].wParam, 70u);

  QAccessibleValueInterface* progress = at("progress")->valueInterface();
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->currentValue().toInt(), 50);
}

TEST_F(AccessibilityTest, TabGoesThroughTheEnabledControlsInReadingOrder) {
  window.findControl("check")->setEnabled(false);
  widget("closebtn")->setFocus(Qt::TabFocusReason);
  std::vector<std::string> order{focused()};
  for (int i = 0; i < 9; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(focused());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"closebtn", "opt_a", "opt_b", "combo", "slider",
                                             "edit", "list", "row_2_button", "closebtn", "opt_a"}));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(focused(), "closebtn");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(focused(), "row_2_button");
}

TEST_F(AccessibilityTest, KeysPressButtonsMoveOptionsAndRows) {
  widget("closebtn")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(widget("closebtn"), Qt::Key_Space);
  QTest::keyClick(widget("closebtn"), Qt::Key_Return);
  EXPECT_EQ(window.of("click").size(), 2u);

  widget("opt_a")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(widget("opt_a"), Qt::Key_Down);
  EXPECT_TRUE(static_cast<Option*>(window.findControl("opt_b"))->isSelected());
  EXPECT_EQ(focused(), "opt_b");
  QTest::keyClick(widget("opt_b"), Qt::Key_Down);  // the last one stays
  EXPECT_EQ(focused(), "opt_b");
  QTest::keyClick(widget("opt_b"), Qt::Key_Up);
  EXPECT_TRUE(static_cast<Option*>(window.findControl("opt_a"))->isSelected());

  widget("slider")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(widget("slider"), Qt::Key_Right);
  EXPECT_EQ(static_cast<Slider*>(window.findControl("slider"))->value(), 41);
  EXPECT_EQ(window.of("valuechanged").size(), 1u);

  auto* list = static_cast<List*>(window.findControl("list"));
  QWidget* rows = widget("list");
  rows->setFocus(Qt::TabFocusReason);
  QTest::keyClick(rows, Qt::Key_Down);
  EXPECT_EQ(list->currentIndex(), 0);
  QTest::keyClick(rows, Qt::Key_End);
  EXPECT_EQ(list->currentIndex(), 2);
  QTest::keyClick(rows, Qt::Key_Down);
  EXPECT_EQ(list->currentIndex(), 2);
  QTest::keyClick(rows, Qt::Key_Up);
  EXPECT_EQ(list->currentIndex(), 1);
  const auto clicks = window.of("itemclick").size();
  QTest::keyClick(rows, Qt::Key_Return);
  EXPECT_EQ(window.of("itemclick").size(), clicks + 1);
  EXPECT_TRUE(at("row_1")->state().focused);
}

TEST_F(AccessibilityTest, TheFocusedControlIsMarked) {
  QWidget* button = widget("closebtn");
  button->clearFocus();
  const QImage plain = button->grab().toImage();
  // Where the window put the focus on activation, or a click left it, no mark.
  button->setFocus(Qt::ActiveWindowFocusReason);
  ASSERT_TRUE(button->hasFocus());
  EXPECT_EQ(button->grab().toImage(), plain);
  button->clearFocus();
  button->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(button->hasFocus());
  const QImage marked = button->grab().toImage();
  EXPECT_NE(marked, plain);
  // After a click, focus that moves on (the clicked control hid itself) is
  // no keyboard focus.
  button->clearFocus();
  QTest::mouseClick(widget("row_1"), Qt::LeftButton);
  button->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(button->hasFocus());
  EXPECT_EQ(button->grab().toImage(), plain);
  // A key pressed: the keyboard leads again.
  button->clearFocus();
  QTest::keyClick(widget("row_1"), Qt::Key_Shift);
  button->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(button->grab().toImage(), marked);
}

TEST_F(AccessibilityTest, EscapeClosesAModalWindowAsCancel) {
  // A test before may have ended the program's loop, which keeps nested loops
  // from running until the main loop has run again.
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  QCoreApplication::exec();
  ExampleWindow box;
  ASSERT_TRUE(box.create(nullptr, "Box"));
  QTimer::singleShot(0, [&box] { QTest::keyClick(topWidgetOf(box), Qt::Key_Escape); });
  EXPECT_EQ(box.showModal(), 0);
  EXPECT_FALSE(box.isCreated());
  // Without a modal run, Escape leaves a window alone.
  ExampleWindow plain;
  ASSERT_TRUE(plain.create(nullptr, "Plain"));
  plain.show();
  QTest::keyClick(topWidgetOf(plain), Qt::Key_Escape);
  EXPECT_TRUE(plain.isCreated());
}

// Draws `description` into a `size` x `size` canvas of `ratio` device pixels
// per pixel.
QImage drawnAt(const std::string& description, int size, double ratio) {
  QImage canvas(static_cast<int>(size * ratio), static_cast<int>(size * ratio),
                QImage::Format_ARGB32);
  canvas.setDevicePixelRatio(ratio);
  canvas.fill(Qt::white);
  QPainter qp(&canvas);
  QtPainter painter(qp, nullptr);
  painter.drawImage(description, {0, 0, size, size});
  return canvas;
}

TEST(ScaledImages, DoubleSizeFilesServeScaledDisplaysPixelForPixel) {
  application();
  clearImageCache();
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "scaled-images";
  fs::create_directories(dir);
  QImage plain(10, 10, QImage::Format_ARGB32);
  plain.fill(0xFFFF0000);
  plain.save(QString::fromStdString((dir / "mark.png").string()));
  // Twice the size: a one-pixel checker in the left half, blue on the right.
  QImage doubled(20, 20, QImage::Format_ARGB32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      doubled.setPixel(x, y, x >= 10 ? 0xFF0000FF : ((x + y) % 2 ? 0xFF000000 : 0xFFFFFFFF));
  doubled.save(QString::fromStdString((dir / "mark@2x.png").string()));
  const std::string file = (dir / "mark.png").string();

  EXPECT_EQ(drawnAt(file, 10, 1.0).pixel(2, 2), 0xFFFF0000u);
  const QImage sharp = drawnAt(file, 10, 2.0);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(sharp.pixel(x, y), doubled.pixel(x, y)) << x << "," << y;
  // A part of the image names the plain file's pixels.
  const QImage checker = drawnAt("file='" + file + "' source='0,0,5,5'", 5, 2.0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(checker.pixel(x, y), doubled.pixel(x, y)) << x << "," << y;
  EXPECT_EQ(drawnAt("file='" + file + "' source='5,0,10,5'", 5, 2.0).pixel(4, 4), 0xFF0000FFu);
  // Without a double-size file the plain one is scaled to the device pixels.
  fs::remove(dir / "mark@2x.png");
  clearImageCache();
  EXPECT_EQ(drawnAt(file, 10, 2.0).pixel(3, 3), 0xFFFF0000u);
}

}  // namespace
}  // namespace varnacle::ui
