#include "tools/Pictures.h"

#include "common/ByteIO.h"

namespace gamedata {
namespace {

void PutDescription(ByteWriter& out, const SheetBitmapDesc& bitmap) {
    out.U32(40).S32(bitmap.width).S32(bitmap.height).U16(bitmap.planes).U16(bitmap.bitCount);
    out.U32(0).U32(0).S32(0).S32(0).U32(0).U32(0); // fields the loaders do not take
    out.U32(0);                                    // the 4 bytes after the header
}

uint32_t PixelSize(const SheetBitmapDesc& bitmap) {
    return bitmap.pixelSize ? *bitmap.pixelSize : static_cast<uint32_t>(bitmap.pixels.size());
}

} // namespace

std::vector<uint8_t> DibRows(int width, int height, int bits,
                             const std::function<uint32_t(int x, int y)>& value, bool topDown) {
    size_t pitch = ((size_t(width) * bits + 31) / 32) * 4;
    std::vector<uint8_t> rows(pitch * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + pitch * size_t(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t v = value(x, y);
            switch (bits) {
            case 1:
                if (v & 1)
                    row[x / 8] |= uint8_t(0x80 >> (x % 8));
                break;
            case 4:
                row[x / 2] |= uint8_t((v & 0xF) << (x % 2 ? 0 : 4));
                break;
            default:
                for (int i = 0; i < bits / 8; ++i)
                    row[size_t(x) * (bits / 8) + i] = uint8_t(v >> (8 * i));
                break;
            }
        }
    }
    return rows;
}

std::vector<uint8_t> BuildTileSetFile(const TileSetFileDesc& desc) {
    ByteWriter out;
    out.U32(0).U32(desc.tileWidth).U32(desc.tileHeight).U32(desc.tilesAcross);
    out.U32(desc.tilesDown).U32(desc.tableWidth).U32(desc.tableHeight);
    out.U32(PixelSize(desc.bitmap));
    PutDescription(out, desc.bitmap);
    uint64_t table = uint64_t(desc.tableWidth) * desc.tableHeight;
    for (uint64_t i = 0; i < table; ++i)
        out.U32(uint32_t(i));
    out.Bytes(desc.bitmap.pixels.data(), desc.bitmap.pixels.size());
    return std::move(out.Data());
}

std::vector<uint8_t> BuildSpriteSheetFile(const SpriteSheetFileDesc& desc) {
    ByteWriter out;
    uint32_t count = desc.frameCount ? *desc.frameCount : uint32_t(desc.frames.size());
    out.U32(0).U32(desc.frameWidth).U32(desc.frameHeight).U32(count);
    out.U32(desc.framesPerRow).U32(desc.sheetValue).U32(PixelSize(desc.bitmap)).U32(0);
    PutDescription(out, desc.bitmap);
    out.Bytes(desc.bitmap.pixels.data(), desc.bitmap.pixels.size());
    for (const FrameDesc& frame : desc.frames) {
        out.U32(frame.boxCount ? *frame.boxCount : uint32_t(frame.boxes.size()));
        for (size_t i = 0; i < 32; ++i)
            for (size_t k = 0; k < 5; ++k)
                out.S32(i < frame.boxes.size() ? frame.boxes[i][k] : 0);
    }
    return std::move(out.Data());
}

std::vector<uint8_t> BuildBmpFile(const BmpFileDesc& desc) {
    ByteWriter out;
    bool masksAfter = desc.compression == 3 && desc.headerSize == 40;
    uint32_t tableBytes = uint32_t(desc.palette.size() * 4 + (masksAfter ? 12 : 0));
    uint32_t offset = 14 + desc.headerSize + tableBytes;
    out.U16(0x4D42).U32(offset + uint32_t(desc.pixels.size())).U16(0).U16(0).U32(offset);
    out.U32(desc.headerSize).S32(desc.width).S32(desc.height).U16(desc.planes);
    out.U16(desc.bitCount).U32(desc.compression).U32(uint32_t(desc.pixels.size()));
    out.S32(2835).S32(2835);
    out.U32(desc.clrUsed ? *desc.clrUsed : uint32_t(desc.palette.size())).U32(0);
    size_t written = 40;
    if (desc.headerSize > 40) {
        for (size_t i = 0; i < 3; ++i)
            out.U32(i < desc.masks.size() ? desc.masks[i] : 0);
        written += 12;
        for (; written < desc.headerSize; ++written)
            out.U8(0);
    }
    if (masksAfter)
        for (size_t i = 0; i < 3; ++i)
            out.U32(i < desc.masks.size() ? desc.masks[i] : 0);
    for (uint32_t c : desc.palette)
        out.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16)).U8(0);
    out.Bytes(desc.pixels.data(), desc.pixels.size());
    return std::move(out.Data());
}

} // namespace gamedata
