// Tile-set and sprite-sheet files: reading and checking them, and turning
// their pixels into a device-independent section.
#pragma once

#include "common/Level.h"

#include <cstdint>
#include <vector>

namespace platform {
class Bitmap;
}

enum class SheetKind { kTileSet, kSprite };

struct SheetFile {
    std::vector<uint8_t> bytes;
    uint32_t header[8]; // the 32-byte header, as words
    int32_t width, height;
    uint16_t planes, bitCount;
    size_t pixelAt;
    uint32_t pixelSize;
    size_t framesAt; // sprite sheets: where the frame records start
};

// What a loader says when a step fails (source and location included).
struct SheetMessages {
    const char* source;
    const char* location;
    const char* what;     // "tile set", "sprite sheet": named in refusals
    const char* noPixels; // pixel buffer
    const char* noFrames; // frame-bounds array (sprites loaded with frames)
    const char* noInfo;   // bitmap-info block
    const char* noBitmap; // DIB section
};

// Opens "data\" + fileName, checks the header against the file, reads the
// pixels (and, when `frames` is given, the frame records into a new array)
// and builds the section. Null after filling gErrorInfo.
platform::Bitmap* LoadSheetBitmap(const char* fileName, SheetKind kind, const SheetMessages& say,
                                  PtrPair<FrameRecord>* frames, SheetFile* out);
