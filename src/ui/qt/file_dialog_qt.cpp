// The toolkit's open and save dialogs.
#include <QFileDialog>
#include <QStringList>

#include "ui/file_dialog.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

class ToolkitFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> run(const FileDialogRequest& request) override {
    QStringList filters;
    for (const FileFilter& f : parseFileFilter(request.filter)) {
      QStringList patterns;
      for (const auto& p : f.patterns) patterns << qs(p);
      filters << qs(f.label) + " (" + patterns.join(' ') + ")";
    }
    QFileDialog::Options options;
    if (request.save && !(request.flags & kFileOverwritePrompt))
      options |= QFileDialog::DontConfirmOverwrite;
    QString start = qs(request.initialFolder);
    // A pattern as initial name ("*.png") only preselects the folder.
    if (!request.initialName.empty() && request.initialName.find('*') == std::string::npos)
      start = start.isEmpty() ? qs(request.initialName) : start + "/" + qs(request.initialName);
    QWidget* parent = request.owner ? topWidgetOf(*request.owner) : nullptr;
    QString chosen =
        request.save
            ? QFileDialog::getSaveFileName(parent, {}, start, filters.join(";;"), nullptr, options)
            : QFileDialog::getOpenFileName(parent, {}, start, filters.join(";;"), nullptr, options);
    if (chosen.isEmpty()) return std::nullopt;
    std::string path = chosen.toStdString();
    if (request.save) path = withDefaultExtension(std::move(path), request.defaultExtension);
    return path;
  }
};

}  // namespace

FileDialogs& toolkitFileDialogs() {
  static ToolkitFileDialogs dialogs;
  return dialogs;
}

}  // namespace varnacle::ui
