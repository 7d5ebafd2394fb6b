#include <windows.h>

#include <string>

#include "platform/atomic_file.h"

namespace varnacle::platform {

bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  // A folder in the file's place is never replaced (nor what it holds).
  const DWORD existing = GetFileAttributesW(path.wstring().c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY)) return false;
  const std::filesystem::path folder = path.parent_path();
  const std::wstring base = path.filename().wstring();
  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = (folder / (L"~" + base + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                      std::to_wstring(GetTickCount64() + attempt) + L".tmp"))
               .wstring();
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;

  bool ok = true;
  std::string_view rest =
      detail::writeFailureInjected() ? bytes.substr(0, bytes.size() / 2) : bytes;
  while (ok && !rest.empty()) {
    const DWORD chunk = static_cast<DWORD>(rest.size() > 0x10000000 ? 0x10000000 : rest.size());
    DWORD written = 0;
    ok = WriteFile(file, rest.data(), chunk, &written, nullptr) != FALSE && written == chunk;
    rest.remove_prefix(written);
  }
  if (detail::writeFailureInjected()) ok = false;
  ok = ok && FlushFileBuffers(file) != FALSE;
  ok = (CloseHandle(file) != FALSE) && ok;
  if (ok) {
    // An existing file is replaced in place, keeping its attributes and
    // security; a new one is the temporary file renamed. When the system
    // moved the old file away but could not rename ours, ours is still
    // there under its temporary name and is renamed into place.
    const std::wstring target = path.wstring();
    ok = ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr) != FALSE;
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
      ok = MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace varnacle::platform
