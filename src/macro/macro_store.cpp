#include "macro/macro_store.h"

#include <algorithm>
#include <mutex>
#include <system_error>

#include "macro/action_file.h"
#include "profile/file_bytes.h"
#include "profile/file_lock.h"
#include "profile/file_names.h"
#include "profile/ini_document.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "profile/text_encoding.h"

namespace varnacle::macro {

namespace {

constexpr std::string_view kCountSection = "MACROCOUNT";
constexpr std::string_view kNameSection = "MACRONAME";
constexpr std::string_view kCursorCountSection = "CURSORCOUNT";
constexpr std::string_view kCursorNameSection = "CURSORNAME";

std::string cursorDefaultName(int sequence) {
  return std::string("name_").append(std::to_string(sequence + 1));
}

std::vector<std::string> namesOf(const profile::IniDocument& doc) {
  const int count = std::clamp(doc.getInt(kCountSection, "count"), 0, kMaxMacros);
  std::vector<std::string> names;
  for (int k = 0; k < count; ++k) names.push_back(doc.get(kNameSection, std::to_string(k)));
  return names;
}

void putCursorSections(profile::IniDocument& doc) {
  doc.setInt(kCursorCountSection, "count", kCursorSequenceCount);
  for (int i = 0; i < kCursorSequenceCount; ++i) {
    doc.set(kCursorNameSection, std::to_string(i), cursorDefaultName(i));
  }
}

// Copies `source` over `destination` byte for byte, atomically. Both paths are
// taken as they are: callers look up names in the settings and program folders
// without regard to case, never a path the user chose.
bool copyFileBytes(const std::filesystem::path& source, const std::filesystem::path& destination) {
  std::optional<std::string> bytes;
  {
    std::lock_guard lock(profile::fileLock(source));
    bytes = profile::readFileBytes(source, profile::kIniFileSizeLimit);
  }
  if (!bytes) return false;
  std::lock_guard lock(profile::fileLock(destination));
  return profile::writeFileBytes(destination, *bytes);
}

}  // namespace

std::filesystem::path MacroStore::listFile() const {
  return profile::fileIn(profile::DeviceFolder(device_),
                         device_ == DeviceKind::keyboard ? "kbMacro.ini" : "msMacro.ini");
}

std::filesystem::path MacroStore::actionFile(std::string_view name) const {
  return profile::fileIn(profile::DeviceFolder(device_), std::string(name) + ".mac");
}

std::vector<std::string> MacroStore::listedNames() const {
  return namesOf(profile::loadIniFile(listFile()));
}

std::vector<std::string> MacroStore::readList() const {
  if (device_ == DeviceKind::mouse) ensureCursorSections();
  return listedNames();
}

void MacroStore::ensureCursorSections() const {
  if (device_ != DeviceKind::mouse) return;
  if (profile::readIniInt(listFile(), kCursorCountSection, "count") != 0) return;
  profile::updateIniFile(listFile(), putCursorSections);
  const std::filesystem::path folder = profile::DeviceFolder(device_);
  for (int i = 0; i < kCursorSequenceCount; ++i) {
    const std::string file = cursorDefaultName(i) + ".cur";
    const std::filesystem::path target = profile::findIgnoringCase(profile::fileIn(folder, file));
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) continue;
    // A missing default file leaves the sequence without lines; nothing to report.
    copyFileBytes(profile::findIgnoringCase(profile::fileIn(profile::ProgramFolder(), file)),
                  target);
  }
}

std::vector<std::string> MacroStore::cursorNames() const {
  const profile::IniDocument doc = profile::loadIniFile(listFile());
  const int count = std::clamp(doc.getInt(kCursorCountSection, "count"), 0, kCursorSequenceCount);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(doc.get(kCursorNameSection, std::to_string(i)));
  return names;
}

MacroNameResult MacroStore::appendMacro(std::string_view name) const {
  if (!profile::isStorableName(name)) return MacroNameResult::unsafeName;
  MacroNameResult result = MacroNameResult::ok;
  const bool written = profile::updateIniFile(listFile(), [&](profile::IniDocument& doc) {
    const std::vector<std::string> names = namesOf(doc);
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::string& n) { return profile::equalsIgnoringCase(n, name); })) {
      result = MacroNameResult::nameUsed;
      return;
    }
    if (names.size() >= static_cast<size_t>(kMaxMacros)) {
      result = MacroNameResult::listFull;
      return;
    }
    const int count = static_cast<int>(names.size()) + 1;
    doc.setInt(kCountSection, "count", count);
    doc.set(kNameSection, std::to_string(count - 1), name);
  });
  if (result != MacroNameResult::ok) return result;
  return written ? MacroNameResult::ok : MacroNameResult::failed;
}

std::vector<std::string> MacroStore::readActions(std::string_view name) const {
  if (!profile::isSafeFileName(name)) return {};
  return readActionLines(actionFile(name));
}

bool MacroStore::saveActions(std::span<const std::string> names, std::string_view name,
                             std::span<const std::string> lines) const {
  if (!profile::isSafeFileName(name)) return false;
  if (!names.empty()) {
    const bool listWritten = profile::updateIniFile(listFile(), [&](profile::IniDocument& doc) {
      doc.setInt(kCountSection, "count", static_cast<int>(names.size()));
      doc.set(kNameSection, std::to_string(names.size() - 1), names.back());
    });
    if (!listWritten) return false;
  }
  return writeActionLines(actionFile(name), lines);
}

MacroNameResult MacroStore::renameMacro(int position, std::string_view newName,
                                        std::span<const std::string> lines) const {
  if (!profile::isStorableName(newName)) return MacroNameResult::unsafeName;
  const std::vector<std::string> names = listedNames();
  if (position < 0 || position >= static_cast<int>(names.size())) {
    return MacroNameResult::badPosition;
  }
  for (int k = 0; k < static_cast<int>(names.size()); ++k) {
    if (k != position && profile::equalsIgnoringCase(names[k], newName)) {
      return MacroNameResult::nameUsed;
    }
  }
  const std::string& oldName = names[position];
  if (!profile::isSafeFileName(oldName)) return MacroNameResult::unsafeName;

  const std::filesystem::path oldFile = profile::findIgnoringCase(actionFile(oldName));
  if (!writeActionLines(oldFile, lines)) return MacroNameResult::failed;
  std::error_code ec;
  std::filesystem::rename(oldFile, actionFile(newName), ec);
  if (ec) return MacroNameResult::failed;
  if (!profile::writeIniString(listFile(), kNameSection, std::to_string(position), newName)) {
    return MacroNameResult::failed;
  }
  return MacroNameResult::ok;
}

bool MacroStore::deleteMacro(int position, const MacroReferenceTables& tables) const {
  std::vector<std::string> names = listedNames();
  if (position < 0 || position >= static_cast<int>(names.size())) return false;
  renumberMacroReferences(tables, position);

  if (profile::isSafeFileName(names[position])) {
    std::error_code ec;
    std::filesystem::remove(profile::findIgnoringCase(actionFile(names[position])), ec);
  }
  names.erase(names.begin() + position);

  // The list is written anew, in one replacement: no moment without a list file.
  profile::IniDocument doc;
  doc.setInt(kCountSection, "count", static_cast<int>(names.size()));
  if (device_ == DeviceKind::mouse) putCursorSections(doc);
  for (size_t k = 0; k < names.size(); ++k) doc.set(kNameSection, std::to_string(k), names[k]);
  return profile::replaceIniFile(listFile(), doc);
}

bool MacroStore::exportMacro(std::string_view name,
                             const std::filesystem::path& destination) const {
  if (!profile::isSafeFileName(name)) return false;
  return copyFileBytes(profile::findIgnoringCase(actionFile(name)), destination);
}

MacroImportResult MacroStore::importMacro(const std::filesystem::path& source,
                                          std::string_view name) const {
  if (!profile::isSafeFileName(name)) return MacroImportResult::unsafeName;
  std::optional<std::string> bytes;
  {
    std::lock_guard lock(profile::fileLock(source));
    bytes = profile::readFileBytes(source, profile::kIniFileSizeLimit);
  }
  if (!bytes) return MacroImportResult::unreadable;
  switch (checkActionFile(profile::IniDocument::fromBytes(*bytes))) {
    case ActionFileCheck::ok:
      break;
    case ActionFileCheck::noCount:
      return MacroImportResult::notMacroFile;
    case ActionFileCheck::tooManySteps:
      return MacroImportResult::tooManySteps;
    case ActionFileCheck::badStep:
      return MacroImportResult::badStep;
  }
  const std::filesystem::path target = profile::findIgnoringCase(actionFile(name));
  std::lock_guard lock(profile::fileLock(target));
  return profile::writeFileBytes(target, *bytes) ? MacroImportResult::ok
                                                 : MacroImportResult::failed;
}

}  // namespace varnacle::macro
