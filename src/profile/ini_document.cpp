#include "profile/ini_document.h"

#include <climits>

#include "profile/text_encoding.h"

namespace varnacle::profile {

namespace {

// What the profile-string functions trim around names and values: the C
// library's white space (space, tab, LF, VT, FF, CR) and ^Z, the old
// end-of-file mark.
bool isTrimmed(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isTrimmed(s.front())) s.remove_prefix(1);
  while (!s.empty() && isTrimmed(s.back())) s.remove_suffix(1);
  return s;
}

// The text a read gives for the raw value text of a line (before the cut).
std::string_view readValue(std::string_view raw) {
  std::string_view value = trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string entryKey(std::string_view section, std::string_view key) {
  std::string k = asciiLower(section);
  k += '\n';
  k += asciiLower(key);
  return k;
}

// The section name of a header line, or nothing when the line is not one: a
// header starts with "[" and ends at the last "]" of the line ("[a]b]" is
// section "a]b"); a "[" without a "]" starts an ordinary line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(line.substr(1, close - 1));
}

}  // namespace

int leadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool readsBackUnchanged(std::string_view value) {
  return value.find_first_of("\r\n") == std::string_view::npos && isValidUtf8(value) &&
         readValue(value) == value && utf16Length(value) <= kIniValueLimit;
}

IniDocument IniDocument::fromBytes(std::string_view bytes) {
  IniDocument doc;
  const std::string text = decodeText(bytes);
  // Lines end as the profile-string functions end them: at the next LF (a CR
  // before it belongs to the line end), or, once no LF follows, at each CR.
  bool lfFollows = true;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = lfFollows ? text.find('\n', start) : std::string::npos;
    lfFollows = end != std::string::npos;
    if (!lfFollows) end = text.find('\r', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (lfFollows && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const auto name = sectionOf(line)) {
      doc.addHeader(std::string(line), *name);
    } else {
      doc.addLine(std::string(line));
    }
    start = end + 1;
  }
  return doc;
}

std::string IniDocument::toBytes() const {
  std::string out = "\xFF\xFE";
  const std::string lineEnd = encodeUtf16Le("\r\n");
  auto put = [&](const std::string& line) {
    out += encodeUtf16Le(line);
    out += lineEnd;
  };
  for (const Block& block : blocks_) {
    if (block.header) put(*block.header);
    for (const std::string& line : block.lines) put(line);
    for (const std::string& line : block.trailing) put(line);
  }
  return out;
}

void IniDocument::addHeader(std::string line, std::string_view name) {
  Block block;
  block.header = std::move(line);
  block.name = asciiLower(name);
  // Only the first section of a name is read and extended.
  block.first = sections_.try_emplace(block.name, blocks_.size()).second;
  blocks_.push_back(std::move(block));
}

void IniDocument::addLine(std::string line) {
  if (blocks_.empty()) blocks_.emplace_back();
  Block& block = blocks_.back();
  if (trim(line).empty()) {
    block.trailing.push_back(std::move(line));
    return;
  }
  for (std::string& blank : block.trailing) block.lines.push_back(std::move(blank));
  block.trailing.clear();
  block.lines.push_back(std::move(line));
  index(blocks_.size() - 1);
}

// Indexes the last line of `block` when it is a key of a section that is read.
void IniDocument::index(size_t block) {
  const Block& b = blocks_[block];
  if (!b.first) return;
  const std::string_view line = b.lines.back();
  const size_t eq = line.find('=');
  const std::string_view key = trim(line.substr(0, eq));
  if (key.empty()) return;
  const size_t valueStart = eq == std::string_view::npos ? kNoValue : eq + 1;
  entries_.try_emplace(entryKey(b.name, key), Entry{block, b.lines.size() - 1, valueStart});
}

const IniDocument::Entry* IniDocument::find(std::string_view section, std::string_view key) const {
  const auto it = entries_.find(entryKey(section, key));
  return it == entries_.end() ? nullptr : &it->second;
}

bool IniDocument::has(std::string_view section, std::string_view key) const {
  const Entry* entry = find(section, key);
  return entry && entry->valueStart != kNoValue;
}

std::string IniDocument::get(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const {
  const Entry* entry = find(section, key);
  if (!entry || entry->valueStart == kNoValue) {
    return std::string(utf16Prefix(defaultValue, kIniValueLimit));
  }
  const std::string& line = blocks_[entry->block].lines[entry->line];
  const std::string_view value = readValue(std::string_view(line).substr(entry->valueStart));
  return std::string(utf16Prefix(value, kIniValueLimit));
}

int IniDocument::getInt(std::string_view section, std::string_view key) const {
  return leadingInt(get(section, key));
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));
  if (const auto it = entries_.find(entryKey(section, key)); it != entries_.end()) {
    std::string& line = blocks_[it->second.block].lines[it->second.line];
    std::string keyPart(trim(std::string_view(line).substr(0, line.find('='))));
    line = keyPart + "=" + std::string(value);
    it->second.valueStart = keyPart.size() + 1;
    return;
  }
  const std::string name = asciiLower(section);
  size_t block;
  if (const auto it = sections_.find(name); it != sections_.end()) {
    block = it->second;
  } else {
    // A new section at the end of the file.
    block = blocks_.size();
    Block added;
    added.header = "[" + std::string(section) + "]";
    added.name = name;
    added.first = true;
    blocks_.push_back(std::move(added));
    sections_.emplace(name, block);
  }
  // Before the blank lines that end the section: no indexed line moves.
  std::vector<std::string>& lines = blocks_[block].lines;
  lines.push_back(std::string(key) + "=" + std::string(value));
  entries_.try_emplace(entryKey(section, key), Entry{block, lines.size() - 1, key.size() + 1});
}

void IniDocument::setInt(std::string_view section, std::string_view key, int value) {
  set(section, key, std::to_string(value));
}

}  // namespace varnacle::profile
