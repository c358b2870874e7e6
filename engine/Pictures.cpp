// Tile sets and sprite sheets as surfaces.
//
// Surfaces need the display, which is not built yet: the loaders open their
// file (so a missing file is told as such) and then report that no bitmap
// can be made.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "platform/Files.h"

#include <cstdio>

namespace {

int OpenOnly(const char* location, const char* name, const char* noBitmap) {
    char path[5 + 64];
    std::snprintf(path, sizeof(path), "data\\%s", name);
    platform::File* file = platform::FileOpenRead(path);
    if (!file) {
        FillError2(&gErrorInfo, kErrorFatal, "Layers", location, "Unable to open ", name);
        return 0;
    }
    platform::FileClose(file);
    FillError(&gErrorInfo, kErrorFatal, "Layers", location, noBitmap);
    return 0;
}

} // namespace

platform::Surface* GetSurfaceFromBitmap(platform::Bitmap*, int) {
    FillError(&gErrorInfo, kErrorFatal, "Layers", "GetSurfaceFromBitmap()",
              "Unable to create off screen surface!");
    return nullptr;
}

int LoadTileSet(TileSet* tileSet) {
    return OpenOnly("LoadTileSet()", tileSet->fileName, "Unable to create tile set bitmap!");
}

int LoadSprite(Sprite* sprite, int) {
    return OpenOnly("LoadSprite()", sprite->sheetFile, "Unable to create sprite bitmap!");
}
