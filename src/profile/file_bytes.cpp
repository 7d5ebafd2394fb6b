#include "profile/file_bytes.h"

#include <fstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"

namespace varnacle::profile {

std::optional<std::string> readFileBytes(const std::filesystem::path& file, size_t limit) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.append(buffer, static_cast<size_t>(in.gcount()));
    if (bytes.size() > limit) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool writeFileBytes(const std::filesystem::path& file, std::string_view bytes) {
  if (platform::replaceFileAtomically(file, bytes)) return true;
  platform::debugOutput("文件打开失败");
  return false;
}

}  // namespace varnacle::profile
