#include "engine/SheetFiles.h"
#include "common/ByteIO.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Gdi.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kDescriptionSize = 44;
constexpr size_t kBitmapInfoSize = 1068; // header and a full colour table, as built here
static_assert(kBitmapInfoSize >= sizeof(platform::BitmapInfo));

void* AllocPlain(size_t size) {
    if (platform::FaultHit("HeapAlloc"))
        return nullptr;
    return std::calloc(size ? size : 1, 1);
}

uint64_t RowBytes(int32_t width, uint16_t bits) {
    return ((uint64_t(width) * bits + 31) / 32) * 4;
}

bool Positive(uint32_t v) {
    return v != 0 && v <= INT32_MAX;
}

// Why the file cannot be used, or null.
const char* Check(SheetFile* s, SheetKind kind) {
    ByteReader in(s->bytes.data(), s->bytes.size());
    for (uint32_t& word : s->header)
        word = in.U32();
    in.Skip(4); // description size
    s->width = in.S32();
    s->height = in.S32();
    s->planes = in.U16();
    s->bitCount = in.U16();
    if (s->bytes.size() < kHeaderSize + kDescriptionSize)
        return "the file is shorter than its header!";
    if (s->width <= 0 || s->height == 0 || s->height == INT32_MIN)
        return "its bitmap size is not valid!";
    if (s->planes != 1)
        return "its bitmap plane count is not 1!";
    uint16_t bits = s->bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "its bitmap depth is not supported!";
    uint64_t rows = s->height < 0 ? uint64_t(-int64_t(s->height)) : uint64_t(s->height);
    uint64_t at = kHeaderSize + kDescriptionSize;
    uint64_t size = s->bytes.size();
    if (kind == SheetKind::kTileSet) {
        if (!Positive(s->header[1]) || !Positive(s->header[2]))
            return "its tile size is not valid!";
        if (!Positive(s->header[3]) || !Positive(s->header[4]))
            return "its tile count is not valid!";
        // Divided, not multiplied: A x B x 4 can wrap 64 bits.
        uint64_t cells = s->header[6] ? (size - at) / 4 / s->header[6] : 0;
        if (s->header[6] && s->header[5] > cells)
            return "its table does not fit the file!";
        at += uint64_t(s->header[5]) * s->header[6] * 4;
        s->pixelSize = s->header[7];
    } else {
        if (!Positive(s->header[1]) || !Positive(s->header[2]))
            return "its frame size is not valid!";
        if (s->header[3] > 0 && s->header[4] == 0)
            return "it has no frames per row!";
        s->pixelSize = s->header[6];
    }
    // Row bytes stay below 2^33 and rows below 2^31: their product fits.
    if (s->pixelSize != RowBytes(s->width, bits) * rows)
        return "its pixel data size does not match the bitmap!";
    if (s->pixelSize > size - at)
        return "the pixel data do not fit the file!";
    s->pixelAt = size_t(at);
    s->framesAt = size_t(at + s->pixelSize);
    if (kind == SheetKind::kSprite) {
        uint32_t count = s->header[3];
        if (count > (size - s->framesAt) / sizeof(FrameRecord) ||
            uint64_t(count) * sizeof(FrameRecord) > UINT32_MAX)
            return "its frame records do not fit the file!";
        // The brains walk a frame's boxes by its count; the record has 32.
        for (uint32_t i = 0; i < count; ++i) {
            ByteReader box(s->bytes.data() + s->framesAt + size_t(i) * sizeof(FrameRecord), 4);
            if (box.U32() > 32)
                return "a frame has more than 32 boxes!";
        }
    }
    return nullptr;
}

void ReadFrames(const SheetFile& s, FrameRecord* frames, uint32_t count) {
    ByteReader in(s.bytes.data() + s.framesAt, s.bytes.size() - s.framesAt);
    for (uint32_t i = 0; i < count; ++i) {
        frames[i].boxCount = in.U32();
        for (FrameBox& box : frames[i].boxes) {
            box.left = in.S32();
            box.top = in.S32();
            box.right = in.S32();
            box.bottom = in.S32();
            box.extra = in.S32();
        }
    }
}

} // namespace

platform::Bitmap* LoadSheetBitmap(const char* fileName, SheetKind kind, const SheetMessages& say,
                                  PtrPair<FrameRecord>* frames, SheetFile* s) {
    auto fail = [&](const char* message) {
        FillError(&gErrorInfo, kErrorFatal, say.source, say.location, message);
        return nullptr;
    };
    char path[5 + 64 + 1];
    std::snprintf(path, sizeof(path), "data\\%s", fileName);
    platform::File* file =
        platform::NameStaysInside(fileName) ? platform::FileOpenRead(path) : nullptr;
    if (!file) {
        FillError2(&gErrorInfo, kErrorFatal, say.source, say.location, "Unable to open ", fileName);
        return nullptr;
    }
    int64_t size = platform::FileSize(file);
    s->bytes.resize(size > 0 ? size_t(size) : 0);
    s->bytes.resize(platform::FileRead(file, s->bytes.data(), s->bytes.size()));
    platform::FileClose(file);
    if (const char* why = Check(s, kind)) {
        char text[sizeof(gErrorInfo.message)];
        std::snprintf(text, sizeof(text), "Unable to load %s %s: %s", say.what, fileName, why);
        return fail(text);
    }

    auto* pixels = static_cast<uint8_t*>(AllocPlain(s->pixelSize));
    if (!pixels)
        return fail(say.noPixels);
    std::memcpy(pixels, s->bytes.data() + s->pixelAt, s->pixelSize);
    if (frames) {
        uint32_t count = s->header[3];
        void* block = nullptr;
        auto* records =
            static_cast<FrameRecord*>(AllocAligned(&block, uint32_t(count * sizeof(FrameRecord))));
        if (!records) {
            std::free(pixels);
            return fail(say.noFrames);
        }
        ReadFrames(*s, records, count);
        *frames = {block, records};
    }

    // Only width, height, planes and depth come from the file; the table has
    // black and white first and zeros after.
    auto* info = static_cast<platform::BitmapInfo*>(AllocPlain(kBitmapInfoSize));
    if (!info) {
        std::free(pixels);
        return fail(say.noInfo);
    }
    info->header.size = sizeof(platform::BitmapInfoHeader);
    info->header.width = s->width;
    info->header.height = s->height;
    info->header.planes = s->planes;
    info->header.bitCount = s->bitCount;
    info->header.compression = platform::BI_RGB;
    info->colors[1] = {255, 255, 255, 0};

    platform::DeviceContext* dc = platform::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    platform::Bitmap* bitmap =
        platform::CreateDIBSection(dc, info, platform::DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        uint32_t rows = uint32_t(s->height < 0 ? -int64_t(s->height) : s->height);
        platform::SetDIBits(dc, bitmap, 0, rows, pixels, info, platform::DIB_RGB_COLORS);
    }
    if (dc)
        platform::DeleteDC(dc);
    std::free(info);
    std::free(pixels);
    if (!bitmap)
        return fail(say.noBitmap);
    return bitmap;
}
