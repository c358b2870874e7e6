// Movies of cutscene pages.
#pragma once

#include <cstdint>

enum : uint32_t { kCutsceneLoop = 0x1, kCutsceneDouble = 0x2, kCutsceneCentre = 0x4 };

int CutsceneEngine(const char* fileName, uint32_t flags, uint32_t width, uint32_t height,
                   uint32_t colourDepth, uint32_t skipKey1, uint32_t skipKey2);
