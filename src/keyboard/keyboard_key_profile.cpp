#include "keyboard/keyboard_key_profile.h"

#include "profile/profile_file.h"
#include "profile/selected_profile.h"

namespace varnacle::keyboard {

static_assert(profile::profileListInfo(profile::ProfileListKind::keyboardKeys).payloadSize ==
              device::kTableSlotSize);

bool saveKeyboardKeyProfile(const device::TableSlot& slot) {
  const auto file = profile::selectedProfileFile(profile::ProfileListKind::keyboardKeys,
                                                 "keyboard key profile", "not saved");
  return file && profile::WriteProfileFile(*file, slot);
}

}  // namespace varnacle::keyboard
