#pragma once
// Open and save file dialogs behind an interface, so tests script the answers.
//
// UI thread only.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnacle::ui {

class Window;

// Dialog flags, in the values the system's dialog flags have.
inline constexpr std::uint32_t kFileOverwritePrompt = 0x00000002;
inline constexpr std::uint32_t kFileHideReadOnly = 0x00000004;
inline constexpr std::uint32_t kFileMustExist = 0x00001000;

struct FileDialogRequest {
  bool save = false;  // false: open
  Window* owner = nullptr;
  std::string defaultExtension;  // "png": added to a chosen save name without one
  std::string initialName;       // "*.png" or a file name
  // Pairs of label and patterns separated by '|', ended by "||":
  // "(*.png) | *.png |(*.*)|*.*||".
  std::string filter;
  std::uint32_t flags = 0;
  std::string initialFolder;  // "" for the toolkit's choice
};

// One entry of a filter: its label and its patterns (split at ';').
struct FileFilter {
  std::string label;
  std::vector<std::string> patterns;
  friend bool operator==(const FileFilter&, const FileFilter&) = default;
};
// Reads the '|' separated filter form; blanks around entries are dropped and a
// label without patterns is ignored.
std::vector<FileFilter> parseFileFilter(std::string_view filter);
// `path` with `.extension` added when its file name has no extension.
std::string withDefaultExtension(std::string path, std::string_view extension);

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen full path, or nothing on Cancel.
  virtual std::optional<std::string> run(const FileDialogRequest& request) = 0;
};

// Runs a dialog through the installed implementation (the toolkit's dialogs
// unless a test installed its own).
std::optional<std::string> runFileDialog(const FileDialogRequest& request);

// Installs `dialogs` for its lifetime (nesting; the innermost answers).
class ScopedFileDialogs {
 public:
  explicit ScopedFileDialogs(FileDialogs& dialogs);
  ~ScopedFileDialogs();
  ScopedFileDialogs(const ScopedFileDialogs&) = delete;
  ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

 private:
  FileDialogs* previous_;
};

// A scripted implementation for tests: answers in order (Cancel when none is
// left) and records every request.
class ScriptedFileDialogs : public FileDialogs {
 public:
  void answer(std::string path) { answers_.push_back(std::move(path)); }
  void cancel() { answers_.push_back(std::nullopt); }
  const std::vector<FileDialogRequest>& requests() const { return requests_; }
  std::optional<std::string> run(const FileDialogRequest& request) override;

 private:
  std::deque<std::optional<std::string>> answers_;
  std::vector<FileDialogRequest> requests_;
};

}  // namespace varnacle::ui
