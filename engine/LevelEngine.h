// Level set-up with the brain host, the level main loop and tear-down.
#pragma once

#include "common/Level.h"

#include <cstdint>

// Set by LevelInit, read by the main loop.
extern Sprite* gPlayerSprite;
extern Layer* gMainLayer;

int LevelInit();
int LevelEngine();
void LevelTeardown();

// Places every layer for a camera position in pixels of the main layer: each
// layer moves its own step for every step of the main layer.
void SetLayerScroll(int32_t cameraX, int32_t cameraY);

// Snaps the player's first instance to the step grid of `layer` and gives
// the camera that shows it centred, clamped to the layer's scroll limits.
void CentreCameraOnPlayer(Layer* layer, int32_t* cameraX, int32_t* cameraY);
