// BMP files into bitmaps. Every field is checked against the file before a
// byte of pixels is touched; a file we cannot draw is refused with the reason
// in the debug log.
#include "common/ByteIO.h"
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/display/DisplayImpl.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr int64_t kMaxFile = 1ll << 30;

Bitmap* Refuse(const char* name, const char* why) {
    DebugPrintf("LoadImage: %s: %s\n", name, why);
    return nullptr;
}

Bitmap* FromBytes(const char* name, const std::vector<uint8_t>& data) {
    ByteReader in(data.data(), data.size());
    if (in.U16() != 0x4D42)
        return Refuse(name, "not a BMP file");
    in.Skip(8);
    uint32_t pixelOffset = in.U32();
    uint32_t headerSize = in.U32();
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return Refuse(name, "the bitmap header is of a kind not supported");
    BitmapInfo info{};
    BitmapInfoHeader& h = info.header;
    h.size = sizeof(BitmapInfoHeader);
    h.width = in.S32();
    h.height = in.S32();
    h.planes = in.U16();
    h.bitCount = in.U16();
    h.compression = in.U32();
    h.sizeImage = in.U32();
    h.xPelsPerMeter = in.S32();
    h.yPelsPerMeter = in.S32();
    h.clrUsed = in.U32();
    h.clrImportant = in.U32();
    if (in.Overrun())
        return Refuse(name, "the file is shorter than its header");
    if (h.height == INT32_MIN)
        return Refuse(name, "the size is not valid");
    if (h.bitCount <= 8 && h.clrUsed > (1u << h.bitCount))
        return Refuse(name, "the colour table is larger than the depth allows");

    // Masks follow a 40-byte header, or sit inside the longer ones.
    size_t tableAt = 14 + headerSize;
    if (h.compression == BI_BITFIELDS) {
        ByteReader masks(data.data(), data.size());
        masks.Skip(14 + 40);
        for (int i = 0; i < 3; ++i) {
            uint32_t m = masks.U32();
            std::memcpy(&info.colors[i], &m, 4); // little-endian: blue byte first
        }
        if (masks.Overrun())
            return Refuse(name, "the colour masks do not fit the file");
        if (headerSize == 40)
            tableAt += 12;
    }

    const char* why = nullptr;
    display::BitmapImpl* bitmap = display::MakeBitmap(&info, &why);
    if (!bitmap)
        return Refuse(name, why);
    if (bitmap->bits <= 8) {
        if (tableAt + 4ull * uint64_t(bitmap->paletteSize) > data.size()) {
            bitmap->Release();
            return Refuse(name, "the colour table does not fit the file");
        }
        for (int i = 0; i < bitmap->paletteSize; ++i) {
            const uint8_t* q = data.data() + tableAt + 4 * i;
            bitmap->palette[i] = {q[0], q[1], q[2], q[3]};
        }
    }
    uint64_t bytes = bitmap->pixels.size();
    if (pixelOffset > data.size() || bytes > data.size() - pixelOffset) {
        bitmap->Release();
        return Refuse(name, "the pixel data do not fit the file");
    }
    std::memcpy(bitmap->pixels.data(), data.data() + pixelOffset, bytes);
    return bitmap;
}

} // namespace

Bitmap* LoadImage(void*, const char* name, uint32_t type, int, int, uint32_t flags) {
    if (FaultHit("LoadImage") || !name || type != IMAGE_BITMAP)
        return nullptr;
    if (!(flags & LR_LOADFROMFILE))
        return nullptr; // the program carries no resources
    Result result = kOk;
    File* file = FileOpenRead(name, &result);
    if (!file)
        return Refuse(name, ResultName(result));
    int64_t size = FileSize(file);
    if (size < 0 || size > kMaxFile) {
        FileClose(file);
        return Refuse(name, "the file size is not usable");
    }
    std::vector<uint8_t> data(static_cast<size_t>(size));
    size_t got = FileRead(file, data.data(), data.size());
    FileClose(file);
    if (got != data.size())
        return Refuse(name, "the file cannot be read");
    return FromBytes(name, data);
}

} // namespace platform
