#include "platform/sway_ipc.h"

#include <cstring>

namespace varnacle::platform::sway {

std::string encode(uint32_t type, std::string_view payload) {
  std::string message(kMagic);
  const auto length = static_cast<uint32_t>(payload.size());
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  message.append(reinterpret_cast<const char*>(&type), sizeof type);
  message.append(payload);
  return message;
}

std::optional<Header> decodeHeader(const std::array<char, kHeaderSize>& bytes) {
  if (std::string_view(bytes.data(), kMagic.size()) != kMagic) return std::nullopt;
  Header h;
  std::memcpy(&h.length, bytes.data() + kMagic.size(), sizeof h.length);
  std::memcpy(&h.type, bytes.data() + kMagic.size() + sizeof h.length, sizeof h.type);
  if (h.length > kMaxPayload) return std::nullopt;
  return h;
}

namespace {

std::optional<int> pidOf(const json::Value& node) {
  const json::Value* pid = node.member("pid");
  if (!pid) return std::nullopt;
  const auto value = pid->whole(1, kMaxPid);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// Depth-first over tiled and floating children; the parser bounds the depth.
const json::Value* focusedNode(const json::Value& node) {
  if (const json::Value* focused = node.member("focused"); focused && focused->isTrue())
    return &node;
  for (const char* children : {"nodes", "floating_nodes"}) {
    const json::Value* list = node.member(children);
    if (!list) continue;
    for (const json::Value& child : list->items)
      if (const json::Value* found = focusedNode(child)) return found;
  }
  return nullptr;
}

bool changeIs(const json::Value& event, std::string_view change) {
  const json::Value* c = event.member("change");
  return c && c->kind == json::Value::Kind::string && c->text == change;
}

}  // namespace

std::optional<int> focusedPid(const json::Value& tree) {
  const json::Value* node = focusedNode(tree);
  return node ? pidOf(*node) : std::nullopt;
}

EventEffect eventEffect(uint32_t type, const json::Value& event) {
  if (type == kWindowEvent) {
    if (changeIs(event, "focus")) {
      const json::Value* container = event.member("container");
      return {EventEffect::Kind::focus, container ? pidOf(*container) : std::nullopt};
    }
    // The focused window may be the one that closed; the tree says where
    // the focus went.
    if (changeIs(event, "close")) return {EventEffect::Kind::reload, std::nullopt};
    return {};
  }
  if (type == kWorkspaceEvent && changeIs(event, "focus"))
    return {EventEffect::Kind::reload, std::nullopt};
  return {};
}

}  // namespace varnacle::platform::sway
