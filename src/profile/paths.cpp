#include "profile/paths.h"

#include <system_error>

#include "platform/folders.h"
#include "profile/text_encoding.h"

namespace varnacle::profile {

std::filesystem::path BaseFolder() {
  const std::filesystem::path documents = platform::documentsFolder();
  // A desktop without a Documents folder (common on minimal Linux systems)
  // would otherwise keep no settings at all.
  platform::createFolder(documents);
  const std::filesystem::path folder = documents / platform::pathFromUtf8(kBaseFolderName);
  platform::createFolder(folder);
  return folder;
}

std::filesystem::path DeviceFolder(DeviceKind kind) {
  const std::filesystem::path folder = BaseFolder() / platform::pathFromUtf8(folderName(kind));
  platform::createFolder(folder);
  return folder;
}

std::filesystem::path ProgramFolder() {
  return platform::resourceFolder();
}

std::filesystem::path fileIn(const std::filesystem::path& folder, std::string_view name) {
  return folder / platform::pathFromUtf8(name);
}

std::filesystem::path findIgnoringCase(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return path;
  const std::string wanted = platform::utf8FromPath(path.filename());
  std::filesystem::directory_iterator it(path.parent_path(), ec);
  if (ec) return path;
  for (const auto& entry : it) {
    if (equalsIgnoringCase(platform::utf8FromPath(entry.path().filename()), wanted)) {
      return entry.path();
    }
  }
  return path;
}

}  // namespace varnacle::profile
