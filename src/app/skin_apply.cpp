#include "app/skin_apply.h"

#include "profile/ini_store.h"
#include "profile/paths.h"

namespace varnacle::app {

namespace {

std::filesystem::path settingsFile() {
  return profile::fileIn(profile::BaseFolder(), kSkinSettingsFile);
}

}  // namespace

bool applySkin(ui::Window& window, const SkinChangedParam& param) {
  ui::Control* root = window.findControl("root");
  if (!root) return false;
  if (param.isColor) {
    root->setBkColor(param.color);
    root->setBkImage({});
  } else {
    root->setBkColor(0);
    root->setBkImage(param.image);
  }
  return true;
}

std::optional<std::string> storedSkinImage() {
  const profile::IniDocument ini = profile::loadIniFile(settingsFile());
  if (ini.getInt(kSkinSection, kSkinFlagsKey) != 1) return std::nullopt;
  // A remembered choice without an image would wipe the layout's background.
  std::string image = ini.get(kSkinSection, kSkinImageKey, "");
  if (image.empty()) return std::nullopt;
  return image;
}

bool storeSkinImage(std::string_view image, bool remembered) {
  return profile::updateIniFile(settingsFile(), [&](profile::IniDocument& ini) {
    ini.set(kSkinSection, kSkinFlagsKey, remembered ? "1" : "0");
    ini.set(kSkinSection, kSkinImageKey, image);
  });
}

bool applyStoredSkin(ui::Window& window) {
  const std::optional<std::string> image = storedSkinImage();
  return image && applySkin(window, SkinChangedParam{false, 0, *image});
}

}  // namespace varnacle::app
