#pragma once
// INI settings files on disk: read one value, write one value, with the
// semantics of the system's profile-string functions (see ini_document.h).
//
// Any thread. Each file has a lock inside the process: a read sees the file
// before or after a write, never a torn one, and every write replaces the file
// atomically (temporary file, flush, rename), so a crash or a full disk never
// leaves a half-written file. A failed write leaves the old file as it was and
// writes "文件打开失败" to the debug output. A missing or unreadable file reads
// as empty. The exact file name is used when it exists, else a file whose name
// differs only in case.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "profile/ini_document.h"

namespace varnacle::profile {

// Files larger than this are not settings files of ours: they read as empty
// and are never rewritten.
inline constexpr size_t kIniFileSizeLimit = 16 * 1024 * 1024;

std::string readIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue = "0");
int readIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key);

bool writeIniString(const std::filesystem::path& file, std::string_view section,
                    std::string_view key, std::string_view value);
bool writeIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 int value);

// The whole file as one consistent snapshot, for many reads at once.
IniDocument loadIniFile(const std::filesystem::path& file);

// Several writes as one replacement of the file: `edit` changes the current
// content under the file's lock; the result is written atomically.
bool updateIniFile(const std::filesystem::path& file,
                   const std::function<void(IniDocument&)>& edit);

// Replaces the whole file with `document` (the old content is not read).
bool replaceIniFile(const std::filesystem::path& file, const IniDocument& document);

}  // namespace varnacle::profile
