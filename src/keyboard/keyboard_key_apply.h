#pragma once
// Applying the key assignments to the keyboard (the key page's apply):
//
//   1. the saved macros as one image, if there are any: BeginConfig,
//      WriteMacroTable, EndConfig; an image larger than the keyboard's macro
//      memory (information byte 6 x 128) stops the apply before anything is
//      sent;
//   2. the active slot: BeginConfig, WriteProfileTable with the slot's
//      first 3 x key count bytes to the on-board profile of that slot,
//      EndConfig;
//   3. slot 0 into the selected key profile file.
//
// A command that fails ends the device part at once (a keyboard that stopped
// answering would only make every later command wait out its attempts); the
// key profile file is still saved, since it keeps the user's own edits, and
// the outcome says the apply failed.
//
// Any thread; the keyboard session's lock is held for the whole apply.
#include "device/device_session.h"
#include "device/live_lighting.h"

namespace varnacle::macro {
class MacroStore;
}  // namespace varnacle::macro

namespace varnacle::keyboard {

class KeyboardConfig;

struct KeyboardApplyOutcome {
  enum class Status {
    applied,         // every command went through
    macrosTooLarge,  // nothing sent: the user removes `stepsToRemove` steps
    noImage,         // the macro image could not be built: nothing sent
    failed,          // a command failed (`result`); not everything reached the keyboard
  };
  Status status = Status::applied;
  int stepsToRemove = 0;
  int result = device::kResultOk;
};

KeyboardApplyOutcome applyKeysToKeyboard(KeyboardConfig& config, const device::LiveLighting& live,
                                         device::DeviceSession& keyboard,
                                         const macro::MacroStore& macros);

// Step 2 for slot `slot` (0-4) alone: BeginConfig, WriteProfileTable of that
// slot's first 3 x key count bytes to on-board profile `slot`, EndConfig; the
// first result other than 1.
int sendKeySlot(KeyboardConfig& config, device::DeviceSession& keyboard, int slot);

}  // namespace varnacle::keyboard
