// Movies of cutscene pages.
#pragma once

#include <cstdint>

enum : uint32_t { kCutsceneLoop = 0x1, kCutsceneDouble = 0x2, kCutsceneCentre = 0x4 };

int CutsceneEngine(const char* fileName, uint32_t flags, uint32_t width, uint32_t height,
                   uint32_t colourDepth, uint32_t skipKey1, uint32_t skipKey2);

namespace platform {
class Display;
class MultiMediaStream;
} // namespace platform

// Opens a movie file as a multimedia stream bound to the display; the
// caller releases it. kFail after filling the error record.
int32_t RenderFileToMMStream(const char* fileName, platform::MultiMediaStream** streamOut,
                             platform::Display* directDraw);
// Plays the stream on a primary surface of its own until it ends, loops or
// is skipped; kOk, or kFail after filling the error record.
int32_t RenderStreamToSurface(platform::MultiMediaStream* stream, uint32_t flags, uint32_t skipKey1,
                              uint32_t skipKey2, platform::Display* directDraw);
