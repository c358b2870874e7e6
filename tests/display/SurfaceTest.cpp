#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/display/Presenter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace platform;

namespace {

class SurfaceTest : public ::testing::TestWithParam<uint32_t> {
  protected:
    void SetUp() override {
        SetFaults(nullptr);
        ASSERT_EQ(CreateDisplay(&display_), kOk);
        ASSERT_EQ(display_->SetDisplayMode(64, 48, Bits(), 0, 0), kOk);
    }
    void TearDown() override {
        SetFaults(nullptr);
        for (Surface* s : owned_)
            s->Release();
        display_->Release();
    }

    uint32_t Bits() const { return GetParam(); }

    Surface* Plain(uint32_t w, uint32_t h, bool keyed = false) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.caps = DDSCAPS_OFFSCREENPLAIN;
        desc.width = w;
        desc.height = h;
        Surface* s = nullptr;
        EXPECT_EQ(display_->CreateSurface(&desc, &s, nullptr), kOk);
        if (keyed) {
            ColorKey black{0, 0};
            EXPECT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &black), kOk);
        }
        owned_.push_back(s);
        return s;
    }

    Surface* Chain() {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.backBufferCount = 2;
        Surface* s = nullptr;
        EXPECT_EQ(display_->CreateSurface(&desc, &s, nullptr), kOk);
        owned_.push_back(s);
        return s;
    }

    uint32_t Get(Surface* s, int x, int y) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        EXPECT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), kOk);
        auto* row = static_cast<uint8_t*>(desc.surface) + y * desc.pitch;
        uint32_t v = 0;
        std::memcpy(&v, row + x * (Bits() / 8), Bits() / 8);
        s->Unlock(nullptr);
        return v;
    }

    void Put(Surface* s, int x, int y, uint32_t v) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), kOk);
        auto* row = static_cast<uint8_t*>(desc.surface) + y * desc.pitch;
        std::memcpy(row + x * (Bits() / 8), &v, Bits() / 8);
        s->Unlock(nullptr);
    }

    // A pattern of distinct colours with black (0) at every third pixel.
    uint32_t Pattern(int x, int y) const {
        if ((x + y) % 3 == 0)
            return 0;
        uint32_t v = uint32_t(x * 37 + y * 101 + 1);
        return Bits() == 16 ? (v & 0xFFFF ? v & 0xFFFF : 1) : (v * 2654435761u) & 0xFFFFFF;
    }

    void Fill(Surface* s, uint32_t w, uint32_t h) {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                Put(s, int(x), int(y), Pattern(int(x), int(y)));
    }

    Display* display_ = nullptr;
    std::vector<Surface*> owned_;
};

TEST_P(SurfaceTest, DescriptionsCarryTheModeFormat) {
    Surface* chain = Chain();
    SurfaceDesc desc{};
    desc.size = sizeof(desc);
    ASSERT_EQ(chain->GetSurfaceDesc(&desc), kOk);
    EXPECT_EQ(desc.width, 64u);
    EXPECT_EQ(desc.height, 48u);
    EXPECT_EQ(desc.pixelFormat.rgbBitCount, Bits());
    EXPECT_EQ(desc.backBufferCount, 2u);
    EXPECT_TRUE(desc.caps & DDSCAPS_PRIMARYSURFACE);
    if (Bits() == 16) {
        EXPECT_EQ(desc.pixelFormat.rBitMask, 0xF800u);
        EXPECT_EQ(desc.pixelFormat.gBitMask, 0x07E0u);
    } else {
        EXPECT_EQ(desc.pixelFormat.rBitMask, 0xFF0000u);
    }
    desc.size = 12;
    EXPECT_EQ(chain->GetSurfaceDesc(&desc), kInvalidParam);

    SurfaceDesc second{};
    second.size = sizeof(second);
    second.flags = DDSD_CAPS;
    second.caps = DDSCAPS_PRIMARYSURFACE;
    Surface* other = nullptr;
    EXPECT_EQ(display_->CreateSurface(&second, &other, nullptr), kAllocated);
}

TEST_P(SurfaceTest, OtherDepthsAreRefusedAsAMode) {
    EXPECT_EQ(display_->SetDisplayMode(640, 480, 24, 0, 0), kUnsupportedMode);
    EXPECT_EQ(display_->SetDisplayMode(640, 480, 8, 0, 0), kUnsupportedMode);
    EXPECT_EQ(display_->SetDisplayMode(0, 480, 16, 0, 0), kUnsupportedMode);
    EXPECT_EQ(display_->SetDisplayMode(1000, 3, Bits(), 0, 0), kOk);
}

TEST_P(SurfaceTest, OpaqueAndKeyedFastBlitsArePixelExact) {
    Surface* src = Plain(8, 6, true);
    Fill(src, 8, 6);
    Surface* opaque = Plain(20, 20);
    Surface* keyed = Plain(20, 20);
    const uint32_t background = Bits() == 16 ? 0x1234 : 0x00ABCDEF;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            Put(opaque, x, y, background);
            Put(keyed, x, y, background);
        }
    Rect part{2, 1, 7, 5}; // 5 x 4
    ASSERT_EQ(opaque->BltFast(10, 3, src, &part, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), kOk);
    ASSERT_EQ(keyed->BltFast(10, 3, src, &part, DDBLTFAST_SRCCOLORKEY), kOk);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 10 && x < 15 && y >= 3 && y < 7;
            uint32_t s = inside ? Pattern(x - 10 + 2, y - 3 + 1) : background;
            EXPECT_EQ(Get(opaque, x, y), s) << x << "," << y;
            EXPECT_EQ(Get(keyed, x, y), inside && s == 0 ? background : s) << x << "," << y;
        }
}

TEST_P(SurfaceTest, FastBlitsOutsideEitherSurfaceAreRefused) {
    Surface* src = Plain(8, 8, true);
    Surface* dst = Plain(16, 16);
    Rect tooWide{0, 0, 9, 8};
    EXPECT_EQ(dst->BltFast(0, 0, src, &tooWide, 0), kInvalidParam);
    EXPECT_EQ(dst->BltFast(9, 0, src, nullptr, 0), kInvalidParam);
    EXPECT_EQ(dst->BltFast(-1, 0, src, nullptr, 0), kInvalidParam);
    Rect empty{3, 3, 3, 5};
    EXPECT_EQ(dst->BltFast(0, 0, src, &empty, 0), kInvalidParam);
    Surface* unkeyed = Plain(4, 4);
    EXPECT_EQ(dst->BltFast(0, 0, unkeyed, nullptr, DDBLTFAST_SRCCOLORKEY), kInvalidParam);
    EXPECT_EQ(dst->BltFast(8, 8, src, nullptr, 0), kOk);
}

TEST_P(SurfaceTest, ColourFillAndDoubleStretch) {
    Surface* dst = Plain(16, 12);
    BltFx fx{sizeof(BltFx), Bits() == 16 ? 0xF800u : 0xFF0000u};
    Rect band{2, 3, 14, 5};
    ASSERT_EQ(dst->Blt(&band, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), kOk);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(Get(dst, x, y), x >= 2 && x < 14 && y >= 3 && y < 5 ? fx.fillColor : 0u);

    Surface* src = Plain(5, 4);
    Fill(src, 5, 4);
    Surface* big = Plain(10, 8);
    Rect whole{0, 0, 10, 8};
    ASSERT_EQ(big->Blt(&whole, src, nullptr, DDBLT_WAIT, nullptr), kOk);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(Get(big, x, y), Pattern(x / 2, y / 2)) << x << "," << y;
}

TEST_P(SurfaceTest, FlipRotatesTheChainAndShowsTheFirstBackBuffer) {
    Surface* primary = Chain();
    Surface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(DDSCAPS_BACKBUFFER, &back), kOk);
    Surface* second = nullptr;
    ASSERT_EQ(back->GetAttachedSurface(DDSCAPS_FLIP, &second), kOk);
    ASSERT_NE(second, back);
    // The back buffer belongs to the chain: releasing it changes nothing.
    back->Release();
    back->Release();
    Put(primary, 0, 0, 1);
    Put(back, 0, 0, 2);
    Put(second, 0, 0, 3);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), kOk);
    EXPECT_EQ(Get(primary, 0, 0), 2u);
    EXPECT_EQ(Get(back, 0, 0), 3u);
    EXPECT_EQ(Get(second, 0, 0), 1u);
    EXPECT_EQ(back->Flip(nullptr, 0), kUnsupported);
    Surface* plain = Plain(4, 4);
    EXPECT_EQ(plain->Flip(nullptr, 0), kUnsupported);
}

TEST_P(SurfaceTest, InjectedFaultsBehaveAsTheHardwareWould) {
    Surface* src = Plain(4, 4, true);
    Surface* dst = Plain(8, 8);
    // Still drawing: answered unless the caller asked to wait.
    SetFaults("BltFast=still_drawing");
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), kWasStillDrawing);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), kOk);
    // A lost source stays lost until restored, which clears it.
    Put(src, 1, 1, 7);
    SetFaults("BltFast=surface_lost@1");
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), kSurfaceLost);
    EXPECT_EQ(src->IsLost(), kSurfaceLost);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), kSurfaceLost);
    DeviceContext* dc = nullptr;
    EXPECT_EQ(src->GetDC(&dc), kSurfaceLost);
    ASSERT_EQ(src->Restore(), kOk);
    EXPECT_EQ(src->IsLost(), kOk);
    EXPECT_EQ(Get(src, 1, 1), 0u);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), kOk);
    SetFaults("CreateSurface=out_of_memory");
    SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = desc.height = 4;
    Surface* none = reinterpret_cast<Surface*>(&desc);
    EXPECT_EQ(display_->CreateSurface(&desc, &none, nullptr), kOutOfMemory);
    EXPECT_EQ(none, nullptr);
}

TEST_P(SurfaceTest, GammaRampIsKeptAndAppliedWhenPresenting) {
    Surface* primary = Chain();
    GammaControl* gamma = nullptr;
    ASSERT_EQ(primary->GetGammaControl(&gamma), kOk);
    GammaRamp ramp{};
    ASSERT_EQ(gamma->GetGammaRamp(0, &ramp), kOk);
    EXPECT_EQ(ramp.red[0], 0);
    EXPECT_EQ(ramp.red[255], 0xFFFF);
    EXPECT_EQ(ramp.green[128], 128 * 257);
    for (int i = 0; i < 256; ++i)
        ramp.red[i] = uint16_t(ramp.red[i] / 2);
    ASSERT_EQ(gamma->SetGammaRamp(DDSGR_CALIBRATE, &ramp), kOk);
    GammaRamp back{};
    ASSERT_EQ(gamma->GetGammaRamp(0, &back), kOk);
    EXPECT_EQ(std::memcmp(&back, &ramp, sizeof(ramp)), 0);
    gamma->Release();

    Surface* plain = Plain(4, 4);
    EXPECT_EQ(plain->GetGammaControl(&gamma), kUnsupported);

    // White through the halved red ramp.
    uint8_t pixels[4];
    uint32_t white = Bits() == 16 ? 0xFFFF : 0xFFFFFF;
    std::memcpy(pixels, &white, 4);
    display::View view;
    view.top = pixels;
    view.step = 4;
    view.width = 1;
    view.height = 1;
    view.format = display::SurfaceFormat(int(Bits()));
    uint32_t out = 0;
    display::ConvertForPresent(view, ramp, &out);
    EXPECT_EQ(out, 0x7FFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceTest, ::testing::Values(16u, 32u));

TEST(ViewportTest, WholeScalesWhenTheyFitLetterboxOtherwise) {
    auto v = display::FitViewport(1280, 1024, 640, 480);
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 32);
    EXPECT_EQ(v.width, 1280);
    EXPECT_EQ(v.height, 960);
    v = display::FitViewport(1920, 1080, 640, 480); // 2x: 1280 x 960 centred
    EXPECT_EQ(v.x, 320);
    EXPECT_EQ(v.y, 60);
    EXPECT_EQ(v.width, 1280);
    v = display::FitViewport(500, 500, 640, 480); // smaller: aspect kept
    EXPECT_EQ(v.width, 500);
    EXPECT_EQ(v.height, 375);
    EXPECT_EQ(v.y, 62);
    v = display::FitViewport(300, 480, 640, 480);
    EXPECT_EQ(v.width, 300);
    EXPECT_EQ(v.height, 225);
}

TEST(PixelFormatTest, ChannelsWidenByRepeatingAndNarrowByTruncating) {
    display::Format f565 = display::SurfaceFormat(16);
    EXPECT_EQ(display::EncodeRgb(f565, 0xFFFFFF), 0xFFFFu);
    EXPECT_EQ(display::EncodeRgb(f565, 0x070307), 0u); // dark: below one step of each channel
    EXPECT_EQ(display::EncodeRgb(f565, 0x080400), 0x0820u);
    uint16_t pixel = 0x0821; // r=1, g=1, b=1
    display::View v;
    v.top = reinterpret_cast<uint8_t*>(&pixel);
    v.step = 2;
    v.width = v.height = 1;
    v.format = f565;
    EXPECT_EQ(display::ReadRgb(v, 0, 0), 0x080408u);
    pixel = 0xFFFF;
    EXPECT_EQ(display::ReadRgb(v, 0, 0), 0xFFFFFFu);
}

} // namespace
