#pragma once
// The keyboard's lighting block as the program holds it: bytes 0-55 are the
// keyboard's working record in LiveLighting (what the one-second push sends
// and what a device read or a same-mode copy changes), the rest of the block
// (reserved bytes, custom table index and colour, the five custom tables)
// lives here. Every change of the block is one locked step on both, so a
// device read landing meanwhile is never undone.
//
// Also here: the selected keyboard lighting profile file (".led", the whole
// block as its payload), the re-read of the record when the keyboard reports
// a lighting change, and the preview state shared by the page and the preview
// thread.
//
// Any thread: every call takes the lock (the preview thread reads while the UI
// thread edits). The LiveLighting must outlive the object.
#include <functional>
#include <mutex>

#include "device/device_session.h"
#include "device/live_lighting.h"
#include "keyboard/lighting_block.h"
#include "keyboard/lighting_preview.h"

namespace varnacle::keyboard {

class KeyboardLighting {
 public:
  explicit KeyboardLighting(device::LiveLighting& live);

  KeyboardLightingBlock block() const;
  // Changes the block in one step; the working record is marked pending when
  // `pending` (the keyboard then receives bytes 0-20 with the next push).
  void edit(const std::function<void(KeyboardLightingBlock&)>& change, bool pending);
  // Replaces the block (a profile's payload), unmarked.
  void set(const KeyboardLightingBlock& block);

 private:
  device::LiveLighting& live_;
  mutable std::mutex mutex_;
  KeyboardLightingBlock block_;  // bytes 56 on; bytes 0-55 are the working record's
};

// Writes the block into the selected keyboard lighting profile file. False
// (nothing written, with a debug line) when the list holds no selected
// profile, its name is not a safe file name, or the write fails.
bool saveKeyboardLightingProfile(const KeyboardLightingBlock& block);

// The keyboard reported a lighting change: ReadBlock 1 byte at address 0 (the
// value is not used), then ReadBlock 56 bytes at address 0 into bytes 0-55,
// byte 0 then 0. Unmarked. A failed read leaves the record as it was (false):
// a reply that never came must not become the user's lighting.
bool reloadKeyboardRecord(device::DeviceSession& keyboard, KeyboardLighting& lighting);

// The preview's state, shared by the UI thread (mode changes, clicks in mode
// 9) and the preview thread (frames). Any thread; every call takes the lock.
class KeyboardPreview {
 public:
  // Clears the whole state; in mode 5 the bounce starts again.
  void restart(int mode);
  // Mode 9: the clicked position starts a ripple.
  void press(std::size_t position);
  Frame step(const KeyboardPreviewInput& input);
  // The state `steps` steps on, without their frames.
  void skip(const KeyboardPreviewInput& input, int steps);
  KeyboardPreviewState state() const;

 private:
  mutable std::mutex mutex_;
  KeyboardPreviewState state_;
};

}  // namespace varnacle::keyboard
