#pragma once
// The window library's application object: owns the toolkit application, the
// skin folder and its resource index (res.xml), and the event loop.
//
// Create exactly one, on the thread that becomes the UI thread, before any
// window. UI thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace varnacle::ui {

class Application {
 public:
  struct Created {
    std::unique_ptr<Application> app;  // null on failure
    std::string error;                 // why, when null
  };
  // Fails (instead of aborting) when no display can be used or an application
  // exists already. `argc` and `argv` must outlive the application.
  static Created create(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The live application, or null.
  static Application* instance();

  // The skin folder (default: "skin" in platform::resourceFolder(): beside the
  // program, or in ../share/varnacle-driver for an installed Linux program).
  void setSkinFolder(std::string folder);
  const std::string& skinFolder() const { return skinFolder_; }
  // Loads a resource index (skin-relative): <Resources><Resource name="XML_MAIN"
  // file="main.xml"/>...</Resources>. False when missing or malformed.
  bool loadResourceIndex(std::string_view file = "res.xml");
  // The full path of a resource name or skin-relative (or absolute) file.
  std::string resolve(std::string_view nameOrFile) const;

  // The id of the program's desktop entry ("org.example.tool", without
  // ".desktop"): Wayland desktops match the program's windows to its menu
  // entry and icon by it.
  void setDesktopEntry(std::string_view id);

  // The message loop: runs until quit(); returns its exit code.
  int run();
  void quit(int exitCode = 0);
  // Runs pending events for up to `ms` milliseconds (tests, modal waits).
  void processEvents(int ms = 0);

  // A key or mouse button in one of the program's windows, before any
  // control sees it.
  struct InputEvent {
    bool key = false;                // a key (else a mouse button)
    bool released = false;
    bool autoRepeat = false;         // a typematic repeat of a held key
    std::uint32_t nativeScanCode = 0;    // keys: as the toolkit's platform gives it
    std::uint32_t nativeVirtualKey = 0;  // keys
    int button = 0;                  // mouse: 1 left, 2 middle, 3 right, 8 back, 9 forward
    std::uint32_t time = 0;          // milliseconds
  };
  // The observer sees every such event; true swallows it. Empty removes it.
  void setInputObserver(std::function<bool(const InputEvent&)> observer);

  struct Native;

 private:
  Application();
  std::unique_ptr<Native> native_;
  std::string skinFolder_;
  std::map<std::string, std::string, std::less<>> resources_;
};

// The program's folder with a trailing separator ("./" while no application
// object exists).
std::string programFolder();

}  // namespace varnacle::ui
