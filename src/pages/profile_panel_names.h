#pragma once
// The controls of each profile list's panel, in the order of kProfileLists.
// The layout fragment "profile_panel.xml" builds them from the device prefix
// and the kind word; this table is what the program finds them by.
#include <array>
#include <string_view>

#include "profile/profile_registry.h"

namespace varnacle::pages {

struct ProfilePanelNames {
  profile::ProfileListKind list;
  std::string_view combo, nameEdit, addButton;
  std::string_view subButton, copyButton, importButton;
  std::string_view exportButton, resetButton, editButton;
  std::string_view editPanel, editSaveButton, linkCheck;
  std::string_view linkButton, linkEdit, linkRow;
  // The device's button that shows and hides its lighting panel, and that
  // panel (empty for the key lists).
  std::string_view spreadButton, spreadPanel;
};

inline constexpr std::array<ProfilePanelNames, 5> kProfilePanelNames = {{
    {profile::ProfileListKind::keyboardLighting,
     "kb_deng_profile_combo", "kb_deng_profile_name_edit", "kb_pro_deng_add_btn",
     "kb_pro_deng_sub_btn", "kb_pro_deng_copy_btn", "kb_pro_deng_import_btn",
     "kb_pro_deng_export_btn", "kb_pro_deng_reset_btn", "kb_pro_deng_edit_btn",
     "kb_deng_profile_edit", "kb_deng_profile_edit_save_btn", "kb_deng_profile_link_check",
     "kb_deng_profile_link_btn", "kb_deng_profile_link_edit", "kb_deng_profile_link_name_hor",
     "kb_profile_fun_spread_btn", "kb_profile_fun_spead_tab"},
    {profile::ProfileListKind::keyboardKeys,
     "kb_key_profile_combo", "kb_key_profile_name_edit", "kb_pro_key_add_btn",
     "kb_pro_key_sub_btn", "kb_pro_key_copy_btn", "kb_pro_key_import_btn",
     "kb_pro_key_export_btn", "kb_pro_key_reset_btn", "kb_pro_key_edit_btn",
     "kb_key_profile_edit", "kb_key_profile_edit_save_btn", "kb_key_profile_link_check",
     "kb_key_profile_link_btn", "kb_key_profile_link_edit", "kb_key_profile_link_name_hor",
     "", ""},
    {profile::ProfileListKind::mouseLighting,
     "ms_deng_profile_combo", "ms_deng_profile_name_edit", "ms_pro_deng_add_btn",
     "ms_pro_deng_sub_btn", "ms_pro_deng_copy_btn", "ms_pro_deng_import_btn",
     "ms_pro_deng_export_btn", "ms_pro_deng_reset_btn", "ms_pro_deng_edit_btn",
     "ms_deng_profile_edit", "ms_deng_profile_edit_save_btn", "ms_deng_profile_link_check",
     "ms_deng_profile_link_btn", "ms_deng_profile_link_edit", "ms_deng_profile_link_name_hor",
     "ms_profile_fun_spread_btn", "ms_profile_fun_spead_tab"},
    {profile::ProfileListKind::mouseKeys,
     "ms_key_profile_combo", "ms_key_profile_name_edit", "ms_pro_key_add_btn",
     "ms_pro_key_sub_btn", "ms_pro_key_copy_btn", "ms_pro_key_import_btn",
     "ms_pro_key_export_btn", "ms_pro_key_reset_btn", "ms_pro_key_edit_btn",
     "ms_key_profile_edit", "ms_key_profile_edit_save_btn", "ms_key_profile_link_check",
     "ms_key_profile_link_btn", "ms_key_profile_link_edit", "ms_key_profile_link_name_hor",
     "", ""},
    {profile::ProfileListKind::mousePadLighting,
     "mp_deng_profile_combo", "mp_deng_profile_name_edit", "mp_pro_deng_add_btn",
     "mp_pro_deng_sub_btn", "mp_pro_deng_copy_btn", "mp_pro_deng_import_btn",
     "mp_pro_deng_export_btn", "mp_pro_deng_reset_btn", "mp_pro_deng_edit_btn",
     "mp_deng_profile_edit", "mp_deng_profile_edit_save_btn", "mp_deng_profile_link_check",
     "mp_deng_profile_link_btn", "mp_deng_profile_link_edit", "mp_deng_profile_link_name_hor",
     "mp_profile_fun_spread_btn", "mp_profile_fun_spead_tab"},
}};

constexpr const ProfilePanelNames& profilePanelNames(profile::ProfileListKind kind) {
  return kProfilePanelNames[static_cast<std::size_t>(kind)];
}

}  // namespace varnacle::pages
