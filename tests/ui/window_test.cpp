// Building windows from layouts: names, geometry, styles, the create-control
// callback and registered classes.
#include <gtest/gtest.h>

#include "example_window.h"
#include "platform/debug_output.h"
#include "support/ui_test_app.h"
#include "ui/builder.h"
#include "ui/qt/native.h"

namespace varnacle::ui {
namespace {

using testing::application;
using testing::ExampleWindow;
using testing::pump;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(window.create(nullptr, "Example"));
  }
  ExampleWindow window;
};

TEST_F(WindowTest, EveryNamedControlIsFoundWithItsKind) {
  const std::vector<std::pair<std::string, std::string>> named = {
      {"root", "VerticalLayout"},
      {"title_bar", "HorizontalLayout"},
      {"title", "Label"},
      {"closebtn", "Button"},
      {"body", "HorizontalLayout"},
      {"left_column", "VerticalLayout"},
      {"opt_a", "Option"},
      {"opt_b", "Option"},
      {"check", "CheckBox"},
      {"combo", "Combo"},
      {"slider", "Slider"},
      {"progress", "Progress"},
      {"edit", "Edit"},
      {"right_column", "VerticalLayout"},
      {"palette", "ColorPalette"},
      {"tabs", "TabLayout"},
      {"page_0", "Label"},
      {"page_1", "Label"},
      {"list", "List"},
      {"row_0", "ListTextElement"},
      {"row_1", "ListLabelElement"},
      {"row_2", "ListContainerElement"},
      {"row_2_button", "Button"},
      {"picture", "Container"},
      {"light", "Control"}};
  for (const auto& [name, cls] : named) {
    Control* c = window.findControl(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->className(), cls) << name;
    EXPECT_EQ(c->window(), &window) << name;
  }
  EXPECT_EQ(window.findControl("nothing_here"), nullptr);
  EXPECT_NE(window.findControl<Combo>("combo"), nullptr);
  EXPECT_EQ(window.findControl<Combo>("slider"), nullptr);  // wrong kind
}

TEST_F(WindowTest, LayoutPlacesFixedSharedAndFloatingChildren) {
  // 400 x 300: the 24-pixel title bar, the body below with a 4-pixel inset.
  EXPECT_EQ(window.findControl("title_bar")->rect(), (Rect{0, 0, 400, 24}));
  EXPECT_EQ(window.findControl("closebtn")->rect(), (Rect{376, 0, 400, 24}));
  EXPECT_EQ(window.findControl("title")->rect(), (Rect{0, 0, 376, 24}));
  EXPECT_EQ(window.findControl("body")->rect(), (Rect{0, 24, 400, 300}));
  EXPECT_EQ(window.findControl("left_column")->rect(), (Rect{4, 28, 154, 296}));
  // The right column takes what is left after the 4-pixel child padding.
  EXPECT_EQ(window.findControl("right_column")->rect(), (Rect{158, 28, 396, 296}));
  EXPECT_EQ(window.findControl("opt_b")->rect(), (Rect{4, 48, 154, 68}));
  // Floating: placed by pos inside its parent.
  const Rect picture = window.findControl("picture")->rect();
  EXPECT_EQ(window.findControl("light")->rect(),
            (Rect{picture.left + 10, picture.top + 5, picture.left + 30, picture.top + 25}));

  // A hidden child gives its room to the others.
  const int before = window.findControl("check")->rect().top;
  window.findControl("opt_b")->setVisible(false);
  EXPECT_EQ(window.findControl("check")->rect().top, before - 20);
  window.findControl("opt_b")->setVisible(true);
  EXPECT_EQ(window.findControl("check")->rect().top, before);

  // Display scaling doubles every size.
  window.setDpi(192);
  window.move({0, 0, 800, 600});
  pump();
  EXPECT_EQ(window.findControl("title_bar")->rect(), (Rect{0, 0, 800, 48}));
  EXPECT_EQ(window.findControl("light")->rect().width(), 40);
}

TEST_F(WindowTest, StylesFontsAndAttributesApply) {
  Control* title = window.findControl("title");
  EXPECT_EQ(title->textColor(), 0xFF102030u);
  EXPECT_EQ(title->font(), 1);
  EXPECT_EQ(title->textAlign(), kAlignHCenter | kAlignVCenter);
  EXPECT_TRUE(window.font(1).bold);
  EXPECT_EQ(window.font(1).size, 16);
  EXPECT_EQ(window.font(77).size, 12);  // unknown index: the default font

  auto* combo = window.findControl<Combo>("combo");
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(combo->itemUserData(2), "3");
  EXPECT_EQ(window.findControl<Slider>("slider")->value(), 40);
  EXPECT_EQ(window.findControl<TabLayout>("tabs")->currentIndex(), 1);
  EXPECT_TRUE(window.findControl<Option>("opt_a")->isSelected());
  EXPECT_EQ(window.findControl("row_0")->userData(), "r0");
  EXPECT_EQ(window.findControl<List>("list")->columnWidths(), (std::vector<int>{60, 0}));

  // Any attribute goes through SetAttribute; unknown ones are kept.
  Control* light = window.findControl("light");
  light->setAttribute("bkcolor", "#FF112233");
  EXPECT_EQ(light->bkColor(), 0xFF112233u);
  light->setAttribute("key_code", "0x04");
  EXPECT_EQ(light->attribute("key_code"), "0x04");
  EXPECT_EQ(light->attribute("never_set"), "");
}

TEST_F(WindowTest, WindowInitArrivesFromTheEventLoopAfterCreate) {
  EXPECT_TRUE(window.of("windowinit").empty());
  ASSERT_TRUE(testing::pumpUntil([&] { return !window.of("windowinit").empty(); }));
  EXPECT_EQ(window.of("windowinit").front().sender, "root");
}

TEST_F(WindowTest, RuntimeChildrenAndRowsCanBeAddedAndRemoved) {
  auto* list = window.findControl<List>("list");
  auto* row = list->insertRow(0, std::make_unique<ListLabelElement>());
  row->setName("new_row");
  EXPECT_EQ(window.findControl("new_row"), row);
  EXPECT_EQ(row->index(), 0);
  EXPECT_EQ(list->row(1)->name(), "row_0");
  ASSERT_TRUE(list->selectItem(2, false));
  EXPECT_TRUE(list->removeRow(0));
  EXPECT_EQ(list->currentIndex(), 1);  // the selection follows its row
  EXPECT_EQ(window.findControl("new_row"), nullptr);
  EXPECT_FALSE(list->removeRow(7));
  EXPECT_TRUE(list->removeRow(1));
  EXPECT_EQ(list->currentIndex(), -1);  // the selected row went
  list->removeAllRows();
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_EQ(window.findControl("row_2_button"), nullptr);
}

// A page class of the main window builds its own layout file.
class PageWindow : public Window {
 public:
  explicit PageWindow(std::string layout) : layout_(std::move(layout)) {}
  std::string layoutName() const override { return layout_; }
  std::string windowClassName() const override { return "PageWnd"; }
  std::unique_ptr<Control> createControl(std::string_view cls) override {
    asked.emplace_back(cls);
    if (equalsNoCase(cls, "Test_Page_UI"))
      return buildLayoutFromText(R"(<HorizontalLayout name="page_root">
                                      <Button name="page_btn"/></HorizontalLayout>)",
                                 *this);
    return nullptr;
  }
  std::vector<std::string> asked;

 private:
  static bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) ==
                    std::tolower(static_cast<unsigned char>(y));
           });
  }
  std::string layout_;
};

class Dial : public Control {
 public:
  std::string_view className() const override { return "Dial"; }
};

std::string writeLayout(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

TEST(LayoutBuilder, CallbackAndRegisteredClassesWithoutRegardToCase) {
  application();
  registerCustomClass("CDialUI", [] { return std::make_unique<Dial>(); });
  PageWindow w(writeLayout("page_layout.xml", R"(<Window size="100,50"><VerticalLayout name="root">
        <test_page_ui/> <cdialui name="dial"/> <NoSuchThing name="x"><Button name="inner"/></NoSuchThing>
      </VerticalLayout></Window>)"));
  platform::DebugCapture capture;
  ASSERT_TRUE(w.create(nullptr, "pages"));
  EXPECT_NE(w.findControl<Button>("page_btn"), nullptr);
  EXPECT_EQ(w.findControl("page_btn")->window(), &w);
  EXPECT_NE(w.findControl<Dial>("dial"), nullptr);
  // Unknown: asked of the callback, then skipped with its children.
  EXPECT_EQ(w.findControl("x"), nullptr);
  EXPECT_EQ(w.findControl("inner"), nullptr);
  EXPECT_NE(std::find(w.asked.begin(), w.asked.end(), "NoSuchThing"), w.asked.end());
  EXPECT_EQ(capture.count("layout: " + w.layoutName() + ": unknown element <NoSuchThing> skipped"),
            1);
}

TEST(LayoutBuilder, MissingOrBrokenLayoutsFailWithoutABuiltWindow) {
  application();
  platform::DebugCapture capture;
  PageWindow missing(::testing::TempDir() + "does_not_exist.xml");
  EXPECT_FALSE(missing.create(nullptr, "missing"));
  EXPECT_FALSE(missing.isCreated());
  PageWindow broken(writeLayout("broken.xml", "<Window><VerticalLayout name=\"root\"></Window>"));
  EXPECT_FALSE(broken.create(nullptr, "broken"));
  EXPECT_EQ(broken.root(), nullptr);
  EXPECT_GE(capture.lines().size(), 2u);
}

TEST(LayoutBuilder, ResourceIndexNamesLayoutsOfTheSkin) {
  Application& app = application();
  EXPECT_EQ(app.resolve("XML_MSG"), app.skinFolder() + "msg.xml");
  EXPECT_EQ(app.resolve("menu.xml"), app.skinFolder() + "menu.xml");
  EXPECT_EQ(app.resolve("/abs/file.xml"), "/abs/file.xml");
}

}  // namespace
}  // namespace varnacle::ui
