#pragma once
// The macro files of one device (keyboard or mouse), in its settings folder:
//
//   "kbMacro.ini" / "msMacro.ini"   "MACROCOUNT"/"count" = N,
//                                   "MACRONAME"/"0" … N−1 = the names in list order,
//                                   mouse only: "CURSORCOUNT"/"count" = 4 and
//                                   "CURSORNAME"/"0" … "3" = the fire-key files
//   <name>.mac                      the steps of one macro (action_file.h)
//
// UI thread for the operations that change files; the reads may run on any
// thread. Names read from the list are used as file names only when they are
// safe file names (profile/file_names.h); any other reads as a macro without
// steps and is never written, renamed or deleted.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_kind.h"
#include "macro/macro_references.h"

namespace varnacle::macro {

// A device keeps at most this many macros; larger stored counts read as this.
inline constexpr int kMaxMacros = 50;
// Fire-key sequences of the mouse and the file names they start with.
inline constexpr int kCursorSequenceCount = 4;

enum class MacroNameResult {
  ok,
  unsafeName,  // not a safe file name, or would not read back unchanged from the list
               // (profile/file_names.h: isStorableName); shown as a used name
  nameUsed,    // another macro has it (compared without regard to case)
  listFull,    // kMaxMacros already
  badPosition,
  failed,  // a file could not be written
};

// What became of an import; only `ok` changed the macro's action file.
enum class MacroImportResult {
  ok,
  unsafeName,    // the macro's name is no safe file name
  unreadable,    // the chosen file is missing, unreadable or larger than a settings file may be
  notMacroFile,  // it holds no step count
  tooManySteps,  // it counts more steps than a macro can hold
  badStep,       // a counted step line is missing or does not parse
  failed,        // the action file could not be written
};

class MacroStore {
 public:
  // DeviceKind::keyboard or DeviceKind::mouse.
  explicit MacroStore(DeviceKind device) : device_(device) {}

  DeviceKind device() const { return device_; }
  std::filesystem::path listFile() const;
  std::filesystem::path actionFile(std::string_view name) const;

  // On the mouse first sets up the fire-key sections (ensureCursorSections),
  // then returns the names in list order.
  std::vector<std::string> readList() const;
  // The names in list order, without touching any file.
  std::vector<std::string> listedNames() const;

  // Mouse: when "CURSORCOUNT"/"count" reads 0, writes count 4 and the names
  // name_1 … name_4, and copies each "name_<n>.cur" from the program folder
  // into the mouse folder unless a file of that name is there already.
  void ensureCursorSections() const;
  // The fire-key file names (without ".cur") of "CURSORNAME", "CURSORCOUNT" of them.
  std::vector<std::string> cursorNames() const;

  // Stores `name` at the end of the list. No action file is written.
  MacroNameResult appendMacro(std::string_view name) const;

  // The step lines of the macro; none for a missing file or an unsafe name.
  std::vector<std::string> readActions(std::string_view name) const;

  // Writes the list's count and last name (from `names`, the list as the
  // editor holds it), then the step lines of `name` into its action file.
  bool saveActions(std::span<const std::string> names, std::string_view name,
                   std::span<const std::string> lines) const;

  // Renames macro `position`: writes `lines` into the old action file, renames
  // it to the new name and stores the new name in the list.
  MacroNameResult renameMacro(int position, std::string_view newName,
                              std::span<const std::string> lines) const;

  // Removes macro `position`: renumbers the references in `tables`, deletes its
  // action file and rewrites the list (later macros move down by one).
  bool deleteMacro(int position, const MacroReferenceTables& tables) const;

  // Byte copies of one action file to and from a file the user chose. The
  // user's path is taken exactly as chosen (another file whose name differs
  // only in case is neither read nor overwritten); the action file is found
  // without regard to case, as every file of the settings folder is. An
  // import copies only a file that checkActionFile (action_file.h) accepts,
  // the bytes it checked; any other leaves the macro's file as it was.
  bool exportMacro(std::string_view name, const std::filesystem::path& destination) const;
  MacroImportResult importMacro(const std::filesystem::path& source, std::string_view name) const;

 private:
  DeviceKind device_;
};

}  // namespace varnacle::macro
