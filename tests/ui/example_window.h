#pragma once
// The example window of the tests: the layout tests/ui/data/example.xml, and a
// record of everything the window heard.
#include <string>
#include <utility>
#include <vector>

#include "ui/window.h"

namespace varnacle::ui::testing {

struct Heard {
  std::string type;
  std::string sender;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  friend bool operator==(const Heard&, const Heard&) = default;
};

class ExampleWindow : public Window {
 public:
  std::string layoutName() const override { return VARNACLE_UI_TESTDATA "/example.xml"; }
  std::string windowClassName() const override { return "ExampleWnd"; }

  void notify(const Notification& n) override {
    heard.push_back({n.type, n.sender ? n.sender->name() : "", n.wParam, n.lParam});
    Window::notify(n);
  }
  std::intptr_t handleMessage(std::uint32_t msg, std::uintptr_t w, std::intptr_t l,
                              bool& handled) override {
    messages.push_back({msg, w, l});
    handled = true;
    return static_cast<std::intptr_t>(msg) + 1;
  }
  void onTimer(int id) override { timers.push_back(id); }

  // Notifications of one type, in order.
  std::vector<Heard> of(const std::string& type) const {
    std::vector<Heard> out;
    for (const auto& h : heard)
      if (h.type == type) out.push_back(h);
    return out;
  }

  struct Message {
    std::uint32_t msg;
    std::uintptr_t w;
    std::intptr_t l;
  };
  std::vector<Heard> heard;
  std::vector<Message> messages;
  std::vector<int> timers;
};

}  // namespace varnacle::ui::testing
