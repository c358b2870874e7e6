// Writers of the game's binary data files from plain in-memory descriptions,
// for tests, demo data and the dump tool.
//
// Every count written to a file is the size of its vector unless the matching
// override is set, so malformed files can be crafted on purpose. Text fields
// take the string's bytes as they are: a string of 40 or more bytes fills its
// field with no terminating zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gamedata {

constexpr size_t kNameSize = 40;
constexpr size_t kIdentifierSize = 4;
constexpr size_t kGameHeaderSize = 46;
constexpr size_t kLevelHeaderSize = 162;
constexpr size_t kLayerBlockSize = 100; // up to the tile map
constexpr size_t kTileSetEntrySize = 42;
constexpr size_t kSpriteBlockSize = 174; // up to the instances
constexpr size_t kSequenceBlockSize = 92;

struct GameFileDesc {
    std::string identifier = "VRSK";
    std::string gameName;
    std::vector<std::string> pages;
    std::optional<uint16_t> pageCount;
};

struct LocationDesc {
    uint32_t x = 0;
    uint32_t y = 0;
};

struct InstanceDesc {
    uint32_t frame = 0;
    std::vector<LocationDesc> locations;
    std::optional<uint16_t> locationCount;
};

struct SequenceDesc {
    std::string name;
    std::string name2;
    uint16_t value1 = 0;
    uint16_t value2 = 0;
    uint32_t value3 = 0;
    uint32_t value4 = 0;
};

struct SpriteSoundDesc {
    std::string name;
    std::string waveFile;
    std::vector<uint16_t> frames;
    std::optional<uint16_t> frameCount;
};

struct LayerSoundDesc {
    std::string name;
    std::string waveFile;
    std::vector<std::pair<uint16_t, uint16_t>> points;
    std::vector<uint16_t> columns;
    std::vector<uint16_t> rows;
    std::optional<uint16_t> pointCount;
    std::optional<uint16_t> columnCount;
    std::optional<uint16_t> rowCount;
};

// Fields in file order; the sub-blocks follow the fixed part.
struct SpriteDesc {
    std::string name;
    std::string sheetFile;
    std::string brainFile;
    std::optional<uint16_t> instanceCount;
    std::optional<uint16_t> sequenceCount;
    std::optional<uint16_t> soundCount;
    uint32_t spriteParam5 = 0;
    uint32_t spriteParam9 = 0;
    uint32_t spriteParam7 = 0;
    uint32_t isPlatform = 0;
    uint32_t isPlayer = 0;
    uint16_t spriteParam1 = 0;
    uint16_t spriteParam2 = 0;
    uint16_t spriteParam3 = 0;
    int16_t points = 0;
    int16_t spriteParam4 = 0;
    uint16_t spriteParam6 = 0;
    uint16_t spriteParam10 = 0;
    uint16_t spriteParam8 = 0;
    uint16_t spriteParam11 = 0;
    uint16_t spriteParam12 = 0;
    uint16_t spriteParam13 = 0;
    uint16_t spriteParam14 = 0;
    uint16_t spriteParam15 = 0;
    uint16_t spriteParam16 = 0;
    std::vector<InstanceDesc> instances;
    std::vector<SequenceDesc> sequences;
    std::vector<SpriteSoundDesc> sounds;
};

struct TileSetDesc {
    std::string fileName;
    int16_t slot = 0;
};

// Fields in file order. The uninterpreted words carry the names of the layer
// record fields that keep them.
struct LayerDesc {
    std::string name;
    uint32_t stepX = 0;
    uint32_t stepY = 0;
    uint32_t unused2 = 0;
    uint32_t unused3 = 0;
    uint32_t isMainLayer = 0;
    uint16_t unused1 = 0;
    // The mask marker as stored: the mask section is written only when it is 1.
    uint32_t hasMask = 0;
    uint32_t opaque = 0;
    int16_t maskStride = 0;
    uint16_t unused4 = 0;
    uint16_t unused5 = 0;
    uint16_t unused6 = 0;
    std::optional<uint16_t> tileSetCount;
    uint32_t columns = 0;
    uint32_t rows = 0;
    uint32_t tileWidth = 32;
    uint32_t tileHeight = 32;
    std::optional<uint16_t> spriteCount;
    std::optional<uint16_t> layerSoundCount;
    // Both are padded with zeros or cut to the stored cell count.
    std::vector<uint16_t> tileMap;
    std::vector<uint32_t> maskData;
    // Cells actually stored for the map and the mask; columns x rows unless
    // set, so a layer can claim a size its file does not hold.
    std::optional<size_t> storedCells;
    std::vector<TileSetDesc> tileSets;
    std::vector<SpriteDesc> sprites;
    std::vector<LayerSoundDesc> layerSounds;
};

struct MenuPageDesc {
    std::string name;
    std::string name2;
    std::vector<SpriteDesc> sprites;
    std::optional<uint16_t> spriteCount;
};

// Header fields in file order. The body is the menu pages followed by the
// layers, each written as given: the page's kind comes from the markers alone.
struct LevelFileDesc {
    uint32_t screenWidth = 640;
    uint32_t screenHeight = 480;
    uint32_t colourDepth = 16;
    std::optional<uint16_t> layerCount;
    uint16_t unused1 = 0;
    uint16_t unused2 = 0;
    uint32_t unused3 = 0;
    uint32_t cutsceneMarker = 0;
    uint32_t movieFlag = 0;
    std::string movieName;
    uint32_t menuMarker = 0;
    std::string menuModuleName;
    std::optional<uint16_t> menuPageCount;
    uint32_t useCdAudio = 0;
    uint16_t cdTrack = 0;
    std::string musicWave;
    std::vector<MenuPageDesc> menuPages;
    std::vector<LayerDesc> layers;
};

std::vector<uint8_t> BuildGameFile(const GameFileDesc& desc);
std::vector<uint8_t> BuildLevelFile(const LevelFileDesc& desc);

// Writes the bytes to path, creating its parent directories.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace gamedata
