#include <shlobj.h>
#include <windows.h>

#include <string>

#include "platform/folders.h"

namespace varnacle::platform {

std::filesystem::path systemDocumentsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return std::filesystem::path(buffer);
  }
  return std::filesystem::path();
}

std::filesystem::path programFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::filesystem::path();
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return std::filesystem::path();
    buffer.resize(buffer.size() * 2);
  }
  return std::filesystem::path(buffer).parent_path();
}

}  // namespace varnacle::platform
