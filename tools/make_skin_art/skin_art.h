#pragma once
// The skin's own images, drawn in code: the default and the offered main
// window backgrounds with their thumbnails, the title-bar buttons, the program
// icon, the device tab images and the background chooser's page buttons and
// swatch frame. One accent colour (0xFF0199CB) throughout.
#include <QImage>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace varnacle::tools {

struct ArtFile {
  std::string path;  // relative to the skin folder
  std::function<QImage()> draw;
  // Also drawn at twice the size as "<name>@2x.png" for displays scaled
  // beyond 100 %.
  bool doubled = true;
};

// The name of the double-size file of a skin image ("a/b.png" -> "a/b@2x.png").
std::string doubledName(const std::string& path);

// Every generated image, in a fixed order.
std::vector<ArtFile> skinArt();

// The program icon (the skin's common/icon.png) at `size` x `size` pixels, and
// as a scalable image written to `file` (false when it cannot be written).
QImage programIconImage(int size);
bool writeProgramIconSvg(const QString& file);

}  // namespace varnacle::tools
