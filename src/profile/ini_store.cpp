#include "profile/ini_store.h"

#include <mutex>

#include "platform/debug_output.h"
#include "profile/file_bytes.h"
#include "profile/file_lock.h"
#include "profile/paths.h"

namespace varnacle::profile {

namespace {

// Loads under the caller's lock. `tooLarge` tells a file that must not be
// rewritten from one that is merely missing.
IniDocument loadLocked(const std::filesystem::path& file, bool* tooLarge = nullptr) {
  std::error_code ec;
  const bool exists = std::filesystem::is_regular_file(file, ec);
  auto bytes = readFileBytes(file, kIniFileSizeLimit);
  if (tooLarge) *tooLarge = exists && !bytes;
  return bytes ? IniDocument::fromBytes(*bytes) : IniDocument();
}

}  // namespace

IniDocument loadIniFile(const std::filesystem::path& file) {
  const std::filesystem::path actual = findIgnoringCase(file);
  std::lock_guard lock(fileLock(actual));
  return loadLocked(actual);
}

std::string readIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue) {
  return loadIniFile(file).get(section, key, defaultValue);
}

int readIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key) {
  return leadingInt(readIniString(file, section, key));
}

bool updateIniFile(const std::filesystem::path& file,
                   const std::function<void(IniDocument&)>& edit) {
  const std::filesystem::path actual = findIgnoringCase(file);
  std::lock_guard lock(fileLock(actual));
  bool unreadable = false;
  IniDocument document = loadLocked(actual, &unreadable);
  if (unreadable) {
    // Rewriting would throw away a file we could not read.
    platform::debugOutput("文件打开失败");
    return false;
  }
  edit(document);
  return writeFileBytes(actual, document.toBytes());
}

bool writeIniString(const std::filesystem::path& file, std::string_view section,
                    std::string_view key, std::string_view value) {
  return updateIniFile(file, [&](IniDocument& d) { d.set(section, key, value); });
}

bool writeIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 int value) {
  return updateIniFile(file, [&](IniDocument& d) { d.setInt(section, key, value); });
}

bool replaceIniFile(const std::filesystem::path& file, const IniDocument& document) {
  const std::filesystem::path actual = findIgnoringCase(file);
  std::lock_guard lock(fileLock(actual));
  return writeFileBytes(actual, document.toBytes());
}

}  // namespace varnacle::profile
