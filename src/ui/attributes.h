#pragma once
// Reading attribute values of the layout format: colours, rectangles, numbers,
// flags and image descriptions. Plain functions, no toolkit.
#include <optional>
#include <string>
#include <string_view>

#include "ui/geometry.h"
#include "ui/painter.h"

namespace varnacle::ui {

// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB" or a decimal number.
std::optional<Color> parseColor(std::string_view text);
// A decimal integer with optional sign and surrounding blanks, nothing else.
std::optional<int> parseInt(std::string_view text);
// "true"/"false" (also "1"/"0"), case-insensitive.
std::optional<bool> parseBool(std::string_view text);
// "l,t,r,b" (blanks allowed).
std::optional<Rect> parseRect(std::string_view text);
std::optional<Edges> parseEdges(std::string_view text);
// "w,h".
std::optional<Size> parseSize(std::string_view text);
// "left", "center", "right", "top", "vcenter", "bottom" words joined by
// spaces or commas, into Align flags; missing directions keep `base`.
unsigned parseAlign(std::string_view text, unsigned base);

// An image description: "file='a/b.png' source='0,0,10,10' fade='128'" or a
// bare file name.
struct ImageDescription {
  std::string file;
  std::optional<Rect> source;  // part of the image to draw
  int fade = 255;              // opacity 0..255
  friend bool operator==(const ImageDescription&, const ImageDescription&) = default;
};
// Nothing for an empty description or one without a file.
std::optional<ImageDescription> parseImageDescription(std::string_view text);

bool equalsNoCase(std::string_view a, std::string_view b);
std::string toLower(std::string_view text);

}  // namespace varnacle::ui
