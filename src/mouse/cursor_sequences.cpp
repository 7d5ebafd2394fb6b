#include "mouse/cursor_sequences.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "device/exchanges.h"
#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "mouse/cursor_image.h"
#include "profile/file_names.h"
#include "profile/paths.h"

namespace varnacle::mouse {

namespace {

std::filesystem::path sequenceFile(std::string_view name) {
  return profile::fileIn(profile::DeviceFolder(DeviceKind::mouse), std::string(name) + ".cur");
}

}  // namespace

std::optional<std::vector<uint8_t>> buildCursorImageFromFiles() {
  const macro::MacroStore store(DeviceKind::mouse);
  std::vector<std::vector<macro::MacroAction>> sequences;
  for (const std::string& name : store.cursorNames()) {
    sequences.push_back(profile::isSafeFileName(name) ? macro::readActions(sequenceFile(name))
                                                      : std::vector<macro::MacroAction>{});
  }
  return buildCursorImage(sequences);
}

bool storeCursorImage(std::span<const uint8_t> image) {
  const auto sequences = parseCursorImage(image);
  if (!sequences) return false;
  const std::vector<std::string> names = macro::MacroStore(DeviceKind::mouse).cursorNames();
  const size_t count = std::min(sequences->size(), names.size());
  bool ok = true;
  for (size_t i = 0; i < count; ++i) {
    if (!profile::isSafeFileName(names[i])) continue;
    std::vector<std::string> lines;
    for (const macro::MacroAction& line : (*sequences)[i]) {
      lines.push_back(macro::formatMacroAction(line));
    }
    ok = macro::replaceActionFile(sequenceFile(names[i]), lines) && ok;
  }
  return ok;
}

bool readBackCursorSequences(device::DeviceSession& mouse) {
  const device::CursorReadBack readBack = device::readBackCursorTable(mouse);
  if (readBack.result != device::kResultOk || readBack.image.empty()) return false;
  return storeCursorImage(readBack.image);
}

CursorSendOutcome sendCursorSequences(device::DeviceSession& mouse) {
  CursorSendOutcome outcome;
  if (macro::MacroStore(DeviceKind::mouse).cursorNames().empty()) return outcome;
  const auto image = buildCursorImageFromFiles();
  if (!image) {
    outcome.status = CursorSendOutcome::Status::tooLarge;
    return outcome;
  }
  std::lock_guard lock(mouse.lock);
  outcome.status = CursorSendOutcome::Status::sent;
  for (const int result :
       {mouse.beginConfig(), mouse.writeCursorTable(*image), mouse.endConfig()}) {
    if (outcome.result == device::kResultOk) outcome.result = result;
  }
  return outcome;
}

}  // namespace varnacle::mouse
