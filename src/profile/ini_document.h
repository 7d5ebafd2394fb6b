#pragma once
// The text of one INI settings file, with the semantics of the system's
// profile-string functions: lines end at LF, CRLF or CR; "[SECTION]" headers
// (up to the last "]" of the line), "key=value" lines, section and key names
// compared without regard to case (the first match wins), names and values
// trimmed of surrounding white space (space, tab, CR, LF, VT, FF, ^Z), values
// also of one pair of enclosing quotes, every read cut to 259 UTF-16
// characters. A key line without "=" reads as missing. Lines the program does
// not understand are kept as they are. Nothing is ever deleted.
//
// Every write takes time independent of the file's size (amortised): a file of
// n keys is built by n writes in linear time, wherever its sections lie.
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

// True when a value written as `value` reads back as exactly `value`: valid
// UTF-8 without a line break, without white space at either end that the read
// trims, not wrapped in one pair of quotes that the read strips, and not longer
// than a read keeps.
bool readsBackUnchanged(std::string_view value);

class IniDocument {
 public:
  IniDocument() = default;

  // Any bytes, decoded as text_encoding.h's decodeText reads them: UTF-16 or
  // UTF-8 with or without a mark, or the ANSI code page.
  static IniDocument fromBytes(std::string_view bytes);

  // UTF-16LE with a byte-order mark and CRLF line ends.
  std::string toBytes() const;

  // The value, cut to kIniValueLimit characters, or `defaultValue` (cut the
  // same way) when the section or key is missing or the key has no "=".
  std::string get(std::string_view section, std::string_view key,
                  std::string_view defaultValue = "0") const;
  int getInt(std::string_view section, std::string_view key) const;
  // True when get() reads a stored value rather than the default.
  bool has(std::string_view section, std::string_view key) const;

  // Writes one value; a missing section is appended at the end, a missing key
  // after the last line of its section that is not blank. A value is one line:
  // it ends at the first line break.
  void set(std::string_view section, std::string_view key, std::string_view value);
  void setInt(std::string_view section, std::string_view key, int value);

 private:
  // A section header and the lines up to the next header (the lines before the
  // first header form a block without one). A new key goes at the end of
  // `lines`, before the blank lines that end the block, so no line that is
  // indexed ever moves.
  struct Block {
    std::optional<std::string> header;  // the header line as it stands in the file
    std::string name;                   // the section name, lower case
    bool first = false;                 // the first block of that name: the one read and written
    std::vector<std::string> lines;     // up to the last line that is not blank
    std::vector<std::string> trailing;  // the blank lines after it
  };
  static constexpr size_t kNoValue = std::string::npos;
  struct Entry {
    size_t block;
    size_t line;        // index in the block's `lines`
    size_t valueStart;  // offset of the raw value text within the line, or kNoValue
  };
  const Entry* find(std::string_view section, std::string_view key) const;
  void addHeader(std::string line, std::string_view name);
  void addLine(std::string line);
  void index(size_t block);

  std::vector<Block> blocks_;
  std::unordered_map<std::string, Entry> entries_;    // "section\nkey", lower case
  std::unordered_map<std::string, size_t> sections_;  // lower-case name -> its first block
};

}  // namespace varnacle::profile
