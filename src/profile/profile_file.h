#pragma once
// Binary profile files (".led", ".pro" and the factory default files):
//
//   offset 0   2  magic 0x55AA (bytes AA 55)
//   offset 2   2  reserved, written 0
//   offset 4   2  format word, written 1
//   offset 6  10  reserved, written 0
//   offset 16  …  the payload, byte for byte as held in memory
//
// Readers check only the magic. Any thread; files are opened per call.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace varnacle::profile {

inline constexpr size_t kProfileFileHeaderSize = 16;

// Results of ReadProfileFile.
inline constexpr int kProfileFileRead = 0;
inline constexpr int kProfileFileMissing = 1;
inline constexpr int kProfileFileFormatError = -1;

// 1 when the file is missing or cannot be opened; -1 when it does not start
// with AA 55 (a file shorter than two bytes included); 0 when read: up to
// buffer.size() payload bytes are copied and the rest of the buffer is zeroed.
// On 1 and -1 the buffer is left untouched. A name that differs only in case is
// found when the exact one is missing.
int ReadProfileFile(const std::filesystem::path& path, std::span<uint8_t> buffer);

// Writes the header and exactly payload.size() bytes, replacing the file
// atomically. On failure writes "文件打开失败" to the debug output and returns
// false; the previous file is left as it was.
bool WriteProfileFile(const std::filesystem::path& path, std::span<const uint8_t> payload);

}  // namespace varnacle::profile
