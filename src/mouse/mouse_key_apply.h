#pragma once
// Applying the button assignments to the mouse (the button page's apply):
//
//   1. the fire-key sequences from their files (sendCursorSequences);
//   2. the saved macros as one image, if there are any: BeginConfig,
//      WriteMacroTable, EndConfig; an image larger than the mouse's macro
//      memory stops the apply before anything more is sent;
//   3. the active profile's assignments: BeginConfig, WriteProfileTable with
//      the profile's 126 bytes followed by what the mouse holds after them
//      (the assignment mirror; read from the mouse first when not known),
//      EndConfig;
//   4. the active profile's key table into the selected key profile file.
//
// A command that fails ends the device part at once (a mouse that stopped
// answering would only make every later command wait out its attempts); the
// key profile file is still saved, since it keeps the user's own edits, and
// the outcome says the apply failed.
//
// Any thread; the mouse session's lock is held for the whole apply, so no
// other exchange comes between its steps.
#include <cstddef>

#include "device/device_session.h"

namespace varnacle::macro {
class MacroStore;
}  // namespace varnacle::macro

namespace varnacle::mouse {

class MouseConfig;

struct MouseApplyOutcome {
  enum class Status {
    applied,         // every command went through
    macrosTooLarge,  // nothing sent: the user removes `stepsToRemove` steps
    noImage,         // the macro image could not be built: nothing sent
    failed,          // a command failed (`result`); not everything reached the mouse
  };
  Status status = Status::applied;
  int stepsToRemove = 0;
  // The fire-key sequences did not fit the mouse and were not sent; the
  // rest went on.
  bool sequencesTooLarge = false;
  int result = device::kResultOk;
};

// Bytes of macro memory the mouse reports: information byte 6 × 128.
std::size_t mouseMacroCapacity(const MouseConfig& config);

MouseApplyOutcome applyKeysToMouse(MouseConfig& config, device::DeviceSession& mouse,
                                   const macro::MacroStore& macros);

// Step 3 alone, for a key profile that was loaded: BeginConfig,
// WriteProfileTable of the active profile, EndConfig; the first result other
// than 1.
int sendCurrentAssignments(MouseConfig& config, device::DeviceSession& mouse);

}  // namespace varnacle::mouse
