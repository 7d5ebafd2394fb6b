#pragma once
// The main window's background: applying a change to its "root" control, and
// the choice remembered in "main.ini" (section "SKINIMAGE") for the next start.
//
//   FLAGS = 1, IMAGE = <image>   an offered image was chosen: shown again at start
//   FLAGS = 0                    reset: the layout's own background stays
//   (colours and custom files are never remembered)
//
// UI thread only (the stored choice itself may be read and written from any
// thread; the settings store locks the file).
#include <optional>
#include <string>
#include <string_view>

#include "app/skin_observer.h"
#include "ui/window.h"

namespace varnacle::app {

// The settings file, its section and keys.
inline constexpr std::string_view kSkinSettingsFile = "main.ini";
inline constexpr std::string_view kSkinSection = "SKINIMAGE";
inline constexpr std::string_view kSkinFlagsKey = "FLAGS";
inline constexpr std::string_view kSkinImageKey = "IMAGE";
// The image the reset shows and remembers.
inline constexpr std::string_view kDefaultSkinImage = "common/background.png";

// The receiver's reaction: on "root" of `window`, a colour becomes the
// background colour with no image; an image becomes the background image with
// no colour. False (and nothing changes) when the window has no "root".
bool applySkin(ui::Window& window, const SkinChangedParam& param);

// The image remembered for the next start, or nothing when "FLAGS" is not 1
// or no image is named.
std::optional<std::string> storedSkinImage();
// Remembers an offered image (FLAGS 1) or a reset to `image` (FLAGS 0) in one
// replacement of the file. False when the file could not be written (the
// reason is in the debug output; the old file stays as it was).
bool storeSkinImage(std::string_view image, bool remembered);

// Start-up: shows the remembered image on "root" as applySkin() would. False
// when nothing is remembered or the window has no "root".
bool applyStoredSkin(ui::Window& window);

}  // namespace varnacle::app
