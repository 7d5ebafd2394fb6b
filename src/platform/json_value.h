#pragma once
// A small JSON reader for what desktop services hand the program (the
// compositor's IPC replies, shell extension metadata): the whole text into a
// tree of values.
//
// Bounded: at most kMaxJsonDepth levels of nesting; malformed text (also
// trailing text after the value) gives nothing. Plain C++; any thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnacle::platform::json {

inline constexpr int kMaxJsonDepth = 128;

struct Member;

struct Value {
  enum class Kind { null, boolean, number, string, array, object };
  Kind kind = Kind::null;
  bool boolean = false;
  double number = 0;
  std::string text;             // a string's characters, UTF-8
  std::vector<Value> items;     // an array's elements
  std::vector<Member> members;  // an object's members, in their order

  // The first member of that name; null when this is no object or has none.
  const Value* member(std::string_view name) const;
  // The value as a whole number within [low, high]; nothing otherwise.
  std::optional<long long> whole(long long low, long long high) const;
  bool isTrue() const { return kind == Kind::boolean && boolean; }
};

struct Member {
  std::string name;
  Value value;
};

std::optional<Value> parse(std::string_view text);

}  // namespace varnacle::platform::json
