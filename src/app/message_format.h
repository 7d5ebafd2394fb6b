#pragma once
// Building the text of a formatted message box: a language text with one "%d"
// slot and a number. Pure, no window.
#include <string>
#include <string_view>

namespace varnacle::app {

// Replaces the first "%d" of `text` with `number` in decimal. Everything else,
// including any further "%d" and every other '%' sequence, is kept literally, so a
// text from a language file can never make the formatting read arguments that
// were not given. A text without "%d" comes back unchanged.
std::string formatMessageNumber(std::string_view text, int number);

}  // namespace varnacle::app
