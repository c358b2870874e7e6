// Levels for the player brain, made with the game-data tools: a main layer
// named after a known level (16 x 16 tiles, a collision mask of four tiles),
// the helper's layer after it with the status display, one sprite sheet of
// 56 frames for everything, the game's brains and their sounds, and a brain
// that watches the player every frame.
#pragma once

#include "brains/PlayerWatch.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/WavData.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace pimbreltest {

// Mask tiles, by the tile number a cell holds: 1 and 2 solid, 3 clear, 4
// solid in its lower half only.
constexpr uint32_t Cell(uint32_t cls, uint32_t tile = 1, uint32_t hazard = 0) {
    return (hazard << 21) | (cls << 17) | tile;
}
constexpr uint32_t kAir = Cell(15, 0);
constexpr uint32_t kFloor = Cell(1);
constexpr int kFrameWidth = 48, kFrameHeight = 32; // walk box 16..32 x 0..32
constexpr int kStep = 4;

struct Map {
    int columns, rows;
    std::vector<uint32_t> cells;
    Map(int c, int r) : columns(c), rows(r), cells(size_t(c) * r, kAir) {}
    void Set(int row, int fromColumn, int toColumn, uint32_t cell) {
        for (int c = fromColumn; c <= toColumn; ++c)
            cells[size_t(row) * columns + c] = cell;
    }
};

inline gamedata::SpriteDesc Sprite(const std::string& name, const std::string& brain,
                                   std::vector<std::pair<int, int>> at, uint32_t frame = 0) {
    gamedata::SpriteDesc s{.name = name, .sheetFile = "p.spr", .brainFile = brain};
    for (auto [x, y] : at)
        s.instances.push_back({.frame = frame, .locations = {{uint32_t(x), uint32_t(y)}}});
    return s;
}

// The level: the player at (x, y) and `extra` sprites on the main layer; the
// watch ends it after `frames` player Thinks (0: never).
inline gamedata::LevelFileDesc Level(const Map& map, int x, int y,
                                     std::vector<gamedata::SpriteDesc> extra = {},
                                     uint32_t frames = 0, const std::string& name = "LA Main") {
    gamedata::LevelFileDesc d;
    d.screenWidth = 320;
    d.screenHeight = 240;
    d.colourDepth = 16;
    d.musicWave = "music.wav";
    gamedata::LayerDesc main{.name = name,
                             .stepX = kStep,
                             .stepY = kStep,
                             .isMainLayer = 1,
                             .hasMask = 1,
                             .maskStride = 4,
                             .columns = uint32_t(map.columns),
                             .rows = uint32_t(map.rows),
                             .tileWidth = 16,
                             .tileHeight = 16};
    main.tileSets = {{"t.til", 1}};
    for (uint32_t cell : map.cells)
        main.tileMap.push_back(cell == kAir ? 0 : uint16_t(0x2000 | ((cell >> 17) % 4 + 1)));
    main.maskData = map.cells;
    gamedata::SpriteDesc player = Sprite("Tolwick", "Pimbrel.dll", {{x, y}});
    player.isPlayer = 1;
    gamedata::SpriteDesc watch = Sprite("watch", "PlayerWatch.dll", {{0, 0}});
    watch.spriteParam3 = frames;
    main.sprites = {player, Sprite("ora", "", {{0, 0}})};
    main.sprites.insert(main.sprites.end(), extra.begin(), extra.end());
    main.sprites.push_back(watch);

    gamedata::LayerDesc sky{
        .name = "Sky", .columns = 20, .rows = 15, .tileWidth = 16, .tileHeight = 16};
    sky.tileSets = {{"t.til", 1}};
    sky.tileMap.assign(20 * 15, 0);
    std::vector<std::pair<int, int>> digits, lives;
    for (int n = 0; n < 9; ++n)
        digits.push_back({200 - 12 * n, 4});
    for (int n = 0; n < 5; ++n)
        lives.push_back({4 + 12 * n, 200});
    sky.sprites = {Sprite("Helper", "", {{100, 100}}),   Sprite("Spirit", "", {{0, 0}}),
                   Sprite("Health Meter", "", {{4, 4}}), Sprite("Lives", "", lives),
                   Sprite("Digits", "", digits),         Sprite("Tool Icon", "", {{250, 4}})};
    d.layers = {main, sky};
    return d;
}

inline bool WriteSound(const std::string& name, double seconds) {
    gamedata::WavDesc wav;
    wav.channels = 1;
    wav.rate = 22050;
    wav.samples.assign(size_t(22050 * seconds) * 2, 0x11);
    return gamedata::WriteFile("data/" + name, gamedata::BuildWav(wav));
}

// The sheet, tiles, mask, sounds and brains of the level named `name`.
inline bool WriteData(const std::string& name = "LA Main") {
    namespace fs = std::filesystem;
    bool ok = true;
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = kFrameWidth;
    sheet.frameHeight = kFrameHeight;
    sheet.framesPerRow = 8;
    sheet.bitmap.width = 8 * kFrameWidth;
    sheet.bitmap.height = 7 * kFrameHeight;
    sheet.bitmap.pixels =
        gamedata::DibRows(8 * kFrameWidth, 7 * kFrameHeight, 16, [](int x, int y) -> uint32_t {
            int frame = (y / kFrameHeight) * 8 + x / kFrameWidth;
            int fx = x % kFrameWidth;
            return fx < 16 || fx >= 32 ? 0
                                       : uint32_t(((frame % 31) + 1) << 10 | (fx & 31) << 5 | 9);
        });
    sheet.frames.assign(56, gamedata::FrameDesc{{{16, 0, 32, 32, 0}}});
    ok &= gamedata::WriteFile("data/p.spr", gamedata::BuildSpriteSheetFile(sheet));
    // The same pictures with three boxes to a frame.
    sheet.frames.assign(
        56, gamedata::FrameDesc{{{16, 0, 32, 32, 0}, {16, 0, 32, 16, 0}, {16, 16, 32, 32, 0}}});
    ok &= gamedata::WriteFile("data/three.spr", gamedata::BuildSpriteSheetFile(sheet));

    gamedata::TileSetFileDesc tiles;
    tiles.tileWidth = tiles.tileHeight = 16;
    tiles.tilesAcross = 4;
    tiles.bitmap.width = 64;
    tiles.bitmap.height = 16;
    tiles.bitmap.pixels = gamedata::DibRows(64, 16, 16, [](int x, int y) {
        return uint32_t((x / 16 * 7 + 3) << 10 | (x % 16 + 1) << 5 | (y + 1));
    });
    ok &= gamedata::WriteFile("data/t.til", gamedata::BuildTileSetFile(tiles));

    gamedata::BmpFileDesc mask;
    mask.width = 64;
    mask.height = -16;
    mask.bitCount = 1;
    mask.palette = {0, 0xFFFFFF};
    mask.pixels = gamedata::DibRows(
        64, 16, 1, [](int x, int y) { return uint32_t(x < 32 || (x >= 48 && y >= 8)); }, true);
    ok &= gamedata::WriteFile("data/" + name + "1.msk", gamedata::BuildBmpFile(mask));

    for (int n = 4; n <= 21; ++n) {
        char file[16];
        std::snprintf(file, sizeof(file), "QEXASW.%03d", n);
        ok &= WriteSound(file, n == 11 ? 0.5 : n == 13 ? 1.0 : 0.1);
    }
    ok &= WriteSound("QEXDSW.000", 2.0); // the helper's voice on "LA Main"
    ok &= WriteSound("QEXFSW.001", 2.0); // and on "UCB Main"
    ok &= WriteSound("QEXHSW.000", 2.0); // and on "CA Main"
    for (const char* file : {"QEXDSW.006", "QEXDSW.007", "QEXDSW.008", "QEXDSW.009"})
        ok &= WriteSound(file, 0.2);

    std::error_code error;
    for (const char* brain : {"Pimbrel", "Grumet", "Medrin", "Vitrel", "Gadrik", "Spadon",
                              "Trinzel", "Portavo", "Aegrim"})
        fs::copy_file(std::string(VRASK_DATA_DIR) + "/" + brain + ".so",
                      std::string("data/") + brain + ".so", fs::copy_options::overwrite_existing,
                      error),
            ok &= !error;
    fs::copy_file(std::string(TEST_BRAIN_DIR) + "/PlayerWatch.so", "data/PlayerWatch.so",
                  fs::copy_options::overwrite_existing, error);
    return ok && !error;
}

// An input script from (key, first read, last read held) presses.
struct Press {
    const char* key;
    int from, to;
};
inline std::string Script(std::vector<Press> presses) {
    std::string text = "# keys\n";
    for (const Press& p : presses)
        text += std::to_string(p.from) + " down " + p.key + "\n" + std::to_string(p.to + 1) +
                " up " + p.key + "\n";
    return text;
}

// The whole level: tools, a goodie and an extra life on the way to a foe
// waiting in a pit, a checkpoint before a hazard, a medkit, a ladder, a bounce
// pad, an invincibility, the home teleporter back to the start, and the exit
// beside the start. Also a numbered teleporter and a shovel out of the way.
inline gamedata::LevelFileDesc FullLevel(uint32_t frames) {
    Map map(64, 30);
    map.Set(27, 0, 63, kFloor);
    map.Set(27, 20, 21, kAir); // the pit
    map.Set(28, 20, 20, Cell(2));
    map.Set(28, 21, 21, Cell(3));
    map.Set(29, 19, 22, kFloor);
    map.Set(27, 30, 31, Cell(1, 1, 2)); // the hazard
    for (int row = 20; row <= 27; ++row)
        map.Set(row, 36, 36, Cell(5, 1)); // a ladder
    map.Set(26, 40, 41, Cell(10));        // a bounce pad
    auto gem = Sprite("gem", "Trinzel.dll", {{240, 400}});
    gem.points = 100;
    auto foe = Sprite("grumet", "Grumet.dll", {{304, 432}});
    foe.points = 50;
    auto tools = Sprite("spanner", "Gadrik.dll", std::vector<std::pair<int, int>>(20, {200, 400}));
    std::vector<gamedata::SpriteDesc> extra = {
        Sprite("Continue", "", {{120, 400}}, 2),
        tools,
        gem,
        Sprite("heart", "Vitrel.dll", {{260, 400}}),
        foe,
        Sprite("Continue", "", {{420, 400}}),
        Sprite("medkit", "Medrin.dll", {{560, 400}}),
        Sprite("shield", "Aegrim.dll", {{760, 400}}),
        Sprite("Home Teleporter", "Portavo.dll", {{840, 400}}),
        Sprite("Teleport", "Portavo.dll", {{960, 400}}),
        Sprite("shovel", "Spadon.dll", {{980, 400}}),
    };
    gamedata::LevelFileDesc d = Level(map, 64, 400, extra, frames);
    d.screenWidth = 640;
    d.screenHeight = 480;
    return d;
}

} // namespace pimbreltest
