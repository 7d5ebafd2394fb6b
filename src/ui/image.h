#pragma once
// Rendering controls and windows to pixels, so tests read what would be on the
// screen without the toolkit.
//
// UI thread only.
#include <vector>

#include "ui/geometry.h"

namespace varnacle::ui {

class Control;
class Window;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;  // ARGB, row by row

  // The pixel at (x, y); 0 outside the image.
  Color at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Lays the control out at width x height (over a white background) and paints
// it with its children.
Image renderToImage(Control& control, int width, int height);
// The window's whole client area at its current size.
Image renderToImage(Window& window);

}  // namespace varnacle::ui
