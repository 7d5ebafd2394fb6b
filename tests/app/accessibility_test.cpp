// The main window as assistive technologies, keyboard users and scaled
// displays meet it: the real skin with every page layout, the mouse pages the
// program adds, a virtual mouse and a temporary Documents folder. The walks
// take whatever controls and pages the layouts hold, so pages added later are
// covered as they come.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "app/feature_pages.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "app_test_support.h"
#include "main_window_harness.h"
#include "pages/page_messages.h"
#include "sim/virtual_device.h"
#include "ui/language.h"
#include "ui/menu.h"
#include "ui/qt/native.h"

namespace varnacle::app {
namespace {

using namespace std::chrono_literals;

// Roles a user operates; each must carry a name.
const std::set<QAccessible::Role> kInteractive = {
    QAccessible::Button,       QAccessible::CheckBox, QAccessible::RadioButton,
    QAccessible::PageTab,      QAccessible::Slider,   QAccessible::ComboBox,
    QAccessible::EditableText, QAccessible::List,     QAccessible::ListItem,
    QAccessible::ColorChooser, QAccessible::SpinBox,
};

// Every control's interface under `iface`, by object name (the toolkit's own
// parts inside its widgets are left to it).
void walk(QAccessibleInterface* iface, std::map<std::string, QAccessibleInterface*>& out) {
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    ASSERT_NE(child, nullptr);
    if (!dynamic_cast<ui::ControlRef*>(child->object())) continue;
    const std::string name = child->object()->objectName().toStdString();
    ASSERT_NE(child->parent(), nullptr) << name;
    EXPECT_EQ(child->parent()->object(), iface->object()) << name << " has another parent";
    out.emplace(name.empty() ? "#" + std::to_string(out.size()) : name, child);
    walk(child, out);
  }
}

// Every control of the tree, depth first.
void controlsOf(ui::Control& c, std::vector<ui::Control*>& out) {
  out.push_back(&c);
  if (auto* container = dynamic_cast<ui::Container*>(&c))
    for (int i = 0; i < container->count(); ++i) controlsOf(*container->itemAt(i), out);
}

// What a painted control shows as one line of text ("" for none).
std::string lineOf(const ui::Control& c) {
  const bool painted = dynamic_cast<const ui::Label*>(&c) || dynamic_cast<const ui::Button*>(&c);
  return painted ? c.text() : std::string();
}

struct MainWindowAccessibilityTest : test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouseDevice =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  // What the pages share; outlives the window.
  std::unique_ptr<FeaturePageState> shared;

  void TearDown() override {
    MainWindowHarness::TearDown();
    shared.reset();
    test::switchLanguage("lan_en.xml");
  }

  // The program's window with its pages, the mouse plugged in and shown.
  void start() {
    bus.plug(mouseDevice);
    window = std::make_unique<CMainWnd>(*backend, test::fastTiming());
    shared = std::make_unique<FeaturePageState>();
    // Every page the program has, as the program adds them.
    addFeaturePages(*window, *shared,
                    {.keyHook = nullptr, .clock = {}, .pointer = {[](int) {}, [](int) {}}});
    ASSERT_TRUE(window->create(nullptr, kMainWindowTitle, {}, kMainWindowSize));
    ASSERT_TRUE(pumpUntil([&] { return control("ms_tab")->isVisible() && window->isVisible(); }));
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  QWidget* top() { return ui::topWidgetOf(*window); }
  QAccessibleInterface* frame() { return QAccessible::queryAccessibleInterface(top()); }
  std::map<std::string, QAccessibleInterface*> tree() {
    std::map<std::string, QAccessibleInterface*> out;
    walk(frame(), out);
    return out;
  }
  QAccessibleInterface* find(const std::string& name) {
    auto all = tree();
    auto it = all.find(name);
    EXPECT_NE(it, all.end()) << name << " is not in the tree";
    return it == all.end() ? nullptr : it->second;
  }
  void toggleLanguage() {
    ui::MenuCommand lan{.name = "lan", .userData = {}, .text = "menu_lan_text", .checked = false};
    window->sendMessage(pages::msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&lan));
  }
  // Every page of every page stack, each shown once, then the mouse's first.
  template <class F>
  void forEveryPage(F check) {
    std::vector<ui::Control*> all;
    controlsOf(*window->root(), all);
    std::vector<ui::TabLayout*> stacks;
    for (ui::Control* c : all)
      if (auto* tabs = dynamic_cast<ui::TabLayout*>(c)) stacks.push_back(tabs);
    auto* devices = window->findControl<ui::TabLayout>("device_pages");
    ASSERT_NE(devices, nullptr);
    for (int d = 0; d < devices->count(); ++d) {
      devices->selectItem(d);
      for (ui::TabLayout* stack : stacks) {
        if (stack == devices || !widgetOf(*stack)->isVisibleTo(top())) continue;
        for (int p = 0; p < stack->count(); ++p) {
          stack->selectItem(p);
          window->relayout();
          check(stack->itemAt(p));
        }
        stack->selectItem(0);
      }
    }
    devices->selectItem(1);
    window->relayout();
  }

  // Every control in the tree with its role; the interactive ones named by a
  // text that is not their layout name.
  void checkTree(const std::string& language) {
    SCOPED_TRACE(language);
    QAccessibleInterface* f = frame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->role(), QAccessible::Window);
    EXPECT_EQ(f->text(QAccessible::Name).toStdString(), kMainWindowTitle);
    const auto all = tree();
    std::set<QObject*> reached;
    int interactive = 0;
    for (const auto& [name, iface] : all) {
      reached.insert(iface->object());
      EXPECT_NE(iface->role(), QAccessible::Client) << name << " is a nameless filler";
      EXPECT_NE(iface->role(), QAccessible::NoRole) << name;
      if (!kInteractive.count(iface->role())) continue;
      ++interactive;
      const std::string shown = iface->text(QAccessible::Name).toStdString();
      EXPECT_FALSE(shown.empty()) << name << " has no name";
      EXPECT_NE(shown, name) << name << " is named by its layout name";
    }
    EXPECT_GT(interactive, 100);
    // Every control with a face is in the tree, under its layout name.
    std::vector<ui::Control*> controls;
    controlsOf(*window->root(), controls);
    for (ui::Control* c : controls) {
      QWidget* w = widgetOf(*c);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->objectName().toStdString(), c->name());
      const bool plain = c->className() == "Control" && c->bkImage().empty() && c->text().empty();
      if (!plain && c != window->root()) {
        EXPECT_TRUE(reached.count(w)) << c->name() << " is missing";
      }
    }
  }
};

TEST_F(MainWindowAccessibilityTest, EveryControlOfEveryPageHasARoleAndANameInBothLanguages) {
  start();
  checkTree("English");
  const std::string englishTab = find("ms_page_dpi")->text(QAccessible::Name).toStdString();
  const std::string englishSlider = find("ms_DPI1_slider")->text(QAccessible::Name).toStdString();
  EXPECT_EQ(find("ms_tab")->role(), QAccessible::PageTab);
  EXPECT_EQ(find("ms_page_dpi")->role(), QAccessible::PageTab);
  EXPECT_EQ(find("closebtn")->text(QAccessible::Name).toStdString(), "Close");

  toggleLanguage();
  ASSERT_EQ(ui::currentLanguageName(), "cn_zh");
  checkTree("Chinese");
  // The names follow the switch, the toolkit's own widgets' too.
  EXPECT_NE(find("ms_page_dpi")->text(QAccessible::Name).toStdString(), englishTab);
  EXPECT_NE(find("ms_DPI1_slider")->text(QAccessible::Name).toStdString(), englishSlider);
  EXPECT_EQ(find("closebtn")->text(QAccessible::Name).toStdString(), "关闭");
}

TEST_F(MainWindowAccessibilityTest, ASliderAndTabsWorkThroughTheirInterfaces) {
  start();
  auto* slider = window->findControl<ui::Slider>("ms_DPI1_slider");
  ASSERT_NE(slider, nullptr);
  const std::string before = control("ms_DPI1_label_value")->text();
  QAccessibleValueInterface* value = find("ms_DPI1_slider")->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->maximumValue().toInt(), slider->maxValue());
  const int to = slider->value() == slider->maxValue() ? slider->minValue() : slider->maxValue();
  value->setCurrentValue(to);
  EXPECT_EQ(slider->value(), to);
  EXPECT_NE(control("ms_DPI1_label_value")->text(), before) << "the page did not show the value";

  auto* pages = window->findControl<ui::TabLayout>("ms_pages");
  QAccessibleInterface* tab = find("ms_page_deng");
  EXPECT_FALSE(tab->state().selected);
  tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(pages->currentIndex(), 2);
  EXPECT_TRUE(find("ms_page_deng")->state().selected);
  EXPECT_FALSE(find("ms_page_dpi")->state().selected);

  QAccessibleInterface* check = find("ms_Deng_7color_check");
  const bool was = check->state().checked;
  check->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_NE(find("ms_Deng_7color_check")->state().checked, was);

  // A mouse click lands on the tab at any display scale.
  QWidget* dpiTab = widgetOf(*control("ms_page_dpi"));
  QTest::mouseClick(dpiTab, Qt::LeftButton, {}, dpiTab->rect().center());
  EXPECT_EQ(pages->currentIndex(), 1);
}

TEST_F(MainWindowAccessibilityTest, TheKeyboardReachesAndOperatesThePage) {
  start();
  window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
  pumpFor(20ms);
  // Tab visits the shown, enabled controls once each, top to bottom.
  QWidget* first = widgetOf(*control("skinbtn"));
  first->setFocus(Qt::TabFocusReason);
  std::vector<std::string> order;
  for (int i = 0; i < 200 && (order.empty() || QApplication::focusWidget() != first); ++i) {
    QWidget* f = QApplication::focusWidget();
    ASSERT_NE(f, nullptr);
    order.push_back(f->objectName().toStdString());
    EXPECT_TRUE(f->isVisible() && f->isEnabled()) << order.back();
    QTest::keyClick(f, Qt::Key_Tab);
  }
  const auto at = [&](const std::string& name) {
    return std::find(order.begin(), order.end(), name) - order.begin();
  };
  ASSERT_LT(at("ms_DPI6_slider"), static_cast<long>(order.size()));
  EXPECT_LT(at("closebtn"), at("ms_tab"));
  EXPECT_LT(at("ms_tab"), at("ms_page_key"));
  EXPECT_LT(at("ms_page_key"), at("ms_page_dpi"));
  EXPECT_LT(at("ms_page_cursor"), at("ms_DPI1_slider"));
  for (int stage = 1; stage < 6; ++stage)
    EXPECT_LT(at("ms_DPI" + std::to_string(stage) + "_slider"),
              at("ms_DPI" + std::to_string(stage + 1) + "_slider"));
  EXPECT_LT(at("ms_report_fct_combo"), at("ms_sensor_height_slider"));
  EXPECT_EQ(std::set<std::string>(order.begin(), order.end()).size(), order.size());
  // Shift+Tab goes back.
  QTest::keyClick(first, Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), order.back());

  // Arrow keys move a slider; the page hears the value.
  auto* slider = window->findControl<ui::Slider>("ms_DPI2_slider");
  if (slider->value() == slider->maxValue()) slider->setValue(slider->minValue());
  const int before = slider->value();
  const std::string label = control("ms_DPI2_label_value")->text();
  widgetOf(*slider)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(widgetOf(*slider), Qt::Key_Right);
  EXPECT_EQ(slider->value(), before + 1);
  EXPECT_NE(control("ms_DPI2_label_value")->text(), label);

  // Arrow keys move along the page tabs and show their pages; Space presses.
  auto* pages = window->findControl<ui::TabLayout>("ms_pages");
  QWidget* dpiTab = widgetOf(*control("ms_page_dpi"));
  dpiTab->setFocus(Qt::TabFocusReason);
  QTest::keyClick(dpiTab, Qt::Key_Right);
  EXPECT_EQ(pages->currentIndex(), 2);
  EXPECT_EQ(QApplication::focusWidget(), widgetOf(*control("ms_page_deng")));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(pages->currentIndex(), 1);
  QWidget* macroTab = widgetOf(*control("ms_macro_Op_tab"));
  macroTab->setFocus(Qt::TabFocusReason);
  QTest::keyClick(macroTab, Qt::Key_Space);
  EXPECT_EQ(pages->currentIndex(), 3);
}

TEST_F(MainWindowAccessibilityTest, EscapeAnswersTheMessageBoxWithCancel) {
  // A window before may have ended the program's loop, which keeps nested
  // loops from running until the main loop has run again.
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  QCoreApplication::exec();
  start();
  QWidget* box = nullptr;
  QTimer::singleShot(50, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && ui::windowOfTop(w) && w != top()) box = w;
    if (box) {
      QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(box);
      EXPECT_EQ(dialog->role(), QAccessible::Dialog);
      EXPECT_FALSE(dialog->text(QAccessible::Name).isEmpty());
      QTest::keyClick(box, Qt::Key_Escape);
    }
  });
  EXPECT_EQ(showMessage(window.get(), "message_text_12", true), 0);
  EXPECT_NE(box, nullptr);
}

// The texts of the shown controls fit their boxes at 100, 125, 150 and 200 %:
// the font at the scaled pixel size against the scaled box.
TEST_F(MainWindowAccessibilityTest, NoTextIsClippedAtAnyScaleInEitherLanguage) {
  start();
  for (const char* language : {"en", "cn"}) {
    if (std::string(language) == "cn") toggleLanguage();
    forEveryPage([&](ui::Control* page) {
      std::vector<ui::Control*> all;
      controlsOf(*window->root(), all);
      for (ui::Control* c : all) {
        const std::string text = lineOf(*c);
        QWidget* w = widgetOf(*c);
        if (text.empty() || !w->isVisibleTo(top()) || w->width() == 0) continue;
        const ui::Edges pad = c->textPadding();
        const QFont font = ui::fontFor(window.get(), c->font());
        for (double scale : {1.0, 1.25, 1.5, 2.0}) {
          QFont scaled = font;
          scaled.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * scale)));
          const QFontMetricsF metrics(scaled);
          const double width = (w->width() - pad.left - pad.right) * scale;
          const double height = (w->height() - pad.top - pad.bottom) * scale;
          EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(text)), width + 1)
              << language << " " << page->name() << " " << c->name() << " \"" << text << "\" at "
              << scale;
          EXPECT_LE(metrics.height(), height + 1)
              << language << " " << page->name() << " " << c->name() << " at " << scale;
        }
      }
      // Children stay inside their parents, the freely placed ones (pictures
      // and their labels) too.
      for (ui::Control* c : all) {
        QWidget* w = widgetOf(*c);
        if (!c->parent() || !w->isVisibleTo(top()) ||
            dynamic_cast<ui::List*>(c->parent()))
          continue;
        const QRect inParent = QRect(QPoint(0, 0), widgetOf(*c->parent())->size());
        EXPECT_TRUE(inParent.contains(w->geometry()))
            << language << " " << page->name() << " " << c->name() << " leaves "
            << c->parent()->name();
      }
    });
  }
}

// The window drawn at 200 % is the window at 100 % with twice the pixels:
// nothing moves, nothing is cut off.
TEST_F(MainWindowAccessibilityTest, TheWindowAtTwiceThePixelsMatchesItAtOne) {
  start();
  forEveryPage([&](ui::Control* page) {
    QWidget* root = widgetOf(*window->root());
    const QSize size = root->size();
    QImage one(size, QImage::Format_ARGB32);
    one.fill(Qt::black);
    root->render(&one, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage two(size * 2, QImage::Format_ARGB32);
    two.setDevicePixelRatio(2);
    two.fill(Qt::black);
    root->render(&two, QPoint(), QRegion(), QWidget::DrawChildren);
    two.setDevicePixelRatio(1);
    const QImage down = two.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32);
    double difference = 0;
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) {
        const QRgb a = one.pixel(x, y), b = down.pixel(x, y);
        difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                      std::abs(qBlue(a) - qBlue(b));
      }
    EXPECT_LT(difference / (size.width() * size.height() * 3.0), 4.0) << page->name();
  });
}

// The skin's drawn images come with double-size files for scaled displays,
// exactly twice as large, so parts named in the plain file's pixels match.
TEST(SkinArt, DrawnImagesHaveDoubleSizeFiles) {
  namespace fs = std::filesystem;
  ASSERT_NE(ui::Application::instance(), nullptr);
  const fs::path skin = ui::Application::instance()->skinFolder();
  ASSERT_TRUE(fs::exists(skin / "common" / "closebtn_normal.png")) << skin;
  int doubled = 0;
  for (const auto& entry : fs::recursive_directory_iterator(skin)) {
    const std::string name = entry.path().filename().string();
    const auto at = name.find("@2x.png");
    if (at == std::string::npos) continue;
    const fs::path plain = entry.path().parent_path() / (name.substr(0, at) + ".png");
    const QImage big(QString::fromStdString(entry.path().string()));
    const QImage small(QString::fromStdString(plain.string()));
    ASSERT_FALSE(small.isNull()) << plain;
    EXPECT_EQ(big.size(), small.size() * 2) << name;
    ++doubled;
  }
  EXPECT_GE(doubled, 50);
  EXPECT_TRUE(fs::exists(skin / "ms" / "light_19@2x.png"));
  EXPECT_TRUE(fs::exists(skin / "common" / "tab_ms_sel@2x.png"));
}

}  // namespace
}  // namespace varnacle::app
