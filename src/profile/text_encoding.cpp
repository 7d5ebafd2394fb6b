#include "profile/text_encoding.h"

#include <cstdint>

#include "profile/ansi_text.h"

namespace varnacle::profile {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// What decodeUtf8At returns for a malformed sequence: not a character.
constexpr char32_t kMalformed = 0x110000;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one character at `i`, advancing it; a malformed sequence yields
// kMalformed and consumes one byte.
char32_t decodeUtf8At(std::string_view s, size_t& i) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra;
  char32_t c;
  char32_t minimum;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kMalformed;
  }
  if (i + extra >= s.size()) {
    ++i;
    return kMalformed;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kMalformed;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kMalformed;
  }
  i += extra + 1;
  return c;
}

// As decodeUtf8At, with U+FFFD for a malformed sequence.
char32_t nextUtf8(std::string_view s, size_t& i) {
  const char32_t c = decodeUtf8At(s, i);
  return c == kMalformed ? kReplacement : c;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) -> char16_t {
    const auto a = static_cast<uint8_t>(bytes[2 * k]);
    const auto b = static_cast<uint8_t>(bytes[2 * k + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  for (size_t k = 0; k < units; ++k) {
    const char16_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char16_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
  }
  if (bytes.size() % 2 != 0) appendUtf8(out, kReplacement);
  return out;
}

std::string sanitiseUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) appendUtf8(out, nextUtf8(bytes, i));
  return out;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (decodeUtf8At(bytes, i) == kMalformed) return false;
  }
  return true;
}

std::string decodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) return sanitiseUtf8(bytes.substr(3));
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return decodeUtf16(bytes, false);
  if (isValidUtf8(bytes)) return std::string(bytes);
  return decodeAnsi(bytes);
}

std::string encodeUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto put = [&out](char16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = nextUtf8(utf8, i);
    if (c >= 0x10000) {
      put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
  return out;
}

size_t utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) units += nextUtf8(utf8, i) >= 0x10000 ? 2 : 1;
  return units;
}

std::string_view utf16Prefix(std::string_view utf8, size_t units) {
  size_t used = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t next = i;
    const size_t width = nextUtf8(utf8, next) >= 0x10000 ? 2 : 1;
    if (used + width > units) break;
    used += width;
    i = next;
  }
  return utf8.substr(0, i);
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace varnacle::profile
