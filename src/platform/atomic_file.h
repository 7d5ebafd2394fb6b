#pragma once
// Whole-file replacement that never leaves a half-written file behind.
//
// Any thread. Callers that may race on one file serialise themselves (the INI
// store keeps a lock per file); two writers of one file each produce a whole file.
#include <filesystem>
#include <string_view>

namespace varnacle::platform {

// Writes `bytes` to a temporary file in the folder of `path`, flushes it to the
// disk and renames it over `path`. On any failure the previous file (if any) is
// left byte for byte as it was, the temporary file is removed and the result is
// false. Never throws.
bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Test seam: while an instance is alive, every replaceFileAtomically() of the
// process fails half-way, after writing part of the temporary file, as a full
// disk would make it fail.
class ScopedWriteFailure {
 public:
  ScopedWriteFailure();
  ~ScopedWriteFailure();
  ScopedWriteFailure(const ScopedWriteFailure&) = delete;
  ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;
};

namespace detail {
// True while a ScopedWriteFailure is alive (read by the system implementations).
bool writeFailureInjected();
}  // namespace detail

}  // namespace varnacle::platform
