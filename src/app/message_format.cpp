#include "app/message_format.h"

namespace varnacle::app {

std::string formatMessageNumber(std::string_view text, int number) {
  const auto slot = text.find("%d");
  if (slot == std::string_view::npos) return std::string(text);
  std::string out(text.substr(0, slot));
  out += std::to_string(number);
  out += text.substr(slot + 2);
  return out;
}

}  // namespace varnacle::app
