#include "platform/json_value.h"

#include <charconv>
#include <cmath>

namespace varnacle::platform::json {

const Value* Value::member(std::string_view name) const {
  for (const Member& m : members)
    if (m.name == name) return &m.value;
  return nullptr;
}

std::optional<long long> Value::whole(long long low, long long high) const {
  if (kind != Kind::number || std::floor(number) != number) return std::nullopt;
  if (number < static_cast<double>(low) || number > static_cast<double>(high)) return std::nullopt;
  return static_cast<long long>(number);
}

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<Value> document() {
    Value v;
    if (!value(v, 0)) return std::nullopt;
    space();
    if (at_ != text_.size()) return std::nullopt;
    return v;
  }

 private:
  void space() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  bool take(char c) {
    space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (text_.substr(at_, w.size()) != w) return false;
    at_ += w.size();
    return true;
  }

  bool value(Value& v, int depth) {
    if (depth >= kMaxJsonDepth) return false;
    space();
    if (at_ >= text_.size()) return false;
    switch (text_[at_]) {
      case '{':
        return object(v, depth);
      case '[':
        return array(v, depth);
      case '"':
        v.kind = Value::Kind::string;
        return string(v.text);
      case 't':
        v.kind = Value::Kind::boolean;
        v.boolean = true;
        return word("true");
      case 'f':
        v.kind = Value::Kind::boolean;
        return word("false");
      case 'n':
        return word("null");
      default:
        return number(v);
    }
  }

  bool object(Value& v, int depth) {
    ++at_;
    v.kind = Value::Kind::object;
    if (take('}')) return true;
    do {
      space();
      Member m;
      if (at_ >= text_.size() || text_[at_] != '"' || !string(m.name) || !take(':') ||
          !value(m.value, depth + 1))
        return false;
      v.members.push_back(std::move(m));
    } while (take(','));
    return take('}');
  }

  bool array(Value& v, int depth) {
    ++at_;
    v.kind = Value::Kind::array;
    if (take(']')) return true;
    do {
      Value item;
      if (!value(item, depth + 1)) return false;
      v.items.push_back(std::move(item));
    } while (take(','));
    return take(']');
  }

  bool number(Value& v) {
    // The JSON form only: no leading '+', no hexadecimal, no "inf".
    const size_t start = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (at_ >= text_.size() || text_[at_] < '0' || text_[at_] > '9') return false;
    while (at_ < text_.size() &&
           std::string_view("0123456789.eE+-").find(text_[at_]) != std::string_view::npos)
      ++at_;
    const char* first = text_.data() + start;
    const char* last = text_.data() + at_;
    const auto [end, error] = std::from_chars(first, last, v.number);
    v.kind = Value::Kind::number;
    return error == std::errc() && end == last;
  }

  static void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool hex4(unsigned& code) {
    if (text_.size() - at_ < 4) return false;
    const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
    if (error != std::errc() || end != text_.data() + at_ + 4) return false;
    at_ += 4;
    return true;
  }

  bool string(std::string& out) {
    ++at_;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned code = 0;
          if (!hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            unsigned low = 0;
            if (!word("\\u") || !hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code < 0xE000) {
            return false;
          }
          appendUtf8(out, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

std::optional<Value> parse(std::string_view text) {
  return Reader(text).document();
}

}  // namespace varnacle::platform::json
