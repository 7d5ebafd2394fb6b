#pragma once
// The mouse pad page's images: the pad seen from above and its 15 light
// strips, drawn neutral grey so that the preview's tint gives them their
// colour. Each strip is drawn into the box its light control occupies over
// the pad picture (kPadLightBoxes, the same numbers as the layout).
#include <array>
#include <vector>

#include "mouse_art.h"
#include "skin_art.h"

namespace varnacle::tools {

// The pad picture's size; the light boxes are relative to its top-left.
inline constexpr int kPadWidth = 200;
inline constexpr int kPadHeight = 260;

// Light control n lies at box n ("mp_dkey_n" pos= in the layout): 0-4 down
// the left edge, 5-9 along the bottom edge from left to right, 10-14 up the
// right edge.
inline constexpr std::array<LightBox, 15> kPadLightBoxes = {{
    {4, 14, 20, 54},      {4, 58, 20, 98},      {4, 102, 20, 142},    {4, 146, 20, 186},
    {4, 190, 20, 230},    {24, 238, 52, 254},   {55, 238, 83, 254},   {86, 238, 114, 254},
    {117, 238, 145, 254}, {148, 238, 176, 254}, {180, 190, 196, 230}, {180, 146, 196, 186},
    {180, 102, 196, 142}, {180, 58, 196, 98},   {180, 14, 196, 54},
}};

std::vector<ArtFile> padLightingArt();

}  // namespace varnacle::tools
