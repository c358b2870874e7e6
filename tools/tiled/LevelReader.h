// Reads the game's level, tile-set, sheet and mask files back into the
// descriptions the writers take, for the exporter.
#pragma once

#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/tiled/Images.h"

#include <string>
#include <vector>

namespace tiled {

// Throws Failure naming `where` when the file ends early or its counts
// cannot be right.
gamedata::LevelFileDesc ReadLevelFile(const std::vector<uint8_t>& bytes, const std::string& where);

struct TileSetPicture {
    gamedata::TileSetFileDesc header; // bitmap pixels left empty
    Image image;
};
TileSetPicture ReadTileSetFile(const std::vector<uint8_t>& bytes, const std::string& where);

struct SheetPicture {
    gamedata::SpriteSheetFileDesc header; // frames filled, bitmap pixels left empty
    Image image;
};
SheetPicture ReadSheetFile(const std::vector<uint8_t>& bytes, const std::string& where);

// A one-bit BMP's raw bits (1 = set), top row first, as the game keeps them.
struct MaskPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;
    bool At(int x, int y) const { return bits[size_t(y) * size_t(width) + size_t(x)] != 0; }
};
MaskPicture ReadMaskFile(const std::vector<uint8_t>& bytes, const std::string& where);

} // namespace tiled
