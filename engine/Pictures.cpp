// Tile sets and sprite sheets as off-screen surfaces with a black colour key.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/SheetFiles.h"
#include "platform/Display.h"
#include "platform/Gdi.h"

namespace {

void LayersError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "Layers", location, message);
}

// Black is transparent in keyed blits.
int SetBlackKey(platform::Surface* surface) {
    platform::ColorKey key{0, 0};
    if (surface->SetColorKey(platform::DDCKEY_SRCBLT, &key) != platform::kOk) {
        FillError(&gErrorInfo, kErrorFatal, "LevelEngine", "LevelInit()",
                  "Unable to set color key on back surface!");
        return 0;
    }
    return 1;
}

} // namespace

platform::Surface* GetSurfaceFromBitmap(platform::Bitmap* bitmap, int systemMemory) {
    const char* kLocation = "GetSurfaceFromBitmap()";
    platform::BitmapDesc bm{};
    platform::GetObject(bitmap, sizeof(bm), &bm);

    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN;
    if (systemMemory == 1)
        desc.caps |= platform::DDSCAPS_SYSTEMMEMORY;
    desc.width = bm.width > 0 ? uint32_t(bm.width) : 0;
    desc.height = bm.height > 0 ? uint32_t(bm.height) : 0;
    platform::Surface* surface = nullptr;
    if (!gDisplay.display ||
        gDisplay.display->CreateSurface(&desc, &surface, nullptr) != platform::kOk) {
        LayersError(kLocation, "Unable to create off screen surface!");
        return nullptr;
    }
    platform::DeviceContext* memory = platform::CreateCompatibleDC(nullptr);
    if (!memory) {
        surface->Release();
        LayersError(kLocation, "Unable to create compatible DC!");
        return nullptr;
    }
    platform::Bitmap* previous = platform::SelectObject(memory, bitmap);
    if (!previous) {
        platform::DeleteDC(memory);
        surface->Release();
        LayersError(kLocation, "Unable to select bitmap into DC!");
        return nullptr;
    }
    platform::DeviceContext* target = nullptr;
    if (surface->GetDC(&target) != platform::kOk) {
        platform::SelectObject(memory, previous);
        platform::DeleteDC(memory);
        surface->Release();
        LayersError(kLocation, "Unable to get DC from surface!");
        return nullptr;
    }
    platform::BitBlt(target, 0, 0, bm.width, bm.height, memory, 0, 0, platform::SRCCOPY);
    surface->ReleaseDC(target);
    platform::SelectObject(memory, previous);
    platform::DeleteDC(memory);
    return surface;
}

int LoadTileSet(TileSet* tileSet) {
    static const SheetMessages kSay = {"Layers",
                                       "LoadTileSet()",
                                       "tile set",
                                       "Unable to allocate memory for tile data!",
                                       nullptr,
                                       "Unable to allocate memory for bitmap info!",
                                       "Unable to create tile set bitmap!"};
    SheetFile sheet;
    tileSet->bitmap =
        LoadSheetBitmap(tileSet->fileName, SheetKind::kTileSet, kSay, nullptr, &sheet);
    if (!tileSet->bitmap)
        return 0;
    tileSet->surface = GetSurfaceFromBitmap(tileSet->bitmap, 0);
    if (!tileSet->surface || !SetBlackKey(tileSet->surface))
        return 0;
    // As the record says: what the tiles cover, not the picture's size.
    tileSet->bitmapWidth = sheet.header[1] * sheet.header[3];
    tileSet->bitmapHeight = sheet.header[2] * sheet.header[4];
    tileSet->tilesAcross = sheet.header[3];
    tileSet->tilesDown = sheet.header[4];
    tileSet->tileWidth = sheet.header[1];
    tileSet->tileHeight = sheet.header[2];
    platform::DeleteObject(tileSet->bitmap);
    tileSet->bitmap = nullptr;
    return 1;
}

int LoadSprite(Sprite* sprite, int systemMemory) {
    static const SheetMessages kSay = {"Layers",
                                       "LoadSprite()",
                                       "sprite sheet",
                                       "Unable to allocate sprite memory",
                                       "Unable to allocate sprite bounding box memory",
                                       "Unable to allocate memory for bitmap info!",
                                       "Unable to create sprite bitmap!"};
    SheetFile sheet;
    sprite->bitmap =
        LoadSheetBitmap(sprite->sheetFile, SheetKind::kSprite, kSay, &sprite->frames, &sheet);
    if (!sprite->bitmap)
        return 0;
    sprite->surface = GetSurfaceFromBitmap(sprite->bitmap, systemMemory);
    if (!sprite->surface || !SetBlackKey(sprite->surface))
        return 0;
    sprite->framesPerRow = sheet.header[4];
    sprite->sheetValue = sheet.header[5];
    sprite->frameCount = sheet.header[3];
    sprite->frameWidth = sheet.header[1];
    sprite->frameHeight = sheet.header[2];
    platform::DeleteObject(sprite->bitmap);
    sprite->bitmap = nullptr;
    return 1;
}
