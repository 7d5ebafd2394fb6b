#pragma once
// Text in the ANSI code page: what the system's profile-string functions write
// into a settings file that did not exist before (Windows-1252 on Western
// systems, GBK on Chinese ones). Such files have no byte-order mark.
//
// On Windows the code page is the system's (GetACP). Elsewhere there is no
// system code page to ask; the program's language stands in for it: GB18030 (a
// superset of GBK) while the program runs in Chinese, Windows-1252 otherwise.
//
// Any thread.
#include <string>
#include <string_view>

namespace varnacle::profile {

// Tells which code page stands in off Windows: the application calls it
// whenever its language is set. No effect on Windows, where the system's code
// page applies. Windows-1252 until the first call.
void setAnsiFallbackChinese(bool chinese);

// `bytes` decoded from the ANSI code page to UTF-8. A byte Windows-1252 does
// not define reads as the control character of the same number, as Windows
// reads it; any other sequence the code page cannot decode reads as U+FFFD.
std::string decodeAnsi(std::string_view bytes);

}  // namespace varnacle::profile
