#pragma once
// The i3-compatible IPC of wlroots compositors, as far as the foreground
// program needs it: message framing, and where the focused window's process
// id is in a layout tree and in the focus events.
//
//   message  "i3-ipc" | payload length (u32) | type (u32) | payload (JSON)
//            integers in the machine's byte order
//
// Plain C++ (the socket side is in foreground_sway_linux.cpp); any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/json_value.h"

namespace varnacle::platform::sway {

inline constexpr std::string_view kMagic = "i3-ipc";
inline constexpr size_t kHeaderSize = 14;
// Larger replies are refused: a layout tree of thousands of windows stays
// far below it.
inline constexpr uint32_t kMaxPayload = 16u << 20;

// Request types.
inline constexpr uint32_t kSubscribe = 2;
inline constexpr uint32_t kGetTree = 4;
// Event types (the high bit marks an event).
inline constexpr uint32_t kWorkspaceEvent = 0x80000000u;
inline constexpr uint32_t kWindowEvent = 0x80000003u;

// What the provider subscribes to.
inline constexpr std::string_view kSubscription = R"(["window","workspace"])";

// Process ids above this are no process of this system (the kernel's limit).
inline constexpr long long kMaxPid = 1 << 22;

std::string encode(uint32_t type, std::string_view payload);

struct Header {
  uint32_t length = 0;
  uint32_t type = 0;
};
// Nothing when the magic is wrong or the payload is larger than kMaxPayload.
std::optional<Header> decodeHeader(const std::array<char, kHeaderSize>& bytes);

// The process id of the focused window of a layout tree; nothing when the
// focus is on no window (an empty workspace) or the window names no process.
std::optional<int> focusedPid(const json::Value& tree);

// How an event changes what the provider knows.
struct EventEffect {
  enum class Kind { none, focus, reload } kind = Kind::none;
  std::optional<int> pid;  // for focus: the newly focused window's process
};
EventEffect eventEffect(uint32_t type, const json::Value& event);

}  // namespace varnacle::platform::sway
