#include "profile/profile_file.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>

#include "profile/file_bytes.h"
#include "profile/file_lock.h"
#include "profile/paths.h"

namespace varnacle::profile {

int ReadProfileFile(const std::filesystem::path& path, std::span<uint8_t> buffer) {
  const std::filesystem::path actual = findIgnoringCase(path);
  std::lock_guard lock(fileLock(actual));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(actual, ec)) return kProfileFileMissing;
  std::ifstream in(actual, std::ios::binary);
  if (!in) return kProfileFileMissing;

  uint8_t header[kProfileFileHeaderSize] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (in.gcount() < 2 || header[0] != 0xAA || header[1] != 0x55) return kProfileFileFormatError;

  size_t got = 0;
  if (in.gcount() == static_cast<std::streamsize>(sizeof header)) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    got = static_cast<size_t>(in.gcount());
  }
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(got), buffer.end(), uint8_t{0});
  return kProfileFileRead;
}

bool WriteProfileFile(const std::filesystem::path& path, std::span<const uint8_t> payload) {
  std::string bytes(kProfileFileHeaderSize, '\0');
  bytes[0] = static_cast<char>(0xAA);
  bytes[1] = static_cast<char>(0x55);
  bytes[4] = 1;
  bytes.append(reinterpret_cast<const char*>(payload.data()), payload.size());
  const std::filesystem::path actual = findIgnoringCase(path);
  std::lock_guard lock(fileLock(actual));
  return writeFileBytes(actual, bytes);
}

}  // namespace varnacle::profile
