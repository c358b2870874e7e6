#include "platform/display/Pixels.h"

#include <cstring>

namespace platform::display {
namespace {

Channel MakeChannel(uint32_t mask) {
    Channel c{mask, 0, 0};
    if (!mask)
        return c;
    while (!((mask >> c.shift) & 1))
        ++c.shift;
    while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1))
        ++c.bits;
    return c;
}

// A channel's value widened to 8 bits by repeating its top bits.
uint32_t Widen(uint32_t pixel, const Channel& c) {
    if (!c.bits)
        return 0;
    uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8)
        return v >> (c.bits - 8);
    uint32_t out = 0;
    int have = 0;
    while (have < 8) {
        out = (out << c.bits) | v;
        have += c.bits;
    }
    return out >> (have - 8);
}

uint32_t Narrow(uint32_t v8, const Channel& c) {
    if (!c.bits)
        return 0;
    uint32_t v = c.bits >= 8 ? v8 << (c.bits - 8) : v8 >> (8 - c.bits);
    return (v << c.shift) & c.mask;
}

uint32_t NearestEntry(const Format& f, uint32_t rgb) {
    int best = 0;
    uint32_t bestDistance = UINT32_MAX;
    int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    for (int i = 0; i < f.paletteSize; ++i) {
        int dr = f.palette[i].red - r, dg = f.palette[i].green - g, db = f.palette[i].blue - b;
        uint32_t d = uint32_t(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (!d)
                break;
        }
    }
    return uint32_t(best);
}

} // namespace

Format MaskFormat(int bits, uint32_t rMask, uint32_t gMask, uint32_t bMask) {
    Format f;
    f.bits = bits;
    f.r = MakeChannel(rMask);
    f.g = MakeChannel(gMask);
    f.b = MakeChannel(bMask);
    return f;
}

Format SurfaceFormat(int bits) {
    if (bits == 16)
        return MaskFormat(16, 0xF800, 0x07E0, 0x001F);
    return MaskFormat(32, 0xFF0000, 0x00FF00, 0x0000FF);
}

Format DibFormat(int bits, uint32_t compression, const uint32_t* masks, const RgbQuad* palette,
                 int paletteSize) {
    if (bits <= 8) {
        Format f;
        f.bits = bits;
        f.palette = palette;
        f.paletteSize = paletteSize;
        return f;
    }
    if (compression == BI_BITFIELDS && masks && bits != 24)
        return MaskFormat(bits, masks[0], masks[1], masks[2]);
    if (bits == 16)
        return MaskFormat(16, 0x7C00, 0x03E0, 0x001F);
    return MaskFormat(bits, 0xFF0000, 0x00FF00, 0x0000FF);
}

bool SameFormat(const Format& a, const Format& b) {
    if (a.bits != b.bits)
        return false;
    if (a.bits <= 8)
        return a.paletteSize == b.paletteSize &&
               (a.palette == b.palette ||
                std::memcmp(a.palette, b.palette, sizeof(RgbQuad) * size_t(a.paletteSize)) == 0);
    return a.r.mask == b.r.mask && a.g.mask == b.g.mask && a.b.mask == b.b.mask;
}

uint32_t RawPixel(const View& v, int x, int y) {
    const uint8_t* row = v.top + y * v.step;
    switch (v.format.bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16:
        return uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
    case 24:
        return uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) |
               (uint32_t(row[3 * x + 2]) << 16);
    default: {
        uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        return p;
    }
    }
}

void PutRaw(const View& v, int x, int y, uint32_t value) {
    uint8_t* row = v.top + y * v.step;
    switch (v.format.bits) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = value & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case 4: {
        uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? uint8_t((byte & 0xF0) | (value & 0xF))
                       : uint8_t((byte & 0x0F) | ((value & 0xF) << 4));
        break;
    }
    case 8:
        row[x] = uint8_t(value);
        break;
    case 16:
        row[2 * x] = uint8_t(value);
        row[2 * x + 1] = uint8_t(value >> 8);
        break;
    case 24:
        row[3 * x] = uint8_t(value);
        row[3 * x + 1] = uint8_t(value >> 8);
        row[3 * x + 2] = uint8_t(value >> 16);
        break;
    default:
        std::memcpy(row + 4 * x, &value, 4);
        break;
    }
}

uint32_t ReadRgb(const View& v, int x, int y) {
    uint32_t p = RawPixel(v, x, y);
    const Format& f = v.format;
    if (f.bits <= 8) {
        if (int(p) >= f.paletteSize)
            return 0;
        const RgbQuad& q = f.palette[p];
        return (uint32_t(q.red) << 16) | (uint32_t(q.green) << 8) | q.blue;
    }
    return (Widen(p, f.r) << 16) | (Widen(p, f.g) << 8) | Widen(p, f.b);
}

uint32_t EncodeRgb(const Format& f, uint32_t rgb) {
    if (f.bits <= 8)
        return NearestEntry(f, rgb);
    return Narrow((rgb >> 16) & 0xFF, f.r) | Narrow((rgb >> 8) & 0xFF, f.g) |
           Narrow(rgb & 0xFF, f.b);
}

void WriteRgb(const View& v, int x, int y, uint32_t rgb) {
    PutRaw(v, x, y, EncodeRgb(v.format, rgb));
}

void StretchConvert(const View& dst, int dx, int dy, int dw, int dh, const View& src, int sx,
                    int sy, int sw, int sh) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    bool same = SameFormat(dst.format, src.format);
    bool plain = same && dw == sw && dh == sh && dst.format.bits >= 8;
    int bytes = dst.format.bits / 8;
    for (int y = 0; y < dh; ++y) {
        int ty = dy + y;
        int fy = sy + int(int64_t(y) * sh / dh);
        if (ty < 0 || ty >= dst.height || fy < 0 || fy >= src.height)
            continue;
        if (plain) {
            // Same format, same size: whole runs of bytes.
            int x0 = 0, x1 = dw;
            if (dx + x0 < 0)
                x0 = -dx;
            if (sx + x0 < 0)
                x0 = -sx;
            if (dx + x1 > dst.width)
                x1 = dst.width - dx;
            if (sx + x1 > src.width)
                x1 = src.width - sx;
            if (x1 > x0)
                std::memmove(dst.top + ty * dst.step + (dx + x0) * bytes,
                             src.top + fy * src.step + (sx + x0) * bytes, size_t(x1 - x0) * bytes);
            continue;
        }
        for (int x = 0; x < dw; ++x) {
            int tx = dx + x;
            int fx = sx + int(int64_t(x) * sw / dw);
            if (tx < 0 || tx >= dst.width || fx < 0 || fx >= src.width)
                continue;
            if (same)
                PutRaw(dst, tx, ty, RawPixel(src, fx, fy));
            else
                WriteRgb(dst, tx, ty, ReadRgb(src, fx, fy));
        }
    }
}

} // namespace platform::display
