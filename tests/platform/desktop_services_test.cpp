// What the program reads from desktop services without running one: the
// JSON reader, the compositor IPC's framing, tree and events, and the choice
// of the foreground provider from the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/foreground_session.h"
#include "platform/json_value.h"
#include "platform/sway_ipc.h"

namespace varnacle::platform {
namespace {

using json::Value;

TEST(JsonReader, ReadsTheValuesACompositorSends) {
  const auto v = json::parse(
      R"( {"id": 6, "name": "caf\u00e9 \ud83d\ude00", "ok": true, "no": false, "none": null,
          "rect": {"x": -2.5e1}, "list": [1, [], {}], "esc": "a\"b\\c\n"} )");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->member("id")->whole(0, 10), 6);
  EXPECT_EQ(v->member("name")->text, "caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_TRUE(v->member("ok")->isTrue());
  EXPECT_FALSE(v->member("no")->isTrue());
  EXPECT_EQ(v->member("none")->kind, Value::Kind::null);
  EXPECT_EQ(v->member("rect")->member("x")->number, -25.0);
  EXPECT_EQ(v->member("list")->items.size(), 3u);
  EXPECT_EQ(v->member("esc")->text, "a\"b\\c\n");
  EXPECT_EQ(v->member("missing"), nullptr);
}

TEST(JsonReader, RefusesMalformedText) {
  for (const char* text : {"", "{", "[1,]", "{\"a\" 1}", "{\"a\":1,}", "01x", "+1", "tru", "\"open",
                           "\"\\x\"", "\"\\ud800\"", "\"\\udc00\"", "\"\\u12\"", "1 2", "{} x",
                           "\"tab\there\"", "nan", "[1e999999]"})
    EXPECT_FALSE(json::parse(text)) << text;
}

TEST(JsonReader, NestingIsBounded) {
  const std::string deep(json::kMaxJsonDepth + 1, '[');
  EXPECT_FALSE(json::parse(deep + std::string(json::kMaxJsonDepth + 1, ']')));
  const std::string fits(json::kMaxJsonDepth, '[');
  EXPECT_TRUE(json::parse(fits + std::string(json::kMaxJsonDepth, ']')));
}

TEST(JsonReader, WholeNumbersWithinTheirRangeOnly) {
  EXPECT_EQ(json::parse("4194304")->whole(1, sway::kMaxPid), sway::kMaxPid);
  EXPECT_FALSE(json::parse("4194305")->whole(1, sway::kMaxPid));
  EXPECT_FALSE(json::parse("0")->whole(1, sway::kMaxPid));
  EXPECT_FALSE(json::parse("12.5")->whole(1, sway::kMaxPid));
  EXPECT_FALSE(json::parse("\"12\"")->whole(1, sway::kMaxPid));
  EXPECT_FALSE(json::parse("1e300")->whole(1, sway::kMaxPid));
}

TEST(SwayIpc, FramesRoundTripAndBadHeadersAreRefused) {
  const std::string m = sway::encode(sway::kGetTree, "[]");
  ASSERT_EQ(m.size(), sway::kHeaderSize + 2);
  std::array<char, sway::kHeaderSize> head{};
  std::copy_n(m.begin(), head.size(), head.begin());
  const auto h = sway::decodeHeader(head);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->type, sway::kGetTree);
  EXPECT_EQ(h->length, 2u);

  auto wrongMagic = head;
  wrongMagic[0] = 'x';
  EXPECT_FALSE(sway::decodeHeader(wrongMagic));
  const std::string huge = sway::encode(sway::kGetTree, "");
  std::copy_n(huge.begin(), head.size(), head.begin());
  const uint32_t tooLong = sway::kMaxPayload + 1;
  std::memcpy(head.data() + sway::kMagic.size(), &tooLong, sizeof tooLong);
  EXPECT_FALSE(sway::decodeHeader(head));
}

TEST(SwayIpc, TheFocusedWindowOfATree) {
  // A root, an output, a workspace with a tiled and a floating window.
  const auto tree = json::parse(R"({"id":1,"focused":false,"nodes":[
      {"id":2,"type":"output","focused":false,"nodes":[
        {"id":3,"type":"workspace","focused":false,
         "nodes":[{"id":4,"focused":false,"pid":100,"nodes":[]}],
         "floating_nodes":[{"id":5,"focused":true,"pid":200,"nodes":[]}]}]}]})");
  ASSERT_TRUE(tree);
  EXPECT_EQ(sway::focusedPid(*tree), 200);

  // The focus on an empty workspace: no window, no process.
  const auto empty =
      json::parse(R"({"nodes":[{"nodes":[{"type":"workspace","focused":true,"nodes":[]}]}]})");
  EXPECT_EQ(sway::focusedPid(*empty), std::nullopt);
  // A focused window whose process is not known, or nonsense.
  for (const char* pid : {"0", "-1", "\"200\"", "9999999999", "null"}) {
    const auto odd = json::parse(std::string(R"({"nodes":[{"focused":true,"pid":)") + pid + "}]}");
    ASSERT_TRUE(odd) << pid;
    EXPECT_EQ(sway::focusedPid(*odd), std::nullopt) << pid;
  }
}

TEST(SwayIpc, EventsFollowTheFocus) {
  const auto focus = json::parse(R"({"change":"focus","container":{"id":6,"pid":321}})");
  const auto effect = sway::eventEffect(sway::kWindowEvent, *focus);
  EXPECT_EQ(effect.kind, sway::EventEffect::Kind::focus);
  EXPECT_EQ(effect.pid, 321);

  const auto noProcess = json::parse(R"({"change":"focus","container":{"id":6}})");
  EXPECT_EQ(sway::eventEffect(sway::kWindowEvent, *noProcess).kind, sway::EventEffect::Kind::focus);
  EXPECT_EQ(sway::eventEffect(sway::kWindowEvent, *noProcess).pid, std::nullopt);

  const auto close = json::parse(R"({"change":"close","container":{"id":6,"pid":321}})");
  EXPECT_EQ(sway::eventEffect(sway::kWindowEvent, *close).kind, sway::EventEffect::Kind::reload);
  const auto workspace = json::parse(R"({"change":"focus","current":{}})");
  EXPECT_EQ(sway::eventEffect(sway::kWorkspaceEvent, *workspace).kind,
            sway::EventEffect::Kind::reload);
  // A title change, or a focus word in an event of another type, changes nothing.
  const auto title = json::parse(R"({"change":"title","container":{"pid":9}})");
  EXPECT_EQ(sway::eventEffect(sway::kWindowEvent, *title).kind, sway::EventEffect::Kind::none);
  EXPECT_EQ(sway::eventEffect(0x80000004u, *focus).kind, sway::EventEffect::Kind::none);
}

TEST(ForegroundProviderChoice, FromTheSession) {
  DesktopSession x11;
  x11.sessionType = "x11";
  x11.x11Display = true;
  x11.waylandDisplay = true;  // a stray variable does not make it Wayland
  EXPECT_EQ(chooseForegroundProvider(x11), ForegroundProvider::x11);

  DesktopSession sway;
  sway.sessionType = "wayland";
  sway.waylandDisplay = sway.x11Display = sway.swaySocket = true;  // with Xwayland
  EXPECT_EQ(chooseForegroundProvider(sway), ForegroundProvider::sway);

  DesktopSession plasma;
  plasma.waylandDisplay = plasma.x11Display = true;  // no session type: the display tells
  plasma.currentDesktop = "kde";
  EXPECT_EQ(chooseForegroundProvider(plasma), ForegroundProvider::kwin);
  plasma.currentDesktop = "";
  plasma.kwinOnBus = true;
  EXPECT_EQ(chooseForegroundProvider(plasma), ForegroundProvider::kwin);

  DesktopSession gnome;
  gnome.sessionType = "wayland";
  gnome.currentDesktop = "ubuntu:GNOME";
  EXPECT_EQ(chooseForegroundProvider(gnome), ForegroundProvider::gnome);
  gnome.currentDesktop = "GNOME-Flashback";  // a name, not a prefix, is compared
  EXPECT_EQ(chooseForegroundProvider(gnome), ForegroundProvider::none);
  gnome.gnomeShellOnBus = true;
  EXPECT_EQ(chooseForegroundProvider(gnome), ForegroundProvider::gnome);

  // Another Wayland desktop: Xwayland's X11 active window would name stale
  // programs, so nothing answers.
  DesktopSession other;
  other.sessionType = "wayland";
  other.waylandDisplay = other.x11Display = true;
  other.currentDesktop = "Hyprland";
  EXPECT_EQ(chooseForegroundProvider(other), ForegroundProvider::none);

  EXPECT_EQ(chooseForegroundProvider(DesktopSession{}), ForegroundProvider::none);
}

}  // namespace
}  // namespace varnacle::platform
