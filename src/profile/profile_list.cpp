#include "profile/profile_list.h"

#include <algorithm>
#include <system_error>

#include "platform/debug_output.h"
#include "profile/file_names.h"
#include "profile/ini_store.h"
#include "profile/profile_file.h"
#include "profile/selected_profile.h"
#include "profile/text_encoding.h"

namespace varnacle::profile {

namespace {

// The separators of a program path on this system.
constexpr std::string_view kPathSeparators =
    std::filesystem::path::preferred_separator == '\\' ? "\\/" : "/";

// A link entry removed: PROCESS holds one space.
constexpr std::string_view kNoProcess = " ";

std::string_view messageOf(int readResult) {
  if (readResult == kProfileFileMissing) return kMissingFileMessage;
  if (readResult == kProfileFileFormatError) return kBadFileMessage;
  return {};
}

}  // namespace

std::optional<std::string> programFileName(std::string_view path) {
  const size_t last = path.find_last_of(kPathSeparators);
  if (last == std::string_view::npos || last + 1 == path.size()) return std::nullopt;
  return std::string(path.substr(last + 1));
}

// A new list holds no row on its device yet.
ProfileList::ProfileList(ProfileListKind kind) : registry_(kind) {
  setShownProfile(kind, -1);
}

void ProfileList::setRows(std::vector<std::string> rows) {
  rows_ = std::move(rows);
  rowCount_ = static_cast<int>(rows_.size());
}

std::optional<std::filesystem::path> ProfileList::fileOf(std::string_view name) const {
  if (isSafeFileName(name)) return registry_.profilePath(name);
  platform::debugOutput("profile list " + std::string(info().registryFile) + ": \"" +
                        std::string(name) + "\" is not a file name; its file is not used");
  return std::nullopt;
}

std::string_view ProfileList::readInto(const std::optional<std::filesystem::path>& path,
                                       std::vector<uint8_t>& payload) const {
  payload.assign(info().payloadSize, 0);
  if (!path) return kMissingFileMessage;
  return messageOf(ReadProfileFile(*path, payload));
}

bool ProfileList::taken(std::string_view name) const {
  return std::any_of(rows_.begin(), rows_.end(),
                     [&](const std::string& row) { return equalsIgnoringCase(row, name); });
}

std::string_view ProfileList::initialise() {
  const int count = registry_.count();
  if (count > 0) {
    if (count > kMaxProfileRows)
      platform::debugOutput("profile list " + std::string(info().registryFile) + ": count " +
                            std::to_string(count) + " not believed; " +
                            std::to_string(kMaxProfileRows) + " rows read");
    const IniDocument file = loadIniFile(registry_.file());
    std::vector<std::string> rows;
    for (int i = 0; i < std::min(count, kMaxProfileRows); ++i)
      rows.push_back(file.get(registry_.nameSection(), std::to_string(i)));
    setRows(std::move(rows));
    return {};
  }
  std::vector<uint8_t> payload;
  const std::string name = std::string(kNewProfileStem) + "1";
  if (auto message = readInto(registry_.defaultPath(), payload); !message.empty()) return message;
  if (!WriteProfileFile(registry_.profilePath(name), payload)) return {};
  updateIniFile(registry_.file(), [&](IniDocument& d) {
    d.setInt(registry_.countSection(), "count", 1);
    d.set(registry_.linkSection(), "0", "0");
    d.set(registry_.nameSection(), "0", name);
    d.setInt(registry_.selectSection(), "select", 0);
  });
  setRows({name});
  return {};
}

Selection ProfileList::select(int row) {
  Selection s;
  if (!validRow(row)) return s;
  registry_.setSelect(row);
  setShownProfile(info().kind, row);
  s.name = rows_[static_cast<size_t>(row)];
  if (registry_.linked(row)) {
    s.linkLabel = programFileName(registry_.process(row));
  } else {
    unlink(row);
  }
  std::vector<uint8_t> payload(info().payloadSize, 0);
  const auto path = fileOf(registry_.name(row));
  const int result = path ? ReadProfileFile(*path, payload) : kProfileFileMissing;
  if (result == kProfileFileRead) {
    s.payload = std::move(payload);
  } else {
    platform::debugOutput(result == kProfileFileMissing ? "配置文件丢失" : "配置文件格式错误");
  }
  return s;
}

bool ProfileList::save(std::span<const uint8_t> payload) const {
  if (payload.size() != info().payloadSize) return false;
  const auto path = selectedProfileFile(info().kind, "profile list", "not saved");
  return path && WriteProfileFile(*path, payload);
}

// A new last row `name` with its file holding `payload`, unlinked (link
// entries left at that index by an earlier delete must not link it).
ListOutcome ProfileList::appendRow(const std::string& name, const std::vector<uint8_t>& payload) {
  if (!WriteProfileFile(registry_.profilePath(name), payload)) return {};
  const int index = static_cast<int>(rows_.size());
  updateIniFile(registry_.file(), [&](IniDocument& d) {
    d.setInt(registry_.countSection(), "count", index + 1);
    d.set(registry_.nameSection(), std::to_string(index), name);
    d.set(registry_.linkSection(), std::to_string(index), "0");
    d.set(registry_.processSection(), std::to_string(index), kNoProcess);
  });
  auto rows = rows_;
  rows.push_back(name);
  setRows(std::move(rows));
  return {{}, index};
}

// The default file is read before anything is written, so a missing one
// adds no row that would have no file.
ListOutcome ProfileList::add() {
  int n = 1;
  while (taken(std::string(kNewProfileStem) + std::to_string(n))) ++n;
  const std::string name = std::string(kNewProfileStem) + std::to_string(n);
  std::vector<uint8_t> payload;
  if (auto message = readInto(registry_.defaultPath(), payload); !message.empty())
    return {message, std::nullopt};
  return appendRow(name, payload);
}

ListOutcome ProfileList::remove(int row) {
  if (!validRow(row) || !canDelete()) return {};
  if (const auto path = fileOf(rows_[static_cast<size_t>(row)])) {
    std::error_code ignored;  // a file already gone is what Delete wants
    std::filesystem::remove(*path, ignored);
  }
  auto rows = rows_;
  rows.erase(rows.begin() + row);
  // Index i takes the entries of i + 1 before i + 1 is itself rewritten.
  updateIniFile(registry_.file(), [&](IniDocument& d) {
    d.setInt(registry_.countSection(), "count", static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
      const std::string key = std::to_string(i);
      d.set(registry_.nameSection(), key, rows[i]);
      if (static_cast<int>(i) < row) continue;
      const std::string next = std::to_string(i + 1);
      d.set(registry_.linkSection(), key, d.get(registry_.linkSection(), next));
      d.set(registry_.processSection(), key, d.get(registry_.processSection(), next, kNoProcess));
    }
  });
  setRows(std::move(rows));
  return {{}, static_cast<int>(rows_.size()) - 1};
}

ListOutcome ProfileList::copy(int row) {
  if (!validRow(row)) return {};
  const std::string& source = rows_[static_cast<size_t>(row)];
  std::string name = source + " copy";
  while (taken(name)) name += " copy";
  if (!isStorableName(name)) return {kUsedNameMessage, std::nullopt};
  std::vector<uint8_t> payload;
  if (auto message = readInto(fileOf(source), payload); !message.empty())
    return {message, std::nullopt};
  return appendRow(name, payload);
}

ListOutcome ProfileList::rename(int row, std::string_view newName) {
  if (!validRow(row)) return {};
  if (newName.empty()) return {kEmptyNameMessage, std::nullopt};
  if (info().kind == ProfileListKind::mouseLighting &&
      utf16Length(newName) >= kMouseLightingNameLimit)
    return {kLongNameMessage, std::nullopt};
  if (taken(newName) || !isStorableName(newName)) return {kUsedNameMessage, std::nullopt};
  const auto oldPath = fileOf(rows_[static_cast<size_t>(row)]);
  std::vector<uint8_t> payload;
  if (auto message = readInto(oldPath, payload); !message.empty()) return {message, std::nullopt};
  const auto newPath = registry_.profilePath(newName);
  if (!WriteProfileFile(newPath, payload)) return {};
  if (!registry_.setName(row, newName)) {
    std::error_code ignored;  // the list still names the old file, which stays
    std::filesystem::remove(newPath, ignored);
    return {};
  }
  std::error_code ignored;  // a leftover old file is harmless: no row names it
  std::filesystem::remove(*oldPath, ignored);
  rows_[static_cast<size_t>(row)] = std::string(newName);
  return {};
}

ListOutcome ProfileList::importFrom(int row, const std::filesystem::path& source) {
  if (!validRow(row)) return {};
  std::vector<uint8_t> payload;
  if (auto message = readInto(source, payload); !message.empty()) return {message, std::nullopt};
  const auto path = fileOf(rows_[static_cast<size_t>(row)]);
  if (!path) return {kMissingFileMessage, std::nullopt};
  if (!WriteProfileFile(*path, payload)) return {};
  return {{}, row};
}

std::string_view ProfileList::exportTo(int row, const std::filesystem::path& target) const {
  if (!validRow(row)) return {};
  std::vector<uint8_t> payload;
  if (auto message = readInto(fileOf(rows_[static_cast<size_t>(row)]), payload); !message.empty())
    return message;
  WriteProfileFile(target, payload);  // a failure is told in the debug output only
  return {};
}

ProfileList::Reset ProfileList::reset(std::span<const uint8_t> current) const {
  std::vector<uint8_t> defaults;
  if (auto message = readInto(registry_.defaultPath(), defaults); !message.empty())
    return {message, std::nullopt};
  const bool partial = info().kind == ProfileListKind::mouseLighting ||
                       info().kind == ProfileListKind::mousePadLighting;
  std::vector<uint8_t> payload(info().payloadSize, 0);
  std::copy_n(current.begin(), std::min(current.size(), payload.size()), payload.begin());
  const size_t taken = partial ? std::min(kLightingResetBytes, payload.size()) : payload.size();
  std::copy_n(defaults.begin(), taken, payload.begin());
  save(payload);
  return {{}, std::move(payload)};
}

LinkState ProfileList::linkThroughOption(int row, const std::optional<std::string>& chosen) {
  if (!validRow(row)) return {};
  if (!chosen) {
    unlink(row);
    return {};
  }
  if (linkedRow(*chosen, static_cast<int>(rows_.size()))) {
    unlink(row);
    return {kAlreadyLinkedMessage, std::nullopt};
  }
  auto label = linkThroughButton(row, *chosen);
  if (!label) unlink(row);
  return {{}, std::move(label)};
}

std::optional<std::string> ProfileList::linkThroughButton(int row, const std::string& chosen) {
  if (!validRow(row)) return std::nullopt;
  auto label = programFileName(chosen);
  if (!label || !readsBackUnchanged(chosen)) return std::nullopt;
  updateIniFile(registry_.file(), [&](IniDocument& d) {
    d.set(registry_.linkSection(), std::to_string(row), "1");
    d.set(registry_.processSection(), std::to_string(row), chosen);
  });
  return label;
}

void ProfileList::unlink(int row) const {
  updateIniFile(registry_.file(), [&](IniDocument& d) {
    d.set(registry_.linkSection(), std::to_string(row), "0");
    d.set(registry_.processSection(), std::to_string(row), kNoProcess);
  });
}

std::optional<int> ProfileList::linkedRow(std::string_view program, int count) const {
  if (program.empty()) return std::nullopt;
  const IniDocument file = loadIniFile(registry_.file());
  for (int i = 0; i < std::min(count, kMaxProfileRows); ++i) {
    const std::string key = std::to_string(i);
    if (file.getInt(registry_.linkSection(), key) == 1 &&
        equalsIgnoringCase(file.get(registry_.processSection(), key, ""), program))
      return i;
  }
  return std::nullopt;
}

}  // namespace varnacle::profile
