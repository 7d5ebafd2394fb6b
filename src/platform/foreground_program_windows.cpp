// Windows: the foreground window → its process id → the process's program
// file (QueryFullProcessImageNameW, which also answers for processes of the
// other bitness), as UTF-8.
#include <windows.h>

#include <array>

#include "platform/foreground_program.h"

namespace varnacle::platform {

namespace {

std::string toUtf8(const wchar_t* text, DWORD length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                        nullptr);
  return out;
}

class WindowsForegroundProgram : public ForegroundProgram {
 public:
  std::optional<std::string> path() override {
    const HWND window = GetForegroundWindow();
    if (!window) return std::nullopt;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == 0) return std::nullopt;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::nullopt;
    std::array<wchar_t, 32768> buffer{};
    DWORD length = static_cast<DWORD>(buffer.size());
    const BOOL ok = QueryFullProcessImageNameW(process, 0, buffer.data(), &length);
    CloseHandle(process);
    if (!ok || length == 0) return std::nullopt;
    return toUtf8(buffer.data(), length);
  }
};

}  // namespace

std::unique_ptr<ForegroundProgram> makeForegroundProgram() {
  return std::make_unique<WindowsForegroundProgram>();
}

ProgramDialogFilter programDialogFilter() {
  return {"exe", "*.exe", "(*.exe) | *.exe||"};
}

// The dialog offers ".exe" files only.
bool isProgramFile(const std::string&) {
  return true;
}

}  // namespace varnacle::platform
