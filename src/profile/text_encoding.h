#pragma once
// Text of the settings files: UTF-16LE on disk, UTF-8 in memory.
#include <string>
#include <string_view>

namespace varnacle::profile {

// Decodes file bytes to UTF-8. A UTF-16LE, UTF-16BE or UTF-8 byte-order mark
// selects that encoding. Without a mark: a file whose second byte is zero (and
// first is not) is read as UTF-16LE, as files written by the system's own
// settings functions can be; valid UTF-8 as UTF-8; anything else in the ANSI
// code page (ansi_text.h), as the system's functions read a file they created.
// Malformed sequences become U+FFFD; the result is always valid UTF-8.
std::string decodeText(std::string_view bytes);

// True when `bytes` is well-formed UTF-8 (no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Encodes UTF-8 text as UTF-16LE code units (no mark). Malformed input becomes U+FFFD.
std::string encodeUtf16Le(std::string_view utf8);

// The length of `utf8` in UTF-16 code units.
size_t utf16Length(std::string_view utf8);

// The longest prefix of `utf8` that has at most `units` UTF-16 code units and
// does not split a character.
std::string_view utf16Prefix(std::string_view utf8, size_t units);

// Lower-cases ASCII letters only; other bytes are kept (names compared this way
// are equal exactly when the system compares them equal for the ASCII part).
std::string asciiLower(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace varnacle::profile
