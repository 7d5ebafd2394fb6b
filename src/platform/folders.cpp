#include "platform/folders.h"

#include <mutex>
#include <system_error>

namespace varnacle::platform {

namespace {

std::mutex& overrideMutex() {
  static std::mutex m;
  return m;
}

std::optional<std::filesystem::path>& documentsOverride() {
  static std::optional<std::filesystem::path> folder;
  return folder;
}

}  // namespace

std::filesystem::path documentsFolder() {
  {
    std::lock_guard lock(overrideMutex());
    if (documentsOverride()) return *documentsOverride();
  }
  return systemDocumentsFolder();
}

void setDocumentsFolderOverride(std::optional<std::filesystem::path> folder) {
  std::lock_guard lock(overrideMutex());
  documentsOverride() = std::move(folder);
}

std::filesystem::path resourceFolder() {
  return resourceFolder(programFolder());
}

std::filesystem::path resourceFolder(const std::filesystem::path& program) {
  std::error_code ec;
  if (std::filesystem::is_directory(program / "skin", ec)) return program;
  const std::filesystem::path shared =
      (program / ".." / "share" / "varnacle-driver").lexically_normal();
  if (std::filesystem::is_directory(shared, ec)) return shared;
  return program;
}

bool createFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return true;
  std::filesystem::create_directory(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace varnacle::platform
