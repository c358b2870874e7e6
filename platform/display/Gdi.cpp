// Bitmaps, device contexts and the copies between them.
#include "platform/Faults.h"
#include "platform/display/DisplayImpl.h"
#include "platform/display/Font.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace display {
namespace {

constexpr int kMaxSide = 16384;
constexpr uint64_t kMaxBytes = 512ull << 20;

// What a bitmap header describes, checked.
struct DibShape {
    int width = 0, height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[3] = {};
    int paletteSize = 0;
    uint64_t pitch = 0;
};

uint32_t QuadAsMask(const RgbQuad& q) {
    return uint32_t(q.blue) | (uint32_t(q.green) << 8) | (uint32_t(q.red) << 16) |
           (uint32_t(q.reserved) << 24);
}

bool Shape(const BitmapInfo* info, DibShape* out, const char** why) {
    const char* dummy;
    if (!why)
        why = &dummy;
    if (!info) {
        *why = "no header";
        return false;
    }
    const BitmapInfoHeader& h = info->header;
    if (h.size < sizeof(BitmapInfoHeader)) {
        *why = "the header is too small";
        return false;
    }
    if (h.width <= 0 || h.width > kMaxSide || h.height == 0 || h.height < -kMaxSide ||
        h.height > kMaxSide) {
        *why = "the size is not valid";
        return false;
    }
    if (h.planes != 1) {
        *why = "the plane count is not 1";
        return false;
    }
    int bits = h.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        *why = "the depth is not supported";
        return false;
    }
    if (h.compression != BI_RGB && !(h.compression == BI_BITFIELDS && (bits == 16 || bits == 32))) {
        *why = "the compression is not supported";
        return false;
    }
    out->width = h.width;
    out->topDown = h.height < 0;
    out->height = h.height < 0 ? -h.height : h.height;
    out->bits = bits;
    out->compression = h.compression;
    out->pitch = DibPitch(uint64_t(out->width), bits);
    if (out->pitch * uint64_t(out->height) > kMaxBytes) {
        *why = "the picture is too large";
        return false;
    }
    if (bits <= 8) {
        uint32_t full = 1u << bits;
        out->paletteSize = int(h.clrUsed && h.clrUsed < full ? h.clrUsed : full);
    }
    if (h.compression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i)
            out->masks[i] = QuadAsMask(info->colors[i]);
        if (!out->masks[0] || !out->masks[1] || !out->masks[2]) {
            *why = "a colour mask is empty";
            return false;
        }
    }
    return true;
}

View ShapeView(const DibShape& s, uint8_t* bits, int rows, const RgbQuad* palette) {
    View v;
    v.width = s.width;
    v.height = rows;
    v.step = ptrdiff_t(s.pitch);
    v.top = bits;
    if (!s.topDown && rows > 0) {
        v.top = bits + ptrdiff_t(s.pitch) * (rows - 1);
        v.step = -v.step;
    }
    v.format = DibFormat(s.bits, s.compression, s.masks, palette, s.paletteSize);
    return v;
}

BitmapImpl* NewStockBitmap() {
    BitmapInfo info{};
    info.header = {sizeof(BitmapInfoHeader), 1, 1, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    info.colors[1] = {255, 255, 255, 0};
    return MakeBitmap(&info, nullptr);
}

} // namespace

BitmapImpl* MakeBitmap(const BitmapInfo* info, const char** why) {
    DibShape s;
    if (!Shape(info, &s, why))
        return nullptr;
    auto* bitmap = new BitmapImpl;
    bitmap->width = s.width;
    bitmap->height = s.height;
    bitmap->topDown = s.topDown;
    bitmap->bits = s.bits;
    bitmap->compression = s.compression;
    std::memcpy(bitmap->masks, s.masks, sizeof(s.masks));
    bitmap->paletteSize = s.paletteSize;
    // Entries past the header's count stay zero.
    for (int i = 0; i < s.paletteSize; ++i)
        bitmap->palette[i] = info->colors[i];
    bitmap->pitch = uint32_t(s.pitch);
    bitmap->pixels.assign(size_t(s.pitch) * size_t(s.height), 0);
    return bitmap;
}

View BitmapImpl::PixelView() {
    DibShape s;
    s.width = width;
    s.height = height;
    s.topDown = topDown;
    s.bits = bits;
    s.compression = compression;
    std::memcpy(s.masks, masks, sizeof(masks));
    s.paletteSize = paletteSize;
    s.pitch = pitch;
    return ShapeView(s, pixels.data(), height, palette);
}

} // namespace display

using display::BitmapImpl;
using display::View;

bool DeviceContext::PixelView(View* out) {
    if (surface) {
        *out = surface->PixelView();
        return true;
    }
    if (selected) {
        *out = selected->PixelView();
        return true;
    }
    return false;
}

DeviceContext* NewSurfaceDC(display::SoftSurface* surface) {
    auto* dc = new DeviceContext;
    dc->surface = surface;
    return dc;
}

void EndSurfaceDC(DeviceContext* dc) {
    delete dc;
}

DeviceContext* CreateCompatibleDC(DeviceContext*) {
    if (FaultHit("CreateCompatibleDC"))
        return nullptr;
    auto* dc = new DeviceContext;
    dc->stock = display::NewStockBitmap();
    dc->stock->AddRef(); // one for being selected
    dc->selected = dc->stock;
    dc->selected->selectedIn = dc;
    return dc;
}

bool DeleteDC(DeviceContext* dc) {
    if (!dc || dc->surface)
        return false;
    dc->selected->selectedIn = nullptr;
    dc->selected->Release();
    dc->stock->Release();
    delete dc;
    return true;
}

Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap) {
    if (FaultHit("SelectObject") || !dc || !bitmap || dc->surface)
        return nullptr;
    auto* next = static_cast<BitmapImpl*>(bitmap);
    if (next->selectedIn && next->selectedIn != dc)
        return nullptr;
    BitmapImpl* previous = dc->selected;
    if (previous == next)
        return previous;
    next->AddRef();
    next->selectedIn = dc;
    dc->selected = next;
    previous->selectedIn = nullptr;
    previous->Release();
    // The caller still owns the previous bitmap (the context only held a
    // reference of its own), so the handle stays good.
    return previous; // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

bool DeleteObject(Bitmap* bitmap) {
    if (!bitmap)
        return false;
    // A context that still holds the bitmap keeps it alive until it lets go.
    bitmap->Release();
    return true;
}

Bitmap* CreateDIBSection(DeviceContext*, const BitmapInfo* info, uint32_t, void** bits, void*,
                         uint32_t) {
    if (bits)
        *bits = nullptr;
    if (FaultHit("CreateDIBSection"))
        return nullptr;
    BitmapImpl* bitmap = display::MakeBitmap(info, nullptr);
    if (bitmap && bits)
        *bits = bitmap->pixels.data();
    return bitmap;
}

int SetDIBits(DeviceContext*, Bitmap* target, uint32_t start, uint32_t lines, const void* bits,
              const BitmapInfo* info, uint32_t) {
    if (FaultHit("SetDIBits") || !target || !bits)
        return 0;
    display::DibShape s;
    if (!display::Shape(info, &s, nullptr))
        return 0;
    if (start >= uint32_t(s.height))
        return 0;
    if (lines > uint32_t(s.height) - start)
        lines = uint32_t(s.height) - start;
    auto* bitmap = static_cast<BitmapImpl*>(target);
    View src = display::ShapeView(s, static_cast<uint8_t*>(const_cast<void*>(bits)), int(lines),
                                  info->colors);
    View dst = bitmap->PixelView();
    // Scan lines count from the picture's bottom unless it runs top-down.
    int top = s.topDown ? int(start) : dst.height - int(start) - int(lines);
    display::StretchConvert(dst, 0, top, s.width, int(lines), src, 0, 0, s.width, int(lines));
    return int(lines);
}

int GetObject(Bitmap* target, int size, BitmapDesc* out) {
    if (!target || !out || size < int(sizeof(BitmapDesc)))
        return 0;
    auto* bitmap = static_cast<BitmapImpl*>(target);
    out->type = 0;
    out->width = bitmap->width;
    out->height = bitmap->height;
    out->widthBytes = int32_t(bitmap->pitch);
    out->planes = 1;
    out->bitsPixel = uint16_t(bitmap->bits);
    out->bits = bitmap->pixels.data();
    return int(sizeof(BitmapDesc));
}

bool StretchBlt(DeviceContext* dst, int x, int y, int width, int height, DeviceContext* src,
                int srcX, int srcY, int srcWidth, int srcHeight, uint32_t rop) {
    if (FaultHit("StretchBlt") || !dst || !src || rop != SRCCOPY)
        return false;
    View to, from;
    if (!dst->PixelView(&to) || !src->PixelView(&from))
        return false;
    display::StretchConvert(to, x, y, width, height, from, srcX, srcY, srcWidth, srcHeight);
    return true;
}

bool BitBlt(DeviceContext* dst, int x, int y, int width, int height, DeviceContext* src, int srcX,
            int srcY, uint32_t rop) {
    if (FaultHit("BitBlt") || !dst || !src || rop != SRCCOPY)
        return false;
    View to, from;
    if (!dst->PixelView(&to) || !src->PixelView(&from))
        return false;
    display::StretchConvert(to, x, y, width, height, from, srcX, srcY, width, height);
    return true;
}

bool TextOut(DeviceContext* dc, int x, int y, const char* text, int length) {
    if (FaultHit("TextOut") || !dc || (!text && length > 0))
        return false;
    View view;
    if (!dc->PixelView(&view))
        return false;
    // Colour references are 0x00BBGGRR.
    auto toRgb = [](uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
    uint32_t ink = display::EncodeRgb(view.format, toRgb(dc->textColour));
    uint32_t paper = display::EncodeRgb(view.format, toRgb(dc->backColour));
    for (int i = 0; i < length; ++i) {
        const uint8_t* glyph = display::Glyph(static_cast<unsigned char>(text[i]));
        int left = x + i * display::kCellWidth;
        for (int col = 0; col < display::kCellWidth; ++col) {
            uint8_t column = col < display::kGlyphWidth ? glyph[col] : 0;
            for (int row = 0; row < display::kCellHeight; ++row) {
                int px = left + col, py = y + row;
                if (px < 0 || py < 0 || px >= view.width || py >= view.height)
                    continue;
                if ((column >> row) & 1)
                    display::PutRaw(view, px, py, ink);
                else if (dc->backMode == OPAQUE)
                    display::PutRaw(view, px, py, paper);
            }
        }
    }
    return true;
}

uint32_t SetTextColor(DeviceContext* dc, uint32_t colour) {
    if (!dc)
        return 0xFFFFFFFF;
    uint32_t old = dc->textColour;
    dc->textColour = colour & 0xFFFFFF;
    return old;
}

uint32_t SetBkColor(DeviceContext* dc, uint32_t colour) {
    if (!dc)
        return 0xFFFFFFFF;
    uint32_t old = dc->backColour;
    dc->backColour = colour & 0xFFFFFF;
    return old;
}

int SetBkMode(DeviceContext* dc, int mode) {
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT))
        return 0;
    int old = dc->backMode;
    dc->backMode = mode;
    return old;
}

} // namespace platform
