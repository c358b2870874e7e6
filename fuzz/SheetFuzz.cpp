// Tile sets and sprite sheets: the first byte picks the kind (and for sprite
// sheets the reload path), the rest is the file. What loads is drawn as a
// level draws it, every tile and frame the file claims.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/LevelDraw.h"
#include "engine/VraskUtils.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Display.h"
#include "platform/Gdi.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kCells = 8;

void DrawTileSet(TileSet* tileSet) {
    Layer layer{};
    layer.tileWidth = tileSet->tileWidth;
    layer.tileHeight = tileSet->tileHeight;
    layer.columns = kCells;
    layer.rows = kCells;
    uint16_t map[kCells * kCells];
    for (uint32_t i = 0; i < kCells * kCells; ++i)
        map[i] = uint16_t(1u << 13 | ((i * 37) & 0x1FFF));
    layer.tileMap.ptr = map;
    layer.tileSets[1] = tileSet;
    DrawLayer(&layer, 640, 480);
    layer.opaque = 1;
    layer.scrollSubX = int32_t(tileSet->tileWidth / 2);
    DrawLayer(&layer, 640, 480);
}

void DrawSprite(Sprite* sprite) {
    Layer layer{};
    layer.tileWidth = 16;
    layer.tileHeight = 16;
    SpriteInstance instances[4]{};
    const uint32_t frames[4] = {0, 1, sprite->frameCount ? sprite->frameCount - 1 : 0,
                                sprite->frameCount};
    const int32_t places[4][2] = {{0, 0}, {-5, -7}, {630, 470}, {100, 100}};
    for (int i = 0; i < 4; ++i) {
        instances[i].frame = frames[i];
        instances[i].visible = 1;
        instances[i].x = places[i][0];
        instances[i].y = places[i][1];
        if (i < 3)
            instances[i].next.ptr = &instances[i + 1];
    }
    sprite->instances.ptr = instances;
    layer.sprites.ptr = sprite;
    DrawLayer(&layer, 640, 480);
    sprite->instances.ptr = nullptr;
}

void Release(platform::Surface** surface, platform::Bitmap** bitmap) {
    if (*surface)
        (*surface)->Release();
    if (*bitmap)
        platform::DeleteObject(*bitmap);
    *surface = nullptr;
    *bitmap = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("sheet");
    if (size < 1 || !fuzz::Display(640, 480, 16))
        return 0;
    uint8_t kind = data[0];
    fuzz::WriteFile("data/sheet.bin", data + 1, size - 1);
    gErrorInfo = ErrorInfo{};
    if (kind & 1) {
        Sprite sprite{};
        std::strcpy(sprite.sheetFile, "sheet.bin");
        if (LoadSprite(&sprite, kind & 2 ? 1 : 0) == 1) {
            DrawSprite(&sprite);
            if (kind & 4)
                ReLoadSprite(&sprite);
        }
        Release(&sprite.surface, &sprite.bitmap);
        std::free(sprite.frames.block);
    } else {
        TileSet tileSet{};
        std::strcpy(tileSet.fileName, "sheet.bin");
        if (LoadTileSet(&tileSet) == 1)
            DrawTileSet(&tileSet);
        Release(&tileSet.surface, &tileSet.bitmap);
    }
    gErrorInfo = ErrorInfo{};
    return 0;
}
