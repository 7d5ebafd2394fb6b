#include "mouse/mouse_key_apply.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <span>

#include "device/exchanges.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"
#include "mouse/cursor_sequences.h"
#include "mouse/key_assignment.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_key_profile.h"

namespace varnacle::mouse {

namespace {

constexpr std::size_t kMacroCapacityUnit = 128;

// Runs BeginConfig, `body`, EndConfig and gives the first result other than
// 1; EndConfig is sent even after a failed body, so the bracket is closed.
template <typename Body>
int inConfig(device::DeviceSession& mouse, Body&& body) {
  int result = mouse.beginConfig();
  if (result != device::kResultOk) return result;
  const int bodyResult = body();
  const int endResult = mouse.endConfig();
  return bodyResult != device::kResultOk ? bodyResult : endResult;
}

int writeAssignments(MouseConfig& config, device::DeviceSession& mouse, int profile,
                     const std::array<uint8_t, kProfileAssignmentBytes>& own) {
  auto buffer = config.withAssignmentMirror(
      [&](const AssignmentMirror& mirror) { return mirror.bufferFor(profile, own); });
  return inConfig(mouse, [&] {
    if (!buffer) {
      // What follows the profile's bytes is not known: read it first.
      device::TableSlot held{};
      if (const int read = mouse.readProfileTable(profile, held); read != device::kResultOk)
        return read;
      std::copy(own.begin(), own.end(), held.begin());
      buffer = held;
    }
    const int written = mouse.writeProfileTable(profile, *buffer);
    config.withAssignmentMirror([&](AssignmentMirror& mirror) {
      if (written != device::kResultOk) return mirror.forget();
      mirror.written(profile, *buffer);
    });
    return written;
  });
}

}  // namespace

std::size_t mouseMacroCapacity(const MouseConfig& config) {
  return std::size_t{config.info()[device::kInfoMacroCapacityByte]} * kMacroCapacityUnit;
}

MouseApplyOutcome applyKeysToMouse(MouseConfig& config, device::DeviceSession& mouse,
                                   const macro::MacroStore& macros) {
  std::lock_guard sessionLock(mouse.lock);
  MouseApplyOutcome outcome;
  const auto fail = [&](int result) {
    outcome.status = MouseApplyOutcome::Status::failed;
    outcome.result = result;
  };

  const CursorSendOutcome sequences = sendCursorSequences(mouse);
  outcome.sequencesTooLarge = sequences.status == CursorSendOutcome::Status::tooLarge;
  if (sequences.result != device::kResultOk) fail(sequences.result);

  if (outcome.status == MouseApplyOutcome::Status::applied) {
    const macro::MacroImagePlan plan = macro::prepareMacroImage(macros, mouseMacroCapacity(config));
    if (plan.status == macro::MacroImagePlan::Status::tooLarge) {
      outcome.status = MouseApplyOutcome::Status::macrosTooLarge;
      outcome.stepsToRemove = plan.stepsToRemove;
      return outcome;
    }
    if (plan.status == macro::MacroImagePlan::Status::ready) {
      if (plan.image.size() != plan.total) {
        outcome.status = MouseApplyOutcome::Status::noImage;
        return outcome;
      }
      const int result = inConfig(mouse, [&] { return mouse.writeMacroTable(plan.image); });
      if (result != device::kResultOk) fail(result);
    }
  }

  if (outcome.status == MouseApplyOutcome::Status::applied) {
    const int result = sendCurrentAssignments(config, mouse);
    if (result != device::kResultOk) fail(result);
  }
  saveMouseKeyProfile(config.profileKeyTable(config.currentProfile()));
  return outcome;
}

int sendCurrentAssignments(MouseConfig& config, device::DeviceSession& mouse) {
  std::lock_guard sessionLock(mouse.lock);
  const int profile = std::clamp(config.currentProfile(), 0, device::kOnBoardProfiles - 1);
  const device::TableSlot table = config.profileKeyTable(profile);
  std::array<uint8_t, kProfileAssignmentBytes> own{};
  std::copy_n(table.begin(), own.size(), own.begin());
  return writeAssignments(config, mouse, profile, own);
}

}  // namespace varnacle::mouse
