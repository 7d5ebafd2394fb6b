#pragma once
// What the mouse pad's lighting profile panel does with a profile's payload:
// the 64 bytes are the working copy (56 bytes) and a tail of zeros.
// Applying a profile shows it on the pad page and marks the lighting pending
// for the one-second push.
//
// UI thread. The page must outlive the steps.
#include "pages/profile_panel.h"

namespace varnacle::device {
class LiveLighting;
}  // namespace varnacle::device

namespace varnacle::mousepad {

class MpDengPage;

pages::ProfileListSteps padLightingSteps(device::LiveLighting& live, MpDengPage& page);

}  // namespace varnacle::mousepad
