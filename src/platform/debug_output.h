#pragma once
// Debugger output: the fixed diagnostic lines of the program (thread stop lines,
// file failures, device faults).
//
// Any thread. Lines go to stderr when VARNACLE_DEBUG is set (to the debugger on
// Windows); tests install a DebugCapture to read them.
#include <string>
#include <string_view>
#include <vector>

namespace varnacle::platform {

// Writes one line. Never throws, never blocks on the UI thread.
void debugOutput(std::string_view line);

// While alive, every line written by any thread is also recorded here.
// Captures nest; each sees the lines written during its own lifetime.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  std::vector<std::string> lines() const;
  // How many recorded lines equal `line`.
  int count(std::string_view line) const;

 private:
  friend void debugOutput(std::string_view line);
  void record(std::string_view line);
  struct State;
  State* state_;
};

namespace detail {
// The system's debugger channel (Windows: OutputDebugStringW; nothing
// elsewhere), implemented per system.
void writeToDebugger(std::string_view line);
}  // namespace detail

}  // namespace varnacle::platform
