#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/atomic_file.h"

namespace varnacle::platform {

namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Makes the rename itself durable; failure here does not undo the new file.
void syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path folder = path.parent_path();
  std::string temp(1, '.');
  temp += path.filename().string();
  temp += ".XXXXXX";
  std::string pattern = (folder / temp).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  ::fchmod(fd, 0644);

  bool ok;
  if (detail::writeFailureInjected()) {
    writeAll(fd, bytes.substr(0, bytes.size() / 2));
    ok = false;
  } else {
    ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
  }
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(pattern.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(pattern.c_str());
    return false;
  }
  syncFolder(folder);
  return true;
}

}  // namespace varnacle::platform
