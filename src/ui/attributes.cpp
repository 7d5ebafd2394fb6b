#include "ui/attributes.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

namespace varnacle::ui {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (;;) {
    auto at = s.find(sep);
    parts.push_back(trim(s.substr(0, at)));
    if (at == std::string_view::npos) return parts;
    s.remove_prefix(at + 1);
  }
}

std::optional<std::uint32_t> parseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Whether `text` opens with a field of the quoted form: a word, '=' and a quote.
bool startsWithQuotedField(std::string_view text) {
  std::size_t i = 0;
  auto isWordChar = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  };
  while (i < text.size() && isWordChar(text[i])) ++i;
  if (i == 0) return false;
  text = trim(text.substr(i));
  if (text.empty() || text.front() != '=') return false;
  text = trim(text.substr(1));
  return !text.empty() && text.front() == '\'';
}

// The four numbers of a comma list.
std::optional<Rect> fourInts(std::string_view text) {
  auto parts = split(text, ',');
  if (parts.size() != 4) return std::nullopt;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    auto n = parseInt(parts[static_cast<std::size_t>(i)]);
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  return Rect{v[0], v[1], v[2], v[3]};
}

}  // namespace

std::optional<Color> parseColor(std::string_view text) {
  text = trim(text);
  if (text.starts_with('#')) {
    auto digits = text.substr(1);
    auto v = parseHex(digits);
    if (!v) return std::nullopt;
    if (digits.size() == 6) return *v | 0xFF000000u;
    if (digits.size() == 8) return *v;
    return std::nullopt;
  }
  if (text.starts_with("0x") || text.starts_with("0X")) return parseHex(text.substr(2));
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> parseInt(std::string_view text) {
  text = trim(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<bool> parseBool(std::string_view text) {
  text = trim(text);
  if (equalsNoCase(text, "true") || text == "1") return true;
  if (equalsNoCase(text, "false") || text == "0") return false;
  return std::nullopt;
}

std::optional<Rect> parseRect(std::string_view text) {
  return fourInts(text);
}

std::optional<Edges> parseEdges(std::string_view text) {
  auto r = fourInts(text);
  if (!r) return std::nullopt;
  return Edges{r->left, r->top, r->right, r->bottom};
}

std::optional<Size> parseSize(std::string_view text) {
  auto parts = split(text, ',');
  if (parts.size() != 2) return std::nullopt;
  auto w = parseInt(parts[0]);
  auto h = parseInt(parts[1]);
  if (!w || !h || *w < 0 || *h < 0) return std::nullopt;
  return Size{*w, *h};
}

unsigned parseAlign(std::string_view text, unsigned base) {
  constexpr unsigned kHorizontal = kAlignLeft | kAlignHCenter | kAlignRight;
  constexpr unsigned kVertical = kAlignTop | kAlignVCenter | kAlignBottom;
  unsigned result = base;
  std::string words = toLower(text);
  for (char& c : words)
    if (c == ',') c = ' ';
  for (auto word : split(words, ' ')) {
    if (word == "left") result = (result & ~kHorizontal) | kAlignLeft;
    if (word == "center") result = (result & ~kHorizontal) | kAlignHCenter;
    if (word == "right") result = (result & ~kHorizontal) | kAlignRight;
    if (word == "top") result = (result & ~kVertical) | kAlignTop;
    if (word == "vcenter") result = (result & ~kVertical) | kAlignVCenter;
    if (word == "bottom") result = (result & ~kVertical) | kAlignBottom;
  }
  return result;
}

std::optional<ImageDescription> parseImageDescription(std::string_view text) {
  text = trim(text);
  if (text.empty()) return std::nullopt;
  ImageDescription d;
  if (!startsWithQuotedField(text)) {
    // A bare file name; quotes and equals signs in it are part of the name.
    d.file = std::string(text);
    return d;
  }
  // key='value' pairs separated by blanks.
  while (!text.empty()) {
    auto eq = text.find('=');
    if (eq == std::string_view::npos) break;
    auto key = trim(text.substr(0, eq));
    text.remove_prefix(eq + 1);
    text = trim(text);
    if (text.empty() || text.front() != '\'') return std::nullopt;
    auto close = text.find('\'', 1);
    if (close == std::string_view::npos) return std::nullopt;
    auto value = text.substr(1, close - 1);
    text.remove_prefix(close + 1);
    text = trim(text);
    if (key == "file") {
      d.file = std::string(value);
    } else if (key == "source") {
      d.source = parseRect(value);
    } else if (key == "fade") {
      if (auto f = parseInt(value)) d.fade = std::clamp(*f, 0, 255);
    }
  }
  if (d.file.empty()) return std::nullopt;
  return d;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string toLower(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace varnacle::ui
