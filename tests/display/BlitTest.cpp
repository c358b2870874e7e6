// The surfaces' blits against a plain pixel-by-pixel blitter, over random
// rectangles, keys, sizes and both formats, a surface onto itself included.
#include "platform/display/Blit.h"
#include "platform/Display.h"
#include "platform/Faults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace platform;

namespace {

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> p;
    uint32_t& At(int x, int y) { return p[size_t(y) * size_t(width) + size_t(x)]; }
};

class BlitTest : public ::testing::TestWithParam<uint32_t> {
  protected:
    void SetUp() override {
        SetFaults(nullptr);
        ASSERT_EQ(CreateDisplay(&display_), kOk);
        ASSERT_EQ(display_->SetDisplayMode(64, 48, Bits(), 0, 0), kOk);
    }
    void TearDown() override {
        for (Surface* s : owned_)
            s->Release();
        display_->Release();
    }
    uint32_t Bits() const { return GetParam(); }

    Surface* Make(int w, int h) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.caps = DDSCAPS_OFFSCREENPLAIN;
        desc.width = uint32_t(w);
        desc.height = uint32_t(h);
        Surface* s = nullptr;
        EXPECT_EQ(display_->CreateSurface(&desc, &s, nullptr), kOk);
        owned_.push_back(s);
        return s;
    }

    // Copies pixels between a surface and a plain array, either way.
    void Transfer(Surface* s, Pixels* px, bool toSurface) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), kOk);
        int bytes = int(Bits() / 8);
        px->width = int(desc.width);
        px->height = int(desc.height);
        px->p.resize(size_t(px->width) * size_t(px->height));
        for (int y = 0; y < px->height; ++y)
            for (int x = 0; x < px->width; ++x) {
                uint8_t* at = static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * bytes;
                uint32_t v = 0;
                if (toSurface) {
                    v = px->At(x, y);
                    std::memcpy(at, &v, size_t(bytes));
                } else {
                    std::memcpy(&v, at, size_t(bytes));
                    px->At(x, y) = v;
                }
            }
        s->Unlock(nullptr);
    }

    // Random pixels, a good share of them inside the key's range or just
    // outside it.
    Pixels Random(int w, int h, const ColorKey& key) {
        Pixels px;
        px.width = w;
        px.height = h;
        uint32_t most = Bits() == 16 ? 0xFFFF : 0xFFFFFFFF;
        for (int i = 0; i < w * h; ++i) {
            uint32_t v = uint32_t(rng_());
            switch (rng_() % 6) {
            case 0:
                v = key.low + uint32_t(rng_() % (uint64_t(key.high - key.low) + 1));
                break;
            case 1:
                v = key.low - 1;
                break;
            case 2:
                v = key.high + 1;
                break;
            case 3:
                v = key.high;
                break;
            }
            px.p.push_back(v & most);
        }
        return px;
    }

    ColorKey RandomKey() {
        uint32_t most = Bits() == 16 ? 0xFFFF : 0xFFFFFFFF;
        uint32_t low = uint32_t(rng_()) & most;
        switch (rng_() % 5) {
        case 0:
            return {low, low};
        case 1:
            return {low, low + uint32_t(rng_() % 300)};
        case 2:
            return {low, low - 1}; // empty: nothing hidden
        case 3:
            return {0, 0};
        default:
            return {most - 3, most + 1000}; // reaching past the format
        }
    }

    std::mt19937 rng_{20261208};
    Display* display_ = nullptr;
    std::vector<Surface*> owned_;
};

// What every blit must give: the source read as it was before the blit, and
// a pixel left out exactly when its value lies in the key's range.
void Reference(Pixels* dst, int dx, int dy, Pixels src, const Rect& s, const ColorKey* key) {
    for (int y = s.top; y < s.bottom; ++y)
        for (int x = s.left; x < s.right; ++x) {
            uint32_t v = src.At(x, y);
            if (key && v >= key->low && v <= key->high)
                continue;
            dst->At(dx + x - s.left, dy + y - s.top) = v;
        }
}

TEST_P(BlitTest, FastAndPlainBlitsMatchThePixelByPixelBlitter) {
    // Both vector widths where the processor has the wider one.
    bool wide = display::UseWideBlits(true);
    for (int round = 0; round < (wide ? 600 : 300); ++round) {
        display::UseWideBlits(round < 300);
        bool self = round % 4 == 3;
        bool viaBlt = round % 5 == 4;
        bool keyed = rng_() % 3 != 0;
        ColorKey key = RandomKey();
        int sw = 1 + int(rng_() % 70), sh = 1 + int(rng_() % 40);
        Surface* src = Make(sw, sh);
        Surface* dst = self ? src : Make(1 + int(rng_() % 90), 1 + int(rng_() % 50));
        Pixels srcPx = Random(sw, sh, key);
        Transfer(src, &srcPx, true);
        if (keyed) {
            ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), kOk);
        }
        Pixels dstPx;
        if (!self) {
            dstPx = Random(0, 0, key);
            Transfer(dst, &dstPx, false);
            dstPx = Random(dstPx.width, dstPx.height, key);
            Transfer(dst, &dstPx, true);
        } else {
            dstPx = srcPx;
        }
        Rect s;
        s.left = int(rng_() % uint32_t(sw));
        s.top = int(rng_() % uint32_t(sh));
        int most = std::min(sw - s.left, dstPx.width);
        int w = 1 + int(rng_() % uint32_t(most));
        if (round % 3 == 0) // the widths of tiles and sprite frames
            w = std::min(most, 16 << (rng_() % 3));
        int h = 1 + int(rng_() % uint32_t(std::min(sh - s.top, dstPx.height)));
        s.right = s.left + w;
        s.bottom = s.top + h;
        int dx = int(rng_() % uint32_t(dstPx.width - w + 1));
        int dy = int(rng_() % uint32_t(dstPx.height - h + 1));

        Pixels want = dstPx;
        Reference(&want, dx, dy, srcPx, s, keyed ? &key : nullptr);
        if (viaBlt) {
            Rect d{dx, dy, dx + w, dy + h};
            ASSERT_EQ(dst->Blt(&d, src, &s, keyed ? DDBLT_KEYSRC : 0, nullptr), kOk);
        } else {
            ASSERT_EQ(
                dst->BltFast(dx, dy, src, &s, keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY),
                kOk);
        }
        Pixels got;
        Transfer(dst, &got, false);
        ASSERT_EQ(got.p, want.p) << "round " << round << " key " << key.low << ".." << key.high
                                 << " rect " << s.left << "," << s.top << " " << w << "x" << h
                                 << " to " << dx << "," << dy << (self ? " self" : "");
    }
    display::UseWideBlits(true);
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitTest, ::testing::Values(16u, 32u));

} // namespace
