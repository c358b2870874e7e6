// The crafted level the loop tests and the level driver share: pictures
// whose every pixel tells where it came from, and a two-layer level.
#pragma once

#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <cstdint>
#include <string>

namespace leveltest {

// 5-5-5 pixels of the crafted pictures; black is the colour key.
// Main tile set: four 16 x 16 tiles, each pixel telling tile, column and
// row; tile 3 has a transparent stripe on its left.
inline uint32_t MainTilePixel(int x, int y) {
    int tile = x / 16, px = x % 16;
    if (tile == 3 && px < 3)
        return 0;
    return uint32_t(((tile * 7 + 3) & 31) << 10 | (px + 1) << 5 | (y + 1));
}
inline uint32_t BackTilePixel(int x, int y) {
    return uint32_t(20 << 10 | (y + 5) << 5 | (x + 5));
}
// Sprite sheet: 8 x 8 frames, two across, four places of which the sheet
// names three; the top-left pixel of every frame is transparent.
inline uint32_t SpritePixel(int x, int y) {
    int frame = (y / 8) * 2 + x / 8, fx = x % 8, fy = y % 8;
    if (fx == 0 && fy == 0)
        return 0;
    return uint32_t((10 + frame * 5) << 10 | (fx + 8) << 5 | (fy + 16));
}

inline gamedata::SpriteDesc SpriteOf(const std::string& name, const std::string& brain,
                                     int32_t x = 0, int32_t y = 0) {
    gamedata::SpriteDesc s{.name = name, .sheetFile = "s.spr", .brainFile = brain};
    s.instances.push_back({.locations = {{uint32_t(x), uint32_t(y)}}});
    return s;
}

// A 56 x 40 level at 16 bits: an opaque background layer of one tile and a
// keyed main layer of 5 x 4 cells with the player.
inline gamedata::LevelFileDesc CraftedLevel(const gamedata::SpriteDesc& player) {
    gamedata::LevelFileDesc d;
    d.screenWidth = 56;
    d.screenHeight = 40;
    d.colourDepth = 16;
    d.musicWave = "music.wav";
    gamedata::LayerDesc back{.name = "Back",
                             .stepX = 1,
                             .stepY = 1,
                             .opaque = 1,
                             .columns = 10,
                             .rows = 10,
                             .tileWidth = 16,
                             .tileHeight = 16};
    back.tileSets = {{"bg.til", 1}};
    back.tileMap.assign(100, 0x2001);
    gamedata::LayerDesc main{.name = "Main",
                             .stepX = 4,
                             .stepY = 2,
                             .isMainLayer = 1,
                             .columns = 5,
                             .rows = 4,
                             .tileWidth = 16,
                             .tileHeight = 16};
    main.tileSets = {{"main.til", 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            main.tileMap.push_back(uint16_t(0x2000 | ((r * 5 + c) % 4 + 1)));
    main.sprites = {player};
    d.layers = {back, main};
    return d;
}

// Writes data/main.til, data/bg.til and data/s.spr.
inline bool WriteCraftedPictures() {
    bool ok = true;
    gamedata::TileSetFileDesc main;
    main.tileWidth = 16;
    main.tileHeight = 16;
    main.tilesAcross = 4;
    main.bitmap.width = 64;
    main.bitmap.height = 16;
    main.bitmap.pixels = gamedata::DibRows(64, 16, 16, MainTilePixel);
    ok &= gamedata::WriteFile("data/main.til", gamedata::BuildTileSetFile(main));
    gamedata::TileSetFileDesc back = main;
    back.tilesAcross = 1;
    back.bitmap.width = 16;
    back.bitmap.pixels = gamedata::DibRows(16, 16, 16, BackTilePixel);
    ok &= gamedata::WriteFile("data/bg.til", gamedata::BuildTileSetFile(back));
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = 8;
    sheet.frameHeight = 8;
    sheet.framesPerRow = 2;
    sheet.bitmap.width = 16;
    sheet.bitmap.height = 16;
    sheet.bitmap.pixels = gamedata::DibRows(16, 16, 16, SpritePixel);
    sheet.frames.assign(3, gamedata::FrameDesc{{{0, 0, 8, 8, 0}}});
    ok &= gamedata::WriteFile("data/s.spr", gamedata::BuildSpriteSheetFile(sheet));
    return ok;
}

} // namespace leveltest
