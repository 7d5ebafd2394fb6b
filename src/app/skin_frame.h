#pragma once
// The background chooser: a small popup under the main window's "skinbtn" that
// offers images and colours, a file of the user's own and the default image.
// A choice is broadcast to the receivers of ObserverImpl (the main window);
// offered images and the reset are remembered for the next start.
//
// The popup closes as soon as it loses the focus and then deletes itself:
// nobody owns it, and open() hands out only its id (Window::fromId() finds it
// while it lives, null afterwards), so no pointer to it can dangle.
//
// UI thread only.
#include <cstdint>
#include <string>

#include "ui/window.h"

namespace varnacle::app {

class CSkinFrame : public ui::Window {
 public:
  // Opens a new popup whose top-right corner sits under the bottom-right corner
  // of `anchor` (a control of `owner`), and gives it the focus. 0 when the
  // layout cannot be built (the reason is in the debug output).
  static ui::WindowId open(ui::Window& owner, const ui::Control& anchor);

  std::string layoutName() const override { return "skin.xml"; }
  std::string windowClassName() const override { return "UISkinFrame"; }
  void notify(const ui::Notification& n) override;
  std::intptr_t handleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                              bool& handled) override;

 protected:
  void onFinalMessage() override;

 private:
  explicit CSkinFrame(ui::WindowId owner) : owner_(owner) {}
  ~CSkinFrame() override = default;

  void placeUnder(const ui::Window& owner, const ui::Control& anchor);
  void onClick(ui::Control& sender);
  void chooseCustomImage();
  void selectPage(int page);

  ui::WindowId owner_;
  // While the file dialog runs it holds the focus; closing waits for it.
  bool dialogOpen_ = false;
};

}  // namespace varnacle::app
