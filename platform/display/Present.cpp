#include "platform/display/Presenter.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

namespace {

// The colour of every 16-bit pixel through the ramp, rebuilt when the ramp or
// the format changes: one look-up a pixel. Only the game thread presents.
struct Table16 {
    GammaRamp ramp{};
    uint32_t masks[3] = {};
    bool built = false;
    std::vector<uint32_t> colours;
};

const uint32_t* Colours16(const Format& f, const GammaRamp& ramp) {
    static Table16 table;
    uint32_t masks[3] = {f.r.mask, f.g.mask, f.b.mask};
    if (table.built && std::memcmp(&table.ramp, &ramp, sizeof ramp) == 0 &&
        std::memcmp(table.masks, masks, sizeof masks) == 0)
        return table.colours.data();
    table.colours.resize(65536);
    View one;
    uint16_t pixel = 0;
    one.top = reinterpret_cast<uint8_t*>(&pixel);
    one.width = one.height = 1;
    one.format = f;
    for (uint32_t v = 0; v < 65536; ++v) {
        pixel = uint16_t(v);
        uint32_t rgb = ReadRgb(one, 0, 0);
        table.colours[v] = (uint32_t(ramp.red[(rgb >> 16) & 0xFF] >> 8) << 16) |
                           (uint32_t(ramp.green[(rgb >> 8) & 0xFF] >> 8) << 8) |
                           (ramp.blue[rgb & 0xFF] >> 8);
    }
    table.ramp = ramp;
    std::memcpy(table.masks, masks, sizeof masks);
    table.built = true;
    return table.colours.data();
}

} // namespace

void ConvertForPresent(const View& src, const GammaRamp& ramp, uint32_t* out, ptrdiff_t outStep) {
    if (outStep == 0)
        outStep = ptrdiff_t(src.width) * 4;
    auto rowOut = [&](int y) {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(out) + y * outStep);
    };
    const Format& f = src.format;
    if (f.bits == 16) {
        const uint32_t* colours = Colours16(f, ramp);
        for (int y = 0; y < src.height; ++y) {
            const uint8_t* row = src.top + y * src.step;
            uint32_t* to = rowOut(y);
            for (int x = 0; x < src.width; ++x)
                to[x] = colours[uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8)];
        }
        return;
    }
    // Each channel value goes through its widening and the ramp once, into a
    // table; the pixels then only look up.
    if (f.bits != 32 || f.r.bits > 8 || f.g.bits > 8 || f.b.bits > 8) {
        for (int y = 0; y < src.height; ++y) {
            uint32_t* to = rowOut(y);
            for (int x = 0; x < src.width; ++x) {
                uint32_t rgb = ReadRgb(src, x, y);
                to[x] = (uint32_t(ramp.red[(rgb >> 16) & 0xFF] >> 8) << 16) |
                        (uint32_t(ramp.green[(rgb >> 8) & 0xFF] >> 8) << 8) |
                        (ramp.blue[rgb & 0xFF] >> 8);
            }
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
        uint32_t* to = rowOut(y);
        for (int x = 0; x < src.width; ++x) {
            uint32_t p;
            std::memcpy(&p, row + 4 * x, 4);
            to[x] = red[(p & f.r.mask) >> f.r.shift] | green[(p & f.g.mask) >> f.g.shift] |
                    blue[(p & f.b.mask) >> f.b.shift];
        }
    }
}

} // namespace platform::display
