#include "profile/file_lock.h"

#include <map>
#include <memory>

#include "profile/text_encoding.h"

namespace varnacle::profile {

std::mutex& fileLock(const std::filesystem::path& file) {
  static std::mutex registryMutex;
  static std::map<std::string, std::unique_ptr<std::mutex>> locks;
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  if (ec) absolute = file;
  // Case folded: names that differ only in case are one file to the program.
  const std::string key = asciiLower(absolute.lexically_normal().generic_string());
  std::lock_guard lock(registryMutex);
  auto& slot = locks[key];
  if (!slot) slot = std::make_unique<std::mutex>();
  return *slot;
}

}  // namespace varnacle::profile
