#include <windows.h>

#include <string>

#include "platform/debug_output.h"

namespace varnacle::platform::detail {

void writeToDebugger(std::string_view line) {
  std::wstring wide;
  if (!line.empty() && line.size() < 0x7FFFFFFF) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                      nullptr, 0);
    if (n > 0) {
      wide.resize(static_cast<std::size_t>(n));
      MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), n);
    }
  }
  // One call per line, so a debugger shows it as one.
  wide += L'\n';
  OutputDebugStringW(wide.c_str());
}

}  // namespace varnacle::platform::detail
