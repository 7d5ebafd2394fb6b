// The message box on the real window library (offscreen) and the real skin: what
// it shows in each language, and what its buttons answer when clicked.
#include "app/msg_wnd.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "ui/dispatcher.h"
#include "ui/image.h"
#include "ui/modal_responder.h"

namespace varnacle::app {
namespace {

// What a box showed when the responder was asked.
struct Shown {
  std::string windowClass;
  std::string raw;  // the text given: a key or a literal
  bool isKey = false;
  std::string displayed;  // what the user reads
};

Shown readBox(ui::Window& box) {
  Shown s;
  s.windowClass = box.windowClassName();
  if (ui::Control* text = box.findControl("MessageText")) {
    s.raw = text->rawText();
    s.isKey = text->isResourceText();
    s.displayed = text->text();
  }
  return s;
}

// Answers every box with `result` and records what it showed.
class RecordingResponder {
 public:
  explicit RecordingResponder(int result)
      : scope_([this, result](ui::Window& w) -> std::optional<int> {
          shown.push_back(readBox(w));
          return result;
        }) {}
  std::vector<Shown> shown;

 private:
  ui::ScopedModalResponder scope_;
};

// Lets the box run modally and clicks the named control from inside its loop,
// the way a user's click arrives.
int clickInModalBox(std::string_view text, std::function<void(ui::Window&)> clicks) {
  ui::ScopedModalResponder scope([&](ui::Window& box) -> std::optional<int> {
    EXPECT_TRUE(ui::post([&box, clicks] { clicks(box); }));
    return std::nullopt;
  });
  return showMessage(nullptr, text, true);
}

void click(ui::Window& box, std::string_view name) {
  auto* button = box.findControl<ui::Button>(name);
  ASSERT_NE(button, nullptr) << name;
  button->activate();
}

TEST(MessageBox, ButtonsAnswerConfirmOrCancel) {
  EXPECT_EQ(clickInModalBox("message_text_12", [](ui::Window& b) { click(b, "confirm_btn"); }), 1);
  EXPECT_EQ(clickInModalBox("message_text_12", [](ui::Window& b) { click(b, "cancel_btn"); }), 0);
  // Closing a question with the close button counts as cancel.
  EXPECT_EQ(clickInModalBox("message_text_12", [](ui::Window& b) { click(b, "closebtn"); }), 0);
}

TEST(MessageBox, OtherClicksLeaveTheBoxOpen) {
  int clicksSeen = 0;
  const int result = clickInModalBox("message_text_2", [&](ui::Window& box) {
    ++clicksSeen;
    // A click on the message itself does nothing; the box still answers the
    // confirm button pressed after it.
    ui::Notification n{std::string(ui::notify::kClick), box.findControl("MessageText")};
    box.notify(n);
    EXPECT_TRUE(box.isCreated());
    click(box, "confirm_btn");
  });
  EXPECT_EQ(clicksSeen, 1);
  EXPECT_EQ(result, 1);
}

TEST(MessageBox, ShowsAKeyInTheCurrentLanguageOrALiteralAsGiven) {
  RecordingResponder responder(1);
  EXPECT_EQ(showMessage(nullptr, "message_text_6", true), 1);
  EXPECT_EQ(showMessage(nullptr, "message_text_6", false), 1);
  ASSERT_EQ(responder.shown.size(), 2u);
  EXPECT_EQ(responder.shown[0].windowClass, "MsgWnd");
  EXPECT_EQ(responder.shown[0].raw, "message_text_6");
  EXPECT_TRUE(responder.shown[0].isKey);
  EXPECT_EQ(responder.shown[0].displayed, "At least one button must keep the left click.");
  EXPECT_FALSE(responder.shown[1].isKey);
  EXPECT_EQ(responder.shown[1].displayed, "message_text_6");
}

TEST(MessageBox, EmptyTextKeepsTheLayoutsOwnText) {
  RecordingResponder responder(0);
  EXPECT_EQ(showMessage(nullptr, "", true), 0);
  ASSERT_EQ(responder.shown.size(), 1u);
  EXPECT_EQ(responder.shown[0].raw, "");
  EXPECT_FALSE(responder.shown[0].isKey);
}

TEST(MessageBox, KeyShowsTheLanguageLoadedAtTheTime) {
  RecordingResponder responder(1);
  test::switchLanguage("lan_cn.xml");
  showMessage(nullptr, "message_text_8", true);
  test::switchLanguage("lan_en.xml");
  showMessage(nullptr, "message_text_8", true);
  ASSERT_EQ(responder.shown.size(), 2u);
  EXPECT_EQ(responder.shown[0].displayed, "配置文件不存在或无法打开。");
  EXPECT_EQ(responder.shown[1].displayed, "The profile file is missing or cannot be opened.");
}

TEST(MessageBox, UnknownKeyShowsTheKeyItself) {
  RecordingResponder responder(1);
  showMessage(nullptr, "message_text_10", true);
  ASSERT_EQ(responder.shown.size(), 1u);
  EXPECT_EQ(responder.shown[0].displayed, "message_text_10");
}

TEST(MessageBox, LongMessagesWrapOverSeveralLines) {
  CMsgWnd box;
  ASSERT_TRUE(box.create(nullptr, "msgwnd"));
  ui::Control* text = box.findControl("MessageText");
  ASSERT_NE(text, nullptr);
  text->setResourceText(true);
  text->setText("message_text_11");
  box.show();
  const ui::Image img = ui::renderToImage(box);
  const ui::Rect r = text->rect();
  // Count the bands of rows that carry white text pixels.
  int lines = 0;
  bool inLine = false;
  for (int y = r.top; y < r.bottom; ++y) {
    bool ink = false;
    for (int x = r.left; x < r.right && !ink; ++x) {
      const ui::Color c = img.at(x, y);
      ink = ui::redOf(c) > 200 && ui::greenOf(c) > 200 && ui::blueOf(c) > 200;
    }
    if (ink && !inLine) ++lines;
    inLine = ink;
  }
  EXPECT_GE(lines, 2);
  box.destroy();
}

TEST(FormattedMessage, ChineseTextWithTheNumber) {
  test::HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  RecordingResponder responder(1);
  test::switchLanguage("lan_cn.xml");
  showFormattedMessage(&host, host, "message_text_17", 50);
  showFormattedMessage(&host, host, "message_text_16", 7);
  test::switchLanguage("lan_en.xml");
  ASSERT_EQ(responder.shown.size(), 2u);
  EXPECT_FALSE(responder.shown[0].isKey);
  EXPECT_EQ(responder.shown[0].displayed, "无法继续添加宏，最多只能有 50 个。");
  EXPECT_EQ(responder.shown[1].displayed, "宏数据超出设备容量，请删除 7 个步骤后重试。");
  host.destroy();
}

TEST(FormattedMessage, KeyWithoutANumberSlotIsShownAsItIs) {
  test::HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  RecordingResponder responder(1);
  showFormattedMessage(&host, host, "message_text_14", 3);
  showFormattedMessage(&host, host, "no_such_text_%s_%d", 3);
  ASSERT_EQ(responder.shown.size(), 2u);
  EXPECT_EQ(responder.shown[0].displayed, "The profile name cannot be empty.");
  EXPECT_EQ(responder.shown[1].displayed, "no_such_text_%s_3");
  host.destroy();
}

TEST(ResolveKey, ReadsThroughTheHiddenLabelOrTheFileWithoutIt) {
  test::HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  EXPECT_EQ(resolveKey(host, "media_calc"), "Calculator");
  test::switchLanguage("lan_cn.xml");
  EXPECT_EQ(resolveKey(host, "media_calc"), "计算器");
  test::switchLanguage("lan_en.xml");
  host.destroy();

  // A window without the label: the language file answers directly.
  CMsgWnd box;
  ASSERT_TRUE(box.create(nullptr, "msgwnd"));
  ASSERT_EQ(box.findControl("str_test"), nullptr);
  EXPECT_EQ(resolveKey(box, "media_calc"), "Calculator");
  EXPECT_EQ(resolveKey(box, "no_such_key"), "no_such_key");
  box.destroy();
}

}  // namespace
}  // namespace varnacle::app
