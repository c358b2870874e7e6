// The demo game's pictures, drawn by code: the terrain and its collision
// masks, the parallax backgrounds, the hero, the foes, the pickups and the
// status display. Each is a Tiled tile set: a picture cut into equal tiles,
// with per-tile collision boxes and properties, written as a BMP and a .tsx
// that the demo's maps name and the level importer reads.
#pragma once

#include "demo/art/Canvas.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace demo {

struct TileSheet {
    std::string name; // the tile set's name; its files are <name>.bmp and <name>.tsx
    int tileWidth = 16, tileHeight = 16, columns = 1, count = 1;
    Canvas picture{1, 1};
    // Per tile: collision boxes (left, top, right, bottom in the tile) and
    // int properties ("class", "hazard").
    std::map<int, std::vector<std::array<int, 4>>> boxes;
    std::map<int, std::map<std::string, int>> tileInts;
    // Tile set properties (brain, points, isPlayer, isPlatform).
    std::map<std::string, std::string> strings;
    std::map<std::string, int> ints;
    std::map<std::string, bool> bools;
};

// Terrain tiles of the main and foreground layers, by tile number.
enum Terrain {
    kGrass = 0,     // floor on top of the ground
    kDirt = 1,      // floor and wall
    kStone = 2,     // floor and wall
    kStoneRoof = 3, // stops a jump at the head
    kPlank = 4,     // floor that a jump passes up through
    kLadder = 5,
    kLadderPlank = 6, // a ladder's top through a plank floor
    kBouncePad = 7,
    kSpikes = 8, // hazard class 1
    kLava = 9,   // hazard class 3
    kFlowers = 10,
    kBush = 11,
    kGrassTuft = 12,
    kDirtStones = 13,
    kPanel = 14, // the status bar's backing
    kSign = 15,
    kTerrainCount = 16,
};

TileSheet TerrainTiles();
TileSheet MaskTiles(); // tile 0 solid, tile 1 empty
// Parallax pictures, cut into 32 x 32 tiles, of the given size in pixels.
TileSheet FarBackground(const std::string& name, int width, int height, uint32_t sky,
                        uint32_t hills, double seed);
TileSheet NearBackground(const std::string& name, int width, int height, uint32_t trees,
                         double seed);

TileSheet HeroSheet();          // the player: 56 frames of 48 x 48
TileSheet AuraSheet();          // "ora": 0 hurt flash, 3 to 5 invincible glow
TileSheet HelperSheet();        // the helper fairy, 4 frames
TileSheet SpiritSheet();        // the rising spirit of a lost life
TileSheet WalkerSheet();        // a walking foe: 0-7 right, 8-15 left, 16 dead
TileSheet BossSheet();          // the same poses, larger
TileSheet ShovelSheet();        // the digging shovel, 4 frames
TileSheet GoodieSheet();        // a gem: spinning, last frame the collected sparkle
TileSheet ToolSheet();          // a spanner
TileSheet HealthSheet();        // a heart
TileSheet LifeSheet();          // a little hero head
TileSheet InvincibilitySheet(); // a star
TileSheet TeleportSheet(const std::string& name, uint32_t colour);
TileSheet CheckpointSheet();  // 0 flag down, 1 flag up, 2 exit door
TileSheet PlatformSheet();    // a floating stone slab
TileSheet HealthMeterSheet(); // frame n: health 100 - 10 n
TileSheet LivesSheet();
TileSheet DigitsSheet();
TileSheet ToolIconSheet();

// Every tile set the demo's maps use.
std::vector<TileSheet> AllSheets();

// The .tsx text of a sheet whose picture is <name>.bmp beside it.
std::string TileSetXml(const TileSheet& sheet);

// Full-screen pictures of the menu and story pages, 640 x 480.
Canvas TitlePicture();
Canvas StoryPicture(int page);

} // namespace demo
