#pragma once
// The mouse lighting page's images: the top view of the mouse, its 20 light
// shapes, the check box marks and the direction arrows.
//
// The light shapes are drawn neutral grey so that the preview's tint gives
// them their colour; each is drawn into the box its light control occupies
// over the mouse picture (kMouseLightBoxes, the same numbers as the layout).
#include <array>

#include "skin_art.h"

namespace varnacle::tools {

// The mouse picture's size; the light boxes are relative to its top-left.
inline constexpr int kMouseWidth = 200;
inline constexpr int kMouseHeight = 340;

struct LightBox {
  int left, top, right, bottom;
};

// Light control n lies at box n ("ms_dkey_n" pos= in the layout). Along each
// side strip seven segments from front to back (left 0-6, right 7-13); down
// the middle the nose (19), the wheel (18) and the palm strip (14-17), so the
// seven light groups run as rows from the front of the mouse to its back.
inline constexpr std::array<LightBox, 20> kMouseLightBoxes = {{
    {12, 46, 50, 83},     {12, 83, 50, 117},    {12, 117, 50, 151},   {12, 151, 50, 185},
    {12, 185, 50, 219},   {12, 219, 50, 253},   {12, 253, 50, 292},   {150, 46, 188, 83},
    {150, 83, 188, 117},  {150, 117, 188, 151}, {150, 151, 188, 185}, {150, 185, 188, 219},
    {150, 219, 188, 253}, {150, 253, 188, 292}, {88, 164, 112, 196},  {88, 198, 112, 230},
    {88, 232, 112, 264},  {88, 266, 112, 298},  {88, 40, 112, 86},    {80, 6, 120, 26},
}};

// The page's images, in a fixed order.
std::vector<ArtFile> mouseLightingArt();

// The button page's pictures over the same mouse picture: for each of the
// seven buttons a normal and a hover ("down") image, drawn into the box its
// image control occupies (kMouseButtonBoxes, the same numbers as the layout,
// relative to the mouse picture's top-left).
inline constexpr std::array<LightBox, 7> kMouseButtonBoxes = {{
    {30, 4, 99, 130},     // left button
    {89, 38, 111, 88},    // wheel
    {101, 4, 170, 130},   // right button
    {14, 150, 32, 190},   // forward (side, front)
    {12, 194, 30, 234},   // back (side, rear)
    {92, 92, 108, 104},   // DPI up
    {92, 106, 108, 118},  // DPI down
}};
std::vector<ArtFile> mouseButtonArt();

}  // namespace varnacle::tools
