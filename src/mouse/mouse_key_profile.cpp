#include "mouse/mouse_key_profile.h"

#include "profile/profile_file.h"
#include "profile/selected_profile.h"

namespace varnacle::mouse {

static_assert(profile::profileListInfo(profile::ProfileListKind::mouseKeys).payloadSize ==
              device::kTableSlotSize);

bool saveMouseKeyProfile(const device::TableSlot& table) {
  const auto file = profile::selectedProfileFile(profile::ProfileListKind::mouseKeys,
                                                 "mouse key profile", "not saved");
  return file && profile::WriteProfileFile(*file, table);
}

}  // namespace varnacle::mouse
