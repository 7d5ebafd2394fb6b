#pragma once
// The mouse key profile file: the selected entry of the mouse's key profile
// list ("msProfile.ini", section "PROFILESELECT" key "select", its name in
// "PROFILENAME") is the file <name>.pro in the mouse's settings folder,
// holding one 512-byte profile key table.
//
// Any thread; the file is written whole (atomically) per call.
#include "device/exchanges.h"

namespace varnacle::mouse {

// Writes `table` into the selected mouse key profile file. False (and nothing
// written, with a debug line) when the list holds no profile at the selected
// index, when the selected name is not a safe file name, or when the write
// fails.
bool saveMouseKeyProfile(const device::TableSlot& table);

}  // namespace varnacle::mouse
