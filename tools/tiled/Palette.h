// The tile set a collision layer is painted with: 64 tiles of 16 x 16, tile
// = hazard x 16 + class, each class its own colour, each hazard a red
// checkered border as wide as twice the hazard, class 15 (air) clear.
#pragma once

#include "tools/tiled/Images.h"

namespace tiled {

Image CollisionPalette();

} // namespace tiled
