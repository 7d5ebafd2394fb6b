#pragma once
// What the keyboard key profile panel does with a profile's payload: the 512
// bytes are slot 0. Loading or resetting a profile closes the function
// panel, rebuilds the key labels and writes slot 0 to on-board profile 0.
//
// UI thread. The page, the config and the session must outlive the steps.
#include "pages/profile_panel.h"

namespace varnacle::device {
class DeviceSession;
}  // namespace varnacle::device

namespace varnacle::keyboard {

class KeyboardConfig;
class KbKeyPage;

pages::ProfileListSteps keyboardKeySteps(KeyboardConfig& config, device::DeviceSession& keyboard,
                                         KbKeyPage& keyPage);

}  // namespace varnacle::keyboard
