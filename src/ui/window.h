#pragma once
// A top-level window built from a layout (the WindowImplBase role).
//
// A page class derives from Window, names its layout (layoutName()) and class
// (windowClassName()), and overrides what it handles: notify() for control
// notifications, handleMessage() for numbered messages, onTimer() for timers,
// createControl() for element classes of its layout the library does not know,
// initWindow() for set-up after the controls exist.
//
// UI thread only, except id(): other threads reach a window through the
// dispatcher with its id. The C++ object owns the on-screen window; destroy()
// closes the on-screen window but leaves the object to its owner.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/geometry.h"
#include "ui/notification.h"

namespace varnacle::ui {

// Identifies a window across threads; 0 is no window.
using WindowId = std::uint64_t;

// Window styles, in the values the system's own window styles have; only the
// bits named here change anything.
struct WindowStyle {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
};
inline constexpr std::uint32_t kStyleVisible = 0x10000000;       // shown at creation
inline constexpr std::uint32_t kExStyleTopmost = 0x00000008;     // stays above others
inline constexpr std::uint32_t kExStyleToolWindow = 0x00000080;  // no task bar entry
inline constexpr std::uint32_t kExStyleNoActivate = 0x08000000;  // shown without focus

// Numbered messages the library itself delivers to handleMessage().
inline constexpr std::uint32_t kMsgDestroy = 0x0002;    // the window is being destroyed
inline constexpr std::uint32_t kMsgActivate = 0x0006;   // wParam 1 activated, 0 deactivated
inline constexpr std::uint32_t kMsgKillFocus = 0x0008;  // the window lost the focus
inline constexpr std::uint32_t kMsgUser = 0x0400;       // first private message number

class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The layout of this window: a resource name of res.xml ("XML_MAIN") or a
  // skin-relative file name.
  virtual std::string layoutName() const = 0;
  virtual std::string windowClassName() const = 0;

  // Create: builds the layout and the on-screen window. `size` 0 takes the
  // layout's "size". False when the layout cannot be built (the reason goes to
  // the debug output). After the controls exist initWindow() runs, and
  // "windowinit" reaches notify() from the event loop.
  bool create(Window* parent, std::string_view title, WindowStyle style = {}, Size size = {});
  bool isCreated() const;
  // destroy: delivers kMsgDestroy to handleMessage(), then closes the window.
  // Ends a modal run with result 0 unless close() gave one.
  void destroy();
  // Close: ends a modal run with `result` (or closes a plain window) and
  // destroys it.
  void close(int result = 0);

  // ShowModal: shows the window and runs its own event loop until close().
  // Returns the close result. While a modal responder is installed
  // (ui/modal_responder.h) it answers instead and no loop runs.
  int showModal();

  // ShowWindow(show, takeFocus).
  void show(bool show = true, bool takeFocus = true);
  void hide() { show(false, false); }
  bool isVisible() const;
  // Whether the window can be seen: shown and not minimised.
  bool isSeen() const { return seen_; }
  // CenterWindow: over the parent, or the screen without one.
  void centre();
  void minimize();
  void maximize();
  void restore();
  // Brings the window to the front (the topmost / not-topmost pair).
  void bringToFront();
  void setTopmost(bool on);
  Rect geometry() const;
  void move(const Rect& r);
  void setTitle(std::string_view title);
  // SetIcon: a skin-relative image file.
  void setIcon(std::string_view file);

  // The window's root control (null before create()).
  Control* root() const { return root_.get(); }
  // FindControl: the first control with this name, depth first; null if none.
  Control* findControl(std::string_view name) const;
  template <class T>
  T* findControl(std::string_view name) const {
    return dynamic_cast<T*>(findControl(name));
  }
  // Every control with this name, in tree order.
  std::vector<Control*> findControls(std::string_view name) const;

  // Notification sink. The base routes a notification to the virtual-window
  // pump named by the sender's "virtualwnd"; overrides call it after their own
  // handling.
  virtual void notify(const Notification& n);
  // Virtual-window notification pumps (AddVirtualWnd / RemoveVirtualWnd).
  void addVirtualWindow(std::string name, std::function<void(const Notification&)> pump);
  void removeVirtualWindow(std::string_view name);

  // Layout callback: a control for an element class the library does not know
  // (compared without regard to case), or null.
  virtual std::unique_ptr<Control> createControl(std::string_view className);
  // Runs once the controls exist, before "windowinit".
  virtual void initWindow() {}

  // Numbered messages (posted/sent through the dispatcher, or sent here). Set
  // `handled` when the message was taken care of. The base does nothing.
  virtual std::intptr_t handleMessage(std::uint32_t msg, std::uintptr_t wParam,
                                      std::intptr_t lParam, bool& handled);
  // SendMessage to itself: runs handleMessage() now.
  std::intptr_t sendMessage(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

  // Timers by id. setTimer restarts a running timer of the same id.
  void setTimer(int id, int intervalMs);
  void killTimer(int id);
  virtual void onTimer(int id);

  WindowId id() const { return id_; }
  // Looks a live window up by id (null when destroyed). UI thread only.
  static Window* fromId(WindowId id);

  // GetInstancePath: the program's folder with a trailing separator.
  static std::string instancePath();

  // Display scaling (SetDPI): 96 = 100 %. Sizes and positions of the layout
  // and font sizes scale with it.
  void setDpi(int dpi);
  int dpi() const { return dpi_; }
  int scaled(int value) const { return value * dpi_ / 96; }
  // ResetDPIAssets: drops cached images so they are loaded again.
  static void resetDpiAssets();

  // Invalidate the whole window / NeedUpdate of the layout.
  void invalidate();
  void relayout();

  // ReloadText: re-resolves every resource text of every window after a
  // language change.
  static void reloadText();

  // Styles and fonts of the layout (used by the builder and painting).
  struct Font {
    std::string family;
    int size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
  };
  void addFont(int id, Font font, bool isDefault);
  // The font by index (-1 or unknown: the default font).
  Font font(int id) const;
  // `text` as it fits one line `width` pixels wide in font `fontId`: itself
  // when it fits, else its beginning with an ellipsis (with `keepEnd` its
  // beginning and its end around one). A little room is kept, so the text
  // also fits at the scaled font sizes of a scaled display.
  std::string elidedText(int fontId, std::string_view text, int width, bool keepEnd = false) const;
  void addStyle(std::string name, std::vector<std::pair<std::string, std::string>> attributes);
  // The attributes of a named style (null if unknown).
  const std::vector<std::pair<std::string, std::string>>* style(std::string_view name) const;

  // The toolkit side (ui/qt only).
  struct Native;
  Native* native() const { return native_.get(); }

 protected:
  // Called after destroy() has closed the window (OnFinalMessage).
  virtual void onFinalMessage() {}
  // The window came into sight (shown, not minimised) or went out of it
  // (hidden, minimised, by the program or by the desktop). Once per change.
  virtual void seenChanged(bool seen) { (void)seen; }

 private:
  friend struct Native;
  void deliverWindowInit();
  // Compares isSeen() with the on-screen window and reports a change.
  void updateSeen();

  WindowId id_ = 0;
  std::unique_ptr<Native> native_;
  std::unique_ptr<Control> root_;
  std::map<std::string, std::function<void(const Notification&)>, std::less<>> pumps_;
  std::map<int, Font> fonts_;
  int defaultFont_ = -1;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>, std::less<>> styles_;
  int dpi_ = 96;
  int modalResult_ = 0;
  bool destroyed_ = false;
  bool seen_ = false;
};

}  // namespace varnacle::ui
