#pragma once
// What the mouse's two profile panels do with a profile's payload: the
// lighting list's 64 bytes are the working record (56 bytes) and a tail of
// zeros; the key list's 512 bytes are the active on-board profile's key
// table. Applying a lighting profile shows it on the lighting and DPI pages
// (pointer speed and wheel lines included) and marks the lighting pending
// for the one-second push, and a reset of it gives pointer speed 10 and
// wheel lines 1; applying a key profile rebuilds the button labels
// with the macro names and writes the table to the mouse.
//
// UI thread. The pages and the config must outlive the steps.
#include "pages/profile_panel.h"

namespace varnacle::device {
class DeviceSession;
class LiveLighting;
}  // namespace varnacle::device

namespace varnacle::mouse {

class MouseConfig;
class MsDengPage;
class MsDpiPage;
class MsKeyPage;

pages::ProfileListSteps mouseLightingSteps(device::LiveLighting& live, MsDpiPage& dpiPage,
                                           MsDengPage& lightingPage);
pages::ProfileListSteps mouseKeySteps(MouseConfig& config, device::DeviceSession& mouse,
                                      MsKeyPage& keyPage);

}  // namespace varnacle::mouse
