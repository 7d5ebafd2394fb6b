#pragma once
// The text of one INI settings file, with the semantics of the system's
// profile-string functions: "[SECTION]" headers, "key=value" lines, section and
// key names compared without regard to case (the first match wins), values
// trimmed of surrounding blanks and of one pair of enclosing quotes, every read
// cut to 259 UTF-16 characters. Lines the program does not understand are kept
// as they are. Nothing is ever deleted.
//
// A plain value type; not shared between threads.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnacle::profile {

// A read keeps at most this many UTF-16 characters (a 260-character buffer).
inline constexpr size_t kIniValueLimit = 259;

// The integer at the start of `text`, as the C library's atoi reads it: leading
// blanks, an optional sign, decimal digits; no digits give 0. Values outside
// the int range are clamped.
int leadingInt(std::string_view text);

class IniDocument {
 public:
  IniDocument() = default;

  // Any bytes: UTF-16 (with or without a mark) or UTF-8 (with or without a mark).
  static IniDocument fromBytes(std::string_view bytes);

  // UTF-16LE with a byte-order mark and CRLF line ends.
  std::string toBytes() const;

  // The value, cut to kIniValueLimit characters, or `defaultValue` (cut the
  // same way) when the section or key is missing.
  std::string get(std::string_view section, std::string_view key,
                  std::string_view defaultValue = "0") const;
  int getInt(std::string_view section, std::string_view key) const;
  bool has(std::string_view section, std::string_view key) const;

  // Writes one value; a missing section is appended at the end, a missing key
  // after the last line of its section. A value is one line: it ends at the
  // first line break.
  void set(std::string_view section, std::string_view key, std::string_view value);
  void setInt(std::string_view section, std::string_view key, int value);

 private:
  struct Entry {
    size_t line;
    size_t valueStart;  // offset of the raw value text within the line
  };
  void reindex() const;
  std::optional<Entry> find(std::string_view section, std::string_view key) const;

  std::vector<std::string> lines_;
  mutable bool indexed_ = false;
  mutable std::unordered_map<std::string, Entry> entries_;       // "section\nkey", lower case
  mutable std::unordered_map<std::string, size_t> sectionEnds_;  // section -> last line + 1
};

}  // namespace varnacle::profile
