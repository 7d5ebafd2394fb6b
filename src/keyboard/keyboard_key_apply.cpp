#include "keyboard/keyboard_key_apply.h"

#include <mutex>

#include "device/exchanges.h"
#include "keyboard/keyboard_config.h"
#include "keyboard/keyboard_key_profile.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"

namespace varnacle::keyboard {

namespace {

// Runs BeginConfig, `body`, EndConfig and gives the first result other than
// 1; EndConfig is sent even after a failed body, so the bracket is closed.
template <typename Body>
int inConfig(device::DeviceSession& keyboard, Body&& body) {
  const int begun = keyboard.beginConfig();
  if (begun != device::kResultOk) return begun;
  const int bodyResult = body();
  const int ended = keyboard.endConfig();
  return bodyResult != device::kResultOk ? bodyResult : ended;
}

}  // namespace

int sendKeySlot(KeyboardConfig& config, device::DeviceSession& keyboard, int slot) {
  std::lock_guard sessionLock(keyboard.lock);
  const device::TableSlot table = config.slot(slot);
  // WriteProfileTable moves the transfer size: exactly the keyboard's records.
  keyboard.transferSize = static_cast<uint16_t>(config.keyCount() * 3);
  return inConfig(keyboard, [&] { return keyboard.writeProfileTable(slot, table); });
}

KeyboardApplyOutcome applyKeysToKeyboard(KeyboardConfig& config, const device::LiveLighting& live,
                                         device::DeviceSession& keyboard,
                                         const macro::MacroStore& macros) {
  std::lock_guard sessionLock(keyboard.lock);
  KeyboardApplyOutcome outcome;
  const auto fail = [&](int result) {
    outcome.status = KeyboardApplyOutcome::Status::failed;
    outcome.result = result;
  };

  const macro::MacroImagePlan plan = macro::prepareMacroImage(macros, config.macroCapacity());
  if (plan.status == macro::MacroImagePlan::Status::tooLarge) {
    outcome.status = KeyboardApplyOutcome::Status::macrosTooLarge;
    outcome.stepsToRemove = plan.stepsToRemove;
    return outcome;
  }
  if (plan.status == macro::MacroImagePlan::Status::ready) {
    if (plan.image.size() != plan.total) {
      outcome.status = KeyboardApplyOutcome::Status::noImage;
      return outcome;
    }
    const int result = inConfig(keyboard, [&] { return keyboard.writeMacroTable(plan.image); });
    if (result != device::kResultOk) fail(result);
  }

  if (outcome.status == KeyboardApplyOutcome::Status::applied) {
    const int result = sendKeySlot(config, keyboard, activeKeySlot(live));
    if (result != device::kResultOk) fail(result);
  }
  saveKeyboardKeyProfile(config.slot(0));
  return outcome;
}

}  // namespace varnacle::keyboard
