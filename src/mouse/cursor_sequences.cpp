#include "mouse/cursor_sequences.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <system_error>

#include "device/exchanges.h"
#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "mouse/cursor_image.h"
#include "platform/atomic_file.h"
#include "profile/file_bytes.h"
#include "profile/file_lock.h"
#include "profile/file_names.h"
#include "profile/ini_store.h"
#include "profile/paths.h"

namespace varnacle::mouse {

namespace {

std::filesystem::path sequenceFile(std::string_view name) {
  return profile::fileIn(profile::DeviceFolder(DeviceKind::mouse), std::string(name) + ".cur");
}

// The file of listed sequence `sequence`, or nothing.
std::optional<std::filesystem::path> listedFile(int sequence) {
  const std::vector<std::string> names = macro::MacroStore(DeviceKind::mouse).cursorNames();
  if (sequence < 0 || sequence >= static_cast<int>(names.size())) return std::nullopt;
  const std::string& name = names[static_cast<std::size_t>(sequence)];
  if (!profile::isSafeFileName(name)) return std::nullopt;
  return sequenceFile(name);
}

void writeDump(std::string_view file, std::span<const uint8_t> image) {
  const std::filesystem::path folder = diagnosticFolder();
  if (folder.empty()) return;
  platform::replaceFileAtomically(
      folder / file, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

}  // namespace

std::filesystem::path diagnosticFolder() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : folder;
}

std::vector<std::string> readSequenceLines(int sequence) {
  const auto file = listedFile(sequence);
  return file ? macro::readActionLines(*file) : std::vector<std::string>{};
}

bool writeSequenceLines(int sequence, std::span<const std::string> lines) {
  const auto file = listedFile(sequence);
  return file && macro::writeActionLines(*file, lines);
}

bool resetSequenceFile(int sequence) {
  if (sequence < 0 || sequence >= macro::kCursorSequenceCount) return false;
  const std::string name = "name_" + std::to_string(sequence + 1);
  const std::filesystem::path source =
      profile::findIgnoringCase(profile::fileIn(profile::ProgramFolder(), name + ".cur"));
  std::optional<std::string> bytes;
  {
    std::lock_guard lock(profile::fileLock(source));
    bytes = profile::readFileBytes(source, profile::kIniFileSizeLimit);
  }
  if (!bytes) return false;
  const std::filesystem::path target = profile::findIgnoringCase(sequenceFile(name));
  std::lock_guard lock(profile::fileLock(target));
  return profile::writeFileBytes(target, *bytes);
}

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
  // An image of more sequences than the list names is not the list's.
  if (sequences->size() > names.size()) return false;
  bool ok = true;
  for (size_t i = 0; i < sequences->size(); ++i) {
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
  if (readBack.image.empty()) return false;
  writeDump(kCursorReadDump, readBack.image);
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
  const auto track = [&](int result) {
    if (outcome.result == device::kResultOk) outcome.result = result;
  };
  track(mouse.beginConfig());
  writeDump(kCursorSendDump, *image);
  if (outcome.result == device::kResultOk) track(mouse.writeCursorTable(*image));
  track(mouse.endConfig());
  return outcome;
}

}  // namespace varnacle::mouse
