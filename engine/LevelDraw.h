// Drawing of one layer of a running level into the back buffer.
#pragma once

#include "common/Level.h"

#include <cstdint>

// Draws the layer's visible tiles, then its sprites (platforms, regular,
// player), at the layer's scroll position. Opaque layers copy, the others
// leave the source colour key out.
void DrawLayer(Layer* layer, uint32_t screenWidth, uint32_t screenHeight);
