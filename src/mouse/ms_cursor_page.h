#pragma once
// The mouse's fire-key page (layout class "MS_CURSOR_UI"): the four fire-key
// sequences, the thirty bullets of the chosen one, the pause and the two
// moves of the chosen bullet, the pointer's path through the whole sequence,
// and the reset and the send of the sequences.
//
// Every edit of a bullet goes straight into the sequence's file (the
// bullet's last three lines; its first three are carried as they are);
// nothing reaches the mouse before the send, which the button page's apply
// also runs first. Where the page stands (sequence and bullet) is kept in
// MouseConfig.
//
// When the mouse arrives, its sequences come back into the files (the main
// window's arrival steps); the page then shows sequence 0 afresh.
//
// Threads: UI thread. The page lives as long as the main window and must not
// outlive the MouseConfig it is given.
#include <string_view>

#include "pages/page.h"

namespace varnacle::mouse {

class MouseConfig;

class MsCursorPage : public pages::Page {
 public:
  MsCursorPage(const pages::PageContext& context, MouseConfig& config);
  MsCursorPage(const MsCursorPage&) = delete;
  MsCursorPage& operator=(const MsCursorPage&) = delete;

  // Sets up the sequence list and files when the list has none, then shows
  // sequence 0.
  void startUp() override;
  void notify(const ui::Notification& n) override;
  void deviceShown(DeviceKind kind) override;

  // Sequence `sequence` (0-3) becomes the current one, with its bullet 0.
  void selectSequence(int sequence);
  // Bullet `bullet` (0-29) of the current sequence becomes the selected one
  // and is shown; the edits are enabled.
  void selectBullet(int bullet);
  // Whether a bullet is selected (the edits enabled).
  bool bulletSelected() const { return bulletSelected_; }

 private:
  void unselectBullet();
  void showBullet();
  void saveBullet();
  void showPath();
  void showDirection(std::string_view check, bool flag, std::string_view flagLabel,
                     std::string_view otherLabel);
  // The edit's number, replaced by `limit` (and written back) above it.
  int editValue(std::string_view edit, int limit);
  void send();
  void reset();

  pages::PageContext context_;
  MouseConfig& config_;
  bool bulletSelected_ = false;
  // Set while the page fills its controls, so their notifications save nothing.
  bool loading_ = false;
};

}  // namespace varnacle::mouse
