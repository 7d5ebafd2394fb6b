#pragma once
// What the keyboard lighting profile panel does with a profile's payload: the
// 1958 bytes are the whole lighting block (a shorter file's missing tail reads
// as zero). Applying a profile shows it on the lighting page and marks the
// lighting pending for the one-second push.
//
// UI thread. The lighting and the page must outlive the steps.
#include "pages/profile_panel.h"

namespace varnacle::device {
class LiveLighting;
}  // namespace varnacle::device

namespace varnacle::keyboard {

class KeyboardLighting;
class KbDengPage;

pages::ProfileListSteps keyboardLightingSteps(device::LiveLighting& live,
                                              KeyboardLighting& lighting, KbDengPage& page);

}  // namespace varnacle::keyboard
