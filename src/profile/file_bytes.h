#pragma once
// Whole-file reads for the settings files.
#include <filesystem>
#include <optional>
#include <string>

namespace varnacle::profile {

// The bytes of `file`, or nothing when it is missing, unreadable, not a regular
// file or larger than `limit` bytes.
std::optional<std::string> readFileBytes(const std::filesystem::path& file, size_t limit);

// Writes `bytes` over `file` atomically; on failure writes "文件打开失败" to
// the debug output. Callers hold the file's lock.
bool writeFileBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace varnacle::profile
