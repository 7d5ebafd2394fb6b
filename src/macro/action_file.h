#pragma once
// Action files: the steps of one macro (".mac") or one fire-key sequence
// (".cur"), an INI file with "MACROACTIONCOUNT"/"count" = M and
// "MACROACTION"/"0" … M−1 = the step lines.
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "macro/macro_action.h"

namespace varnacle::profile {
class IniDocument;
}  // namespace varnacle::profile

namespace varnacle::macro {

// The step count field of the device image is 16 bits wide: no file holds more.
inline constexpr int kMaxActionLines = 65535;

// The stored count (0 for a missing file or key; negative counts read as 0,
// counts above kMaxActionLines as kMaxActionLines).
int readActionCount(const std::filesystem::path& file);

// The step lines in order; a missing line reads as "0" (which is no step).
std::vector<std::string> readActionLines(const std::filesystem::path& file);

// The lines parsed; a line that does not parse becomes an all-zero step.
std::vector<MacroAction> readActions(const std::filesystem::path& file);

// Writes the count and lines 0 … M−1 into the file as one replacement; keys
// M, M+1, … left from an earlier, longer save stay in the file.
bool writeActionLines(const std::filesystem::path& file, std::span<const std::string> lines);

// Whether a file from outside the settings folder may become a macro's
// action file: it has a step count, written as a plain number of at most
// kMaxActionLines, and a step line that parses for every step it counts.
enum class ActionFileCheck {
  ok,
  noCount,       // no "MACROACTIONCOUNT"/"count", or not a number: no action file
  tooManySteps,  // more steps than a macro can hold
  badStep,       // a counted line is missing or does not parse
};
ActionFileCheck checkActionFile(const profile::IniDocument& doc);

// Writes a new file holding only the count and the lines.
bool replaceActionFile(const std::filesystem::path& file, std::span<const std::string> lines);

}  // namespace varnacle::macro
