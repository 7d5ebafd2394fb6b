#pragma once
// Popup menus from a menu layout ("menu.xml"):
//   <Menu>
//     <MenuElement name="lan" text="menu_lan_text" userdata="" checked="false"/>
//   </Menu>
// Item texts are language keys (shown resolved). The chosen item reaches the
// owner window as message kMenuCommandMessage with wParam pointing at a
// MenuCommand (read it with menuCommandFrom(); it lives until handleMessage()
// returns).
//
// UI thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/geometry.h"

namespace varnacle::ui {

class Window;

inline constexpr std::uint32_t kMenuCommandMessage = 0x0479;  // WM_USER + 121

// The menu command record: what was chosen.
struct MenuCommand {
  std::string name;
  std::string userData;
  std::string text;  // the item's text as written (the language key)
  bool checked = false;
};

// The record a kMenuCommandMessage carries; null when wParam is 0.
inline const MenuCommand* menuCommandFrom(std::uintptr_t wParam) {
  return reinterpret_cast<const MenuCommand*>(wParam);
}

struct MenuItem {
  std::string name;
  std::string text;
  std::string userData;
  bool checked = false;
};

class Menu {
 public:
  // A menu owned by `owner`, filled from `layout` (skin-relative). A missing or
  // malformed layout gives an empty menu (reason in the debug output).
  Menu(Window& owner, std::string_view layout);
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  // Inserts before `position` (clamped).
  void insertItem(int position, MenuItem item);
  const std::vector<MenuItem>& items() const { return items_; }

  // Opens the menu at screen point `at`: `align` Align flags say which corner
  // of the menu lies there (kAlignLeft | kAlignTop: its top-left). Returns at
  // once; the choice arrives as a message.
  void popup(Point at, unsigned align);
  bool isOpen() const;
  void close();

  struct Native;

 private:
  Window& owner_;
  std::vector<MenuItem> items_;
  std::unique_ptr<Native> native_;
};

// The pointer's position on the screen.
Point cursorPosition();

}  // namespace varnacle::ui
