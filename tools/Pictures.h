// Writers of picture files: tile-set and sprite-sheet files, and BMP files,
// from plain descriptions. Sizes and counts are computed unless overridden,
// so malformed files can be crafted on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace gamedata {

constexpr size_t kSheetHeaderSize = 32;
constexpr size_t kSheetDescriptionSize = 44;
constexpr size_t kFrameRecordSize = 644;

// Rows of a device-independent bitmap, each padded to 4 bytes: bottom row
// first unless topDown. `value(x, y)` gives the raw pixel (a table index at 8
// bits or fewer; 16 bits 5-5-5 unless masks say otherwise; 24 and 32 bits
// 0x00RRGGBB), y = 0 being the picture's top row.
std::vector<uint8_t> DibRows(int width, int height, int bits,
                             const std::function<uint32_t(int x, int y)>& value,
                             bool topDown = false);

// The bitmap part shared by both sheet kinds. A negative height marks rows
// stored top-down.
struct SheetBitmapDesc {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 16;
    std::vector<uint8_t> pixels;
    std::optional<uint32_t> pixelSize; // the size field; pixels.size() unless set
};

struct TileSetFileDesc {
    uint32_t tileWidth = 32;
    uint32_t tileHeight = 32;
    uint32_t tilesAcross = 1;
    uint32_t tilesDown = 1;
    uint32_t tableWidth = 0;  // A: A x B x 4 bytes follow the description
    uint32_t tableHeight = 0; // B
    SheetBitmapDesc bitmap;
};

struct FrameDesc {
    std::vector<std::array<int32_t, 5>> boxes; // left, top, right, bottom, extra
    std::optional<uint32_t> boxCount;
};

struct SpriteSheetFileDesc {
    uint32_t frameWidth = 32;
    uint32_t frameHeight = 32;
    uint32_t framesPerRow = 1;
    uint32_t sheetValue = 0;
    SheetBitmapDesc bitmap;
    std::vector<FrameDesc> frames;
    std::optional<uint32_t> frameCount; // frames.size() unless set
};

std::vector<uint8_t> BuildTileSetFile(const TileSetFileDesc& desc);
std::vector<uint8_t> BuildSpriteSheetFile(const SpriteSheetFileDesc& desc);

struct BmpFileDesc {
    int32_t width = 0;
    int32_t height = 0; // negative: top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;        // 3: BI_BITFIELDS with `masks`
    uint32_t headerSize = 40;        // 40, or a longer header (masks inside)
    std::vector<uint32_t> palette;   // 0x00RRGGBB entries
    std::vector<uint32_t> masks;     // red, green, blue
    std::vector<uint8_t> pixels;     // rows as stored
    std::optional<uint32_t> clrUsed; // palette.size() unless set
};

std::vector<uint8_t> BuildBmpFile(const BmpFileDesc& desc);

} // namespace gamedata
