#include "profile/ini_document.h"

#include <climits>

#include "profile/text_encoding.h"

namespace varnacle::profile {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string entryKey(std::string_view section, std::string_view key) {
  std::string k = asciiLower(section);
  k += '\n';
  k += asciiLower(key);
  return k;
}

// The section name of a header line, or nothing when the line is not one.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const size_t close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return trim(line);
}

}  // namespace

int leadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (isBlank(text[i]) || text[i] == '\r' || text[i] == '\n')) ++i;
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

IniDocument IniDocument::fromBytes(std::string_view bytes) {
  IniDocument doc;
  const std::string text = decodeText(bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    doc.lines_.emplace_back(line);
    start = end + 1;
  }
  return doc;
}

std::string IniDocument::toBytes() const {
  std::string out = "\xFF\xFE";
  for (const std::string& line : lines_) {
    out += encodeUtf16Le(line);
    out += encodeUtf16Le("\r\n");
  }
  return out;
}

void IniDocument::reindex() const {
  entries_.clear();
  sectionEnds_.clear();
  std::optional<std::string> current;  // lower-case name of the section being read
  bool currentIsFirst = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view line = lines_[i];
    if (auto name = sectionOf(line)) {
      current = asciiLower(*name);
      // Only the first section of a name is read and extended.
      currentIsFirst = !sectionEnds_.contains(*current);
      if (currentIsFirst) sectionEnds_[*current] = i + 1;
      continue;
    }
    if (!current || !currentIsFirst) continue;
    if (!trim(line).empty()) sectionEnds_[*current] = i + 1;
    const size_t eq = line.find('=');
    const std::string_view key = trim(line.substr(0, eq));
    if (key.empty()) continue;
    const size_t valueStart = eq == std::string_view::npos ? line.size() : eq + 1;
    entries_.try_emplace(entryKey(*current, key), Entry{i, valueStart});
  }
  indexed_ = true;
}

std::optional<IniDocument::Entry> IniDocument::find(std::string_view section,
                                                    std::string_view key) const {
  if (!indexed_) reindex();
  const auto it = entries_.find(entryKey(section, key));
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

bool IniDocument::has(std::string_view section, std::string_view key) const {
  return find(section, key).has_value();
}

std::string IniDocument::get(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const {
  const auto entry = find(section, key);
  if (!entry) return std::string(utf16Prefix(defaultValue, kIniValueLimit));
  std::string_view value = trim(std::string_view(lines_[entry->line]).substr(entry->valueStart));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(utf16Prefix(value, kIniValueLimit));
}

int IniDocument::getInt(std::string_view section, std::string_view key) const {
  return leadingInt(get(section, key));
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));
  if (const auto entry = find(section, key)) {
    std::string& line = lines_[entry->line];
    std::string keyPart(trim(std::string_view(line).substr(0, line.find('='))));
    line = keyPart + "=" + std::string(value);
    entries_[entryKey(section, key)].valueStart = keyPart.size() + 1;
    return;
  }
  std::string newLine = std::string(key) + "=" + std::string(value);
  if (!indexed_) reindex();
  const auto end = sectionEnds_.find(asciiLower(section));
  if (end != sectionEnds_.end() && end->second == lines_.size()) {
    // The section is the last one: appending moves no line.
    lines_.push_back(std::move(newLine));
    end->second = lines_.size();
    entries_.try_emplace(entryKey(section, key), Entry{lines_.size() - 1, key.size() + 1});
  } else if (end != sectionEnds_.end()) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end->second), std::move(newLine));
    indexed_ = false;
  } else {
    // Appended at the end: no line moves, so the index only grows.
    std::string header(1, '[');
    header += section;
    header += ']';
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(newLine));
    sectionEnds_[asciiLower(section)] = lines_.size();
    entries_.try_emplace(entryKey(section, key), Entry{lines_.size() - 1, key.size() + 1});
  }
}

void IniDocument::setInt(std::string_view section, std::string_view key, int value) {
  set(section, key, std::to_string(value));
}

}  // namespace varnacle::profile
