#pragma once
// One lock per settings file inside the process, so that readers and writers
// on different threads see whole files.
#include <filesystem>
#include <mutex>

namespace varnacle::profile {

// The lock of `file` (the same object for every spelling of one path). Lives
// as long as the process.
std::mutex& fileLock(const std::filesystem::path& file);

}  // namespace varnacle::profile
