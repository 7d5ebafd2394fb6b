#pragma once
// The keyboard key profile file: the selected entry of the keyboard's key
// profile list ("kbProfile.ini", section "PROFILESELECT" key "select", its
// name in "PROFILENAME") is the file <name>.pro in the keyboard's settings
// folder, holding slot 0 (512 bytes).
//
// Any thread; the file is written whole (atomically) per call.
#include "device/exchanges.h"

namespace varnacle::keyboard {

// Writes `slot` into the selected keyboard key profile file. False (and
// nothing written, with a debug line) when the list holds no profile at the
// selected index, when the selected name is not a safe file name, or when the
// write fails.
bool saveKeyboardKeyProfile(const device::TableSlot& slot);

}  // namespace varnacle::keyboard
