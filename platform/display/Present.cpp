#include "platform/display/Presenter.h"

#include <algorithm>
#include <cstring>

namespace platform::display {

Viewport FitViewport(int windowWidth, int windowHeight, int width, int height) {
    if (windowWidth <= 0 || windowHeight <= 0 || width <= 0 || height <= 0)
        return {0, 0, 0, 0};
    int scale = std::min(windowWidth / width, windowHeight / height);
    int w, h;
    if (scale >= 1) {
        w = width * scale;
        h = height * scale;
    } else if (int64_t(windowWidth) * height <= int64_t(windowHeight) * width) {
        w = windowWidth;
        h = std::max(1, int(int64_t(height) * windowWidth / width));
    } else {
        h = windowHeight;
        w = std::max(1, int(int64_t(width) * windowHeight / height));
    }
    return {(windowWidth - w) / 2, (windowHeight - h) / 2, w, h};
}

void ConvertForPresent(const View& src, const GammaRamp& ramp, uint32_t* out) {
    // Each channel value goes through its widening and the ramp once, into a
    // table; the pixels then only look up.
    const Format& f = src.format;
    if ((f.bits != 16 && f.bits != 32) || f.r.bits > 8 || f.g.bits > 8 || f.b.bits > 8) {
        for (int y = 0; y < src.height; ++y)
            for (int x = 0; x < src.width; ++x) {
                uint32_t rgb = ReadRgb(src, x, y);
                *out++ = (uint32_t(ramp.red[(rgb >> 16) & 0xFF] >> 8) << 16) |
                         (uint32_t(ramp.green[(rgb >> 8) & 0xFF] >> 8) << 8) |
                         (ramp.blue[rgb & 0xFF] >> 8);
            }
        return;
    }
    uint32_t red[256], green[256], blue[256];
    auto fill = [](uint32_t* table, const Channel& c, const uint16_t* curve, int shift) {
        int count = 1 << (c.bits < 8 ? c.bits : 8);
        for (int v = 0; v < count; ++v) {
            View one;
            uint32_t pixel = (uint32_t(v) << c.shift) & c.mask;
            one.top = reinterpret_cast<uint8_t*>(&pixel);
            one.width = one.height = 1;
            one.format = MaskFormat(32, c.mask, 0, 0);
            uint32_t wide = ReadRgb(one, 0, 0) >> 16;
            table[v] = uint32_t(curve[wide] >> 8) << shift;
        }
    };
    fill(red, f.r, ramp.red, 16);
    fill(green, f.g, ramp.green, 8);
    fill(blue, f.b, ramp.blue, 0);
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* row = src.top + y * src.step;
        for (int x = 0; x < src.width; ++x) {
            uint32_t p;
            if (f.bits == 16)
                p = uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
            else
                std::memcpy(&p, row + 4 * x, 4);
            *out++ = red[(p & f.r.mask) >> f.r.shift] | green[(p & f.g.mask) >> f.g.shift] |
                     blue[(p & f.b.mask) >> f.b.shift];
        }
    }
}

} // namespace platform::display
