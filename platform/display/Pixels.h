// Pixel formats and views shared by surfaces, bitmaps and the presenter.
// Colours travel between formats as 8-bit RGB (0x00RRGGBB): narrower channels
// are widened by repeating their top bits and narrowed by truncation, as GDI
// converts into a surface's format.
#pragma once

#include "platform/Display.h"
#include "platform/Gdi.h"

#include <cstddef>
#include <cstdint>

namespace platform::display {

struct Channel {
    uint32_t mask;
    int shift;
    int bits;
};

struct Format {
    int bits = 0; // 1, 4, 8, 16, 24 or 32
    Channel r{}, g{}, b{};
    const RgbQuad* palette = nullptr; // 1, 4 and 8 bits
    int paletteSize = 0;
};

Format MaskFormat(int bits, uint32_t rMask, uint32_t gMask, uint32_t bMask);
Format SurfaceFormat(int bits); // RGB565 or XRGB8888
// A DIB's format from its depth, compression, masks (BI_BITFIELDS) and table.
Format DibFormat(int bits, uint32_t compression, const uint32_t* masks, const RgbQuad* palette,
                 int paletteSize);
bool SameFormat(const Format& a, const Format& b);

// Bytes of one DIB row: padded to a multiple of 4.
inline uint64_t DibPitch(uint64_t width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// A rectangle of rows in memory; row y (0 at the top) starts at top + y * step.
struct View {
    uint8_t* top = nullptr;
    ptrdiff_t step = 0;
    int width = 0;
    int height = 0;
    Format format;
};

uint32_t ReadRgb(const View& view, int x, int y);
void WriteRgb(const View& view, int x, int y, uint32_t rgb);
uint32_t RawPixel(const View& view, int x, int y);
void PutRaw(const View& view, int x, int y, uint32_t value);
// The pixel value of an RGB colour in a format (nearest entry for tables).
uint32_t EncodeRgb(const Format& format, uint32_t rgb);

// Copies src's rectangle (sx, sy, sw, sh) into dst's (dx, dy, dw, dh),
// nearest pixel, converting colours; pixels outside either view are skipped.
void StretchConvert(const View& dst, int dx, int dy, int dw, int dh, const View& src, int sx,
                    int sy, int sw, int sh);

} // namespace platform::display
