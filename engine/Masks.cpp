// Collision masks: the layer's one-bit mask picture and the bit table the
// brains test pixels with.
#include "common/ByteIO.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void MaskError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "Layers", location, message);
}

void BadMask(const char* path, const char* why) {
    char text[sizeof(gErrorInfo.message)];
    std::snprintf(text, sizeof(text), "Unable to load mask BMP %s: %s", path, why);
    MaskError("LoadMasks()", text);
}

size_t ReadFromFile(void* file, void* dst, size_t n) {
    return platform::FileRead(static_cast<platform::File*>(file), dst, n);
}

// Reads the picture row by row into the layer, so the file is never held
// whole beside the mask it becomes.
int ReadMask(Layer* layer, platform::File* file, const char* path) {
    int64_t size = std::max<int64_t>(platform::FileSize(file), 0);
    ByteStream in(ReadFromFile, file, uint64_t(size));
    if (in.U16() != 0x4D42) {
        MaskError("LoadMasks()", "Unable to load mask BMP!");
        return 0;
    }
    in.Skip(8);
    uint32_t pixelOffset = in.U32();
    uint32_t headerSize = in.U32();
    int32_t width = in.S32();
    int32_t height = in.S32();
    uint16_t planes = in.U16();
    uint16_t bitCount = in.U16();
    uint32_t compression = in.U32();
    if (in.Overrun() || headerSize < 40) {
        BadMask(path, "the header is damaged!");
        return 0;
    }
    if (bitCount != 1 || planes != 1 || compression != 0) {
        BadMask(path, "it is not an uncompressed one-bit picture!");
        return 0;
    }
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        BadMask(path, "its size is not valid!");
        return 0;
    }
    bool topDown = height < 0;
    uint64_t rows = topDown ? uint64_t(-int64_t(height)) : uint64_t(height);
    uint64_t pitch = ((uint64_t(width) + 31) / 32) * 4;
    uint64_t fileSize = uint64_t(size);
    if (pixelOffset < in.Offset() || pixelOffset > fileSize ||
        rows > (fileSize - pixelOffset) / pitch) {
        BadMask(path, "the pixel data do not fit the file!");
        return 0;
    }
    uint64_t rowBytes = uint64_t(width) / 8;
    uint64_t bytes = rowBytes * rows; // below the file's size
    if (bytes > UINT32_MAX) {
        BadMask(path, "its size is not valid!");
        return 0;
    }
    auto* mask = static_cast<uint8_t*>(AllocAligned(&layer->maskBitmap.block, uint32_t(bytes)));
    if (!mask)
        return 0; // the allocator's record stands
    layer->maskBitmap.ptr = mask;
    layer->maskBytes = static_cast<uint32_t>(bytes);
    // Stored top row first, whichever way the file runs; the filler at the
    // end of each file row is dropped.
    in.Skip(pixelOffset - in.Offset());
    for (uint64_t fileRow = 0; fileRow < rows; ++fileRow) {
        uint64_t row = topDown ? fileRow : rows - 1 - fileRow;
        in.Bytes(mask + row * rowBytes, size_t(rowBytes));
        in.Skip(pitch - rowBytes);
    }
    if (in.Overrun()) {
        BadMask(path, "the pixel data do not fit the file!");
        return 0;
    }
    return 1;
}

} // namespace

int LoadMasks(Layer* layer) {
    char path[5 + sizeof(layer->name) + 6];
    std::snprintf(path, sizeof(path), "data\\%s1.msk", layer->name);
    platform::File* file =
        platform::NameStaysInside(layer->name) ? platform::FileOpenRead(path) : nullptr;
    if (!file) {
        MaskError("LoadMasks()", "Unable to load mask BMP!");
        return 0;
    }
    int ok = ReadMask(layer, file, path);
    platform::FileClose(file);
    return ok;
}

int BuildMaskArray(Layer* layer) {
    if (layer->tileWidth != 16 || layer->tileHeight != 16)
        return 1;
    auto* bits =
        static_cast<uint16_t*>(AllocAligned(&layer->maskBits.block, 16 * sizeof(uint16_t)));
    if (!bits) {
        MaskError("BuildMaskArray()", "Unable allocate memory for mask array!");
        return 0;
    }
    layer->maskBits.ptr = bits;
    for (int i = 0; i < 16; ++i)
        bits[i] = static_cast<uint16_t>(1u << (15 - i));
    return 1;
}
