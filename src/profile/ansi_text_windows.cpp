#include <windows.h>

#include <climits>

#include "profile/ansi_text.h"

namespace varnacle::profile {

void setAnsiFallbackChinese(bool) {
  // The system's code page applies on Windows.
}

std::string decodeAnsi(std::string_view bytes) {
  // The settings files are far below INT_MAX bytes (ini_store.h); a larger
  // input reads as nothing rather than as a cut text.
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return {};
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), units);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace varnacle::profile
