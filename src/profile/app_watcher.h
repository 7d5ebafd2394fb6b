#pragma once
// The application watcher of one profile list (worker slots 9-13): while a
// program linked to a row has the foreground, that row is selected; otherwise
// the row the user chose (SELECT) is selected again.
//
//   poll   foreground path → SELECT (the user's row) → on the UI thread,
//          waited for: the first linked row of that path, else the user's
//          row, is selected and SELECT = the user's row again → 100 ms →
//          2000 ms
//   stop   seen at the end of a poll's rests, so within about 2.1 s; the
//          slot's stop line follows
//
// Selecting the row already selected loads nothing, so a profile reaches the
// device only when the match changes. The watcher runs whether or not the
// list's device is present.
//
// Threads: run() on the watcher's slot thread; `select(row, saved)` must
// carry out, on the UI thread and in one step, the selection of `row` and the
// restoring of SELECT to `saved` — unless SELECT no longer reads `saved`: a
// row the user chose since the poll read it stands (a selection and restore
// from the watcher thread would undo it). It may return without doing
// anything once the program shuts down. The list, the provider and `select` must outlive run().
#include <chrono>
#include <functional>

#include "platform/event.h"
#include "platform/foreground_program.h"
#include "platform/worker_slots.h"
#include "profile/profile_list.h"

namespace varnacle::profile {

struct AppWatcherTiming {
  std::chrono::milliseconds afterSelect{100};
  std::chrono::milliseconds betweenPolls{2000};
};

class AppWatcher {
 public:
  using SelectRow = std::function<void(int row, int saved)>;

  AppWatcher(const ProfileList& list, platform::ForegroundProgram& foreground, SelectRow select,
             AppWatcherTiming timing = {});

  // The loop until `stop` is set; ends with the stop line of `slot`.
  void run(platform::WorkerSlot slot, platform::Event& stop);
  // One poll; false when `stop` was set during its rests.
  bool poll(const platform::Event& stop);

 private:
  const ProfileList& list_;
  platform::ForegroundProgram& foreground_;
  SelectRow select_;
  AppWatcherTiming timing_;
  // "文件名字访问失败" is written when the path becomes unknown, not every poll.
  bool unknownTold_ = false;
};

// The watcher's slot for a list.
platform::WorkerSlot appWatcherSlot(ProfileListKind kind);

}  // namespace varnacle::profile
