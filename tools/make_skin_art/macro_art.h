#pragma once
// The macro pages' images: the marks of a step row's state label, an arrow
// down for a press and an arrow up for a release.
#include <vector>

#include "skin_art.h"

namespace varnacle::tools {

std::vector<ArtFile> macroArt();

}  // namespace varnacle::tools
