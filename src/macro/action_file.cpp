#include "macro/action_file.h"

#include <algorithm>

#include "profile/ini_document.h"
#include "profile/ini_store.h"

namespace varnacle::macro {

namespace {

constexpr std::string_view kCountSection = "MACROACTIONCOUNT";
constexpr std::string_view kActionSection = "MACROACTION";

int clampedCount(const profile::IniDocument& doc) {
  return std::clamp(doc.getInt(kCountSection, "count"), 0, kMaxActionLines);
}

void putLines(profile::IniDocument& doc, std::span<const std::string> lines) {
  doc.setInt(kCountSection, "count", static_cast<int>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) doc.set(kActionSection, std::to_string(i), lines[i]);
}

}  // namespace

int readActionCount(const std::filesystem::path& file) {
  return clampedCount(profile::loadIniFile(file));
}

std::vector<std::string> readActionLines(const std::filesystem::path& file) {
  const profile::IniDocument doc = profile::loadIniFile(file);
  const int count = clampedCount(doc);
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) lines.push_back(doc.get(kActionSection, std::to_string(i)));
  return lines;
}

std::vector<MacroAction> readActions(const std::filesystem::path& file) {
  std::vector<MacroAction> actions;
  for (const std::string& line : readActionLines(file)) {
    actions.push_back(parseMacroAction(line).value_or(MacroAction{}));
  }
  return actions;
}

ActionFileCheck checkActionFile(const profile::IniDocument& doc) {
  if (!doc.has(kCountSection, "count")) return ActionFileCheck::noCount;
  const std::string count = doc.get(kCountSection, "count");
  if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos)
    return ActionFileCheck::noCount;
  if (count.size() > 9 || std::stoi(count) > kMaxActionLines) return ActionFileCheck::tooManySteps;
  const int steps = std::stoi(count);
  for (int i = 0; i < steps; ++i) {
    const std::string key = std::to_string(i);
    if (!doc.has(kActionSection, key) || !parseMacroAction(doc.get(kActionSection, key)))
      return ActionFileCheck::badStep;
  }
  return ActionFileCheck::ok;
}

bool writeActionLines(const std::filesystem::path& file, std::span<const std::string> lines) {
  if (lines.size() > static_cast<size_t>(kMaxActionLines)) return false;
  return profile::updateIniFile(file, [&](profile::IniDocument& doc) { putLines(doc, lines); });
}

bool replaceActionFile(const std::filesystem::path& file, std::span<const std::string> lines) {
  if (lines.size() > static_cast<size_t>(kMaxActionLines)) return false;
  profile::IniDocument doc;
  putLines(doc, lines);
  return profile::replaceIniFile(file, doc);
}

}  // namespace varnacle::macro
