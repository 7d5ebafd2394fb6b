#include "ui/file_dialog.h"

namespace varnacle::ui {

FileDialogs& toolkitFileDialogs();  // ui/qt

namespace {

FileDialogs* installed = nullptr;

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<FileFilter> parseFileFilter(std::string_view filter) {
  std::vector<std::string_view> fields;
  for (;;) {
    auto bar = filter.find('|');
    fields.push_back(trim(filter.substr(0, bar)));
    if (bar == std::string_view::npos) break;
    filter.remove_prefix(bar + 1);
  }
  std::vector<FileFilter> result;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    if (fields[i].empty()) break;  // the "||" end mark
    FileFilter f{std::string(fields[i]), {}};
    std::string_view patterns = fields[i + 1];
    while (!patterns.empty()) {
      auto semi = patterns.find(';');
      auto p = trim(patterns.substr(0, semi));
      if (!p.empty()) f.patterns.emplace_back(p);
      if (semi == std::string_view::npos) break;
      patterns.remove_prefix(semi + 1);
    }
    if (!f.patterns.empty()) result.push_back(std::move(f));
  }
  return result;
}

std::string withDefaultExtension(std::string path, std::string_view extension) {
  if (extension.empty()) return path;
  auto slash = path.find_last_of("/\\");
  auto name = slash == std::string::npos ? std::string_view(path)
                                         : std::string_view(path).substr(slash + 1);
  if (name.empty() || name.find('.') != std::string_view::npos) return path;
  path += '.';
  path += extension;
  return path;
}

std::optional<std::string> runFileDialog(const FileDialogRequest& request) {
  return (installed ? *installed : toolkitFileDialogs()).run(request);
}

ScopedFileDialogs::ScopedFileDialogs(FileDialogs& dialogs) : previous_(installed) {
  installed = &dialogs;
}

ScopedFileDialogs::~ScopedFileDialogs() {
  installed = previous_;
}

std::optional<std::string> ScriptedFileDialogs::run(const FileDialogRequest& request) {
  requests_.push_back(request);
  if (answers_.empty()) return std::nullopt;
  auto answer = std::move(answers_.front());
  answers_.pop_front();
  if (answer && request.save)
    return withDefaultExtension(std::move(*answer), request.defaultExtension);
  return answer;
}

}  // namespace varnacle::ui
