#pragma once
// The profile panel of one profile list on its device's page: the combo of
// profiles, the name edit and rename panel, the add, delete, copy, import,
// export and reset buttons, the program link, and the list's application
// watcher. Every panel comes from the layout fragment "profile_panel.xml"
// (included with the device prefix and the kind word, so the controls are
// named "ms_deng_profile_combo", "ms_pro_key_add_btn" and so on); the device
// page gives the steps that move a payload into its settings and apply them.
//
// The panel is a page of its own, added after the device page whose steps
// it calls. When the device arrives, the SELECT row is selected (loaded and
// applied) unless it is already the selected one. Where the foreground
// program cannot be known, the first program link of the run says so
// (kLinksUnsupportedText, kShellExtensionNeededText) before the dialog.
//
// Threads: UI thread; the watcher runs in the list's worker slot and hands
// its selections to the UI thread, waiting for each. The panel lives as long
// as the main window; the watcher ends with the window's worker slots.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page.h"
#include "pages/profile_panel_names.h"
#include "profile/app_watcher.h"
#include "profile/profile_list.h"

namespace varnacle::platform {
class ForegroundProgram;
}  // namespace varnacle::platform

namespace varnacle::pages {

// What a panel says, once per run, when the user links a program where the
// foreground program cannot be known: on this desktop at all, or on GNOME
// Shell until the program's extension is enabled.
inline constexpr std::string_view kLinksUnsupportedText = "message_text_23";
inline constexpr std::string_view kShellExtensionNeededText = "message_text_24";

// What a device page does with its list's payloads.
struct ProfileListSteps {
  // The in-memory settings as a payload of the list's size.
  std::function<std::vector<uint8_t>()> current;
  // Copies a payload of the list's size into the in-memory settings.
  std::function<void(std::span<const uint8_t>)> take;
  // Applies the in-memory settings to the page and the device (the
  // lighting lists mark their lighting pending).
  std::function<void()> apply;
  // Runs before a reset (may be empty).
  std::function<void()> beforeReset;
  // Runs after a reset took the default payload, before it is saved and
  // applied (may be empty).
  std::function<void()> afterReset;
};

class ProfilePanel : public Page {
 public:
  // `foreground` (may be null: no watcher) must outlive the window's
  // worker slots.
  ProfilePanel(const PageContext& context, profile::ProfileListKind kind, ProfileListSteps steps,
               platform::ForegroundProgram* foreground,
               profile::AppWatcherTiming watcherTiming = {});

  void startUp() override;
  void startWorkers() override;
  void notify(const ui::Notification& n) override;
  void deviceShown(DeviceKind kind) override;

  profile::ProfileList& list() { return list_; }
  // Selects `row` and runs Select, also when it is already selected.
  void selectRow(int row);
  // Selects `row` unless it already is (the watcher's and the arrival's way).
  void selectIfChanged(int row);

 private:
  void runSelect(int row);
  void showLink(const std::optional<std::string>& label);
  void show(const profile::ListOutcome& outcome);
  void message(std::string_view id);
  int selected() const;
  void fillRows();
  void toggle(std::string_view panel);
  void tellLinkLimitation();
  std::optional<std::string> askProgram();
  std::optional<std::string> askProfileFile(bool save);

  void add();
  void remove();
  void copy();
  void rename();
  void importFile();
  void exportFile();
  void reset();
  void linkChecked(bool checked);
  void linkButton();

  PageContext context_;
  profile::ProfileList list_;
  ProfileListSteps steps_;
  platform::ForegroundProgram* foreground_;
  profile::AppWatcherTiming watcherTiming_;
  std::unique_ptr<profile::AppWatcher> watcher_;
  const ProfilePanelNames& names_;
};

}  // namespace varnacle::pages
