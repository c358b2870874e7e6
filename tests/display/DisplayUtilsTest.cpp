#include "EngineFixture.h"

#include "common/ByteIO.h"
#include "engine/Layers.h"
#include "platform/Gdi.h"

#include <cstdlib>
#include <unistd.h>

using namespace displaytest;

namespace {

// The debugger output of this process, in a file of its own beside the tests
// (tests run as processes side by side).
const std::string kDebugLog = [] {
    std::string path =
        (fs::current_path() / ("display_utils_debug." + std::to_string(getpid()) + ".log"))
            .string();
    setenv("VRASK_DEBUG_LOG", path.c_str(), 1);
    return path;
}();

using GetDXSurfacesTest = EngineDisplayTest;

TEST_F(GetDXSurfacesTest, WithoutADisplayObjectNothingIsCreated) {
    gDisplay.display->Release();
    gDisplay.display = nullptr;
    EXPECT_EQ(GetDXSurfaces(640, 480, 16), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_EQ(Source(), "VraskUtils");
    EXPECT_EQ(Location(), "GetDXSurfaces()");
    EXPECT_EQ(Message(), "Unable to obtain surfaces: No DirectDraw object!");
}

TEST_F(GetDXSurfacesTest, SameModeKeepsTheChainAndANewDepthReplacesIt) {
    // A second creation in the same mode would fail.
    platform::SetFaults("CreateSurface=fail@2");
    ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    platform::Surface* first = gDisplay.primary;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(gDisplay.back, nullptr);
    EXPECT_EQ(GetDXSurfaces(640, 480, 16), 1);
    EXPECT_EQ(gDisplay.primary, first);
    EXPECT_EQ(gErrorInfo.code, 0);

    platform::SetFaults(nullptr);
    ASSERT_EQ(GetDXSurfaces(640, 480, 32), 1);
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    ASSERT_EQ(gDisplay.back->GetSurfaceDesc(&desc), platform::kOk);
    EXPECT_EQ(desc.pixelFormat.rgbBitCount, 32u);
    EXPECT_TRUE(desc.caps & platform::DDSCAPS_BACKBUFFER);
    ASSERT_EQ(gDisplay.primary->GetSurfaceDesc(&desc), platform::kOk);
    EXPECT_EQ(desc.width, 640u);
    EXPECT_EQ(desc.backBufferCount, 2u);
}

TEST_F(GetDXSurfacesTest, EachFailureSaysWhichStepFailed) {
    EXPECT_EQ(GetDXSurfaces(640, 480, 24), 0);
    EXPECT_EQ(Message(), "Unable to set display mode!");
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_EQ(gDisplay.primary, nullptr);

    platform::SetFaults("CreateSurface=out_of_memory");
    EXPECT_EQ(GetDXSurfaces(640, 480, 16), 0);
    EXPECT_EQ(Message(), "Unable to create primary surface!");
    EXPECT_EQ(gDisplay.primary, nullptr);

    // Without its back surface the chain is not kept.
    platform::SetFaults("GetAttachedSurface=fail");
    EXPECT_EQ(GetDXSurfaces(640, 480, 16), 0);
    EXPECT_EQ(Message(), "Unable to create back surface!");
    EXPECT_EQ(gDisplay.primary, nullptr);
    EXPECT_EQ(gDisplay.back, nullptr);

    platform::SetFaults(nullptr);
    ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    platform::SetFaults("GetSurfaceDesc=fail");
    EXPECT_EQ(GetDXSurfaces(640, 480, 16), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    EXPECT_EQ(Message(), "Unable to get surface description!");
}

using ScreenshotTest = EngineDisplayTest;

// One test holds every screenshot: the counter belongs to the process.
TEST_F(ScreenshotTest, NumberedFilesOfTheVisibleScreen) {
    EXPECT_EQ(TakeScreenshot(), 0); // no screen yet: no number used
    EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    EXPECT_EQ(Message(), "Unable to get surface description!");

    ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    // The visible buffer gets a colour; the back buffer another, never shown.
    platform::BltFx fx{sizeof(platform::BltFx), (31u << 11) | (33u << 5) | 4u};
    platform::Rect corner{0, 479, 1, 480}; // bottom-left pixel
    ASSERT_EQ(gDisplay.back->Blt(&corner, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx),
              platform::kOk);
    ASSERT_EQ(gDisplay.primary->Flip(nullptr, platform::DDFLIP_WAIT), platform::kOk);
    fx.fillColor = 0xFFFF;
    gDisplay.back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);

    std::ofstream("Tolwick000.bmp") << "left by an earlier run";
    ASSERT_EQ(TakeScreenshot(), 1);
    auto file = Read("Tolwick000.bmp");
    ASSERT_EQ(file.size(), 54u + 614400u);
    ByteReader in(file.data(), file.size());
    EXPECT_EQ(in.U16(), 0x4D42);
    EXPECT_EQ(in.U32(), 614454u);
    EXPECT_EQ(in.U32(), 0u);
    EXPECT_EQ(in.U32(), 54u);
    EXPECT_EQ(in.U32(), 40u);
    EXPECT_EQ(in.S32(), 640);
    EXPECT_EQ(in.S32(), 480);
    EXPECT_EQ(in.U16(), 1);
    EXPECT_EQ(in.U16(), 16);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(in.U32(), 0u) << "field at " << 30 + 4 * i;
    // Bottom row first, 5-5-5: red 31, green 33 >> 1, blue 4.
    EXPECT_EQ(in.U16(), (31u << 10) | (16u << 5) | 4u);
    EXPECT_EQ(in.U16(), 0u);

    // A file that cannot be created still uses up its number.
    fs::create_directory("Tolwick001.bmp");
    EXPECT_EQ(TakeScreenshot(), 0);
    EXPECT_EQ(Message(), "Unable to create .bmp file!");
    EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    ASSERT_EQ(TakeScreenshot(), 1);
    EXPECT_TRUE(fs::exists("Tolwick002.bmp"));

    ASSERT_EQ(GetDXSurfaces(64, 48, 32), 1);
    ASSERT_EQ(TakeScreenshot(), 1);
    auto deep = Read("Tolwick003.bmp");
    EXPECT_EQ(deep.size(), 54u + 64u * 48u * 4u);
    EXPECT_EQ(ByteReader(deep.data() + 28, 2).U16(), 32);

    // Rows of an odd 16-bit width keep their padding, so the file reads back.
    ASSERT_EQ(GetDXSurfaces(3, 2, 16), 1);
    ASSERT_EQ(TakeScreenshot(), 1);
    auto odd = Read("Tolwick004.bmp");
    EXPECT_EQ(odd.size(), 54u + 8u * 2u);
    EXPECT_EQ(ByteReader(odd.data() + 2, 4).U32(), odd.size());

    platform::SetFaults("GetDC=fail");
    EXPECT_EQ(TakeScreenshot(), 0);
    EXPECT_EQ(Message(), "Unable to get DC from surface!");
    platform::SetFaults("CreateDIBSection=fail");
    EXPECT_EQ(TakeScreenshot(), 0);
    EXPECT_EQ(Message(), "Unable to create DIBSection!");
    platform::SetFaults("CreateCompatibleDC=fail");
    EXPECT_EQ(TakeScreenshot(), 0);
    EXPECT_EQ(Message(), "Unable to create memory DC!");
    platform::SetFaults(nullptr);

    // Numbers grow past three digits.
    int made = 5;
    while (made <= 1000) {
        ASSERT_EQ(TakeScreenshot(), 1);
        ++made;
    }
    EXPECT_TRUE(fs::exists("Tolwick999.bmp"));
    EXPECT_TRUE(fs::exists("Tolwick1000.bmp"));
}

class CopyTest : public EngineDisplayTest {
  protected:
    // A 4 x 4, 32-bit section with distinct pixels.
    platform::Bitmap* Picture() {
        platform::BitmapInfo info{};
        info.header = {
            sizeof(platform::BitmapInfoHeader), 4, -4, 1, 32, platform::BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        platform::Bitmap* b =
            platform::CreateDIBSection(nullptr, &info, platform::DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* p = static_cast<uint32_t*>(bits);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p[y * 4 + x] = uint32_t(0x100000 * (x + 1) + 0x10 * (y + 1));
        return b;
    }
    platform::Surface* Plain(uint32_t w, uint32_t h) {
        platform::SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
        desc.caps = platform::DDSCAPS_OFFSCREENPLAIN;
        desc.width = w;
        desc.height = h;
        platform::Surface* s = nullptr;
        EXPECT_EQ(gDisplay.display->CreateSurface(&desc, &s, nullptr), platform::kOk);
        return s;
    }
};

TEST_F(CopyTest, WholeBitmapOrARectangleIsStretchedOverTheSurface) {
    ASSERT_EQ(gDisplay.display->SetDisplayMode(640, 480, 32, 0, 0), platform::kOk);
    platform::Bitmap* picture = Picture();
    platform::Surface* surface = Plain(8, 8);
    ASSERT_EQ(CopyBitmapToSurface(surface, picture, 0, 0, 0, 0), 1);
    EXPECT_EQ(At(surface, 0, 0), 0x100010u);
    EXPECT_EQ(At(surface, 7, 7), 0x400040u);
    EXPECT_EQ(At(surface, 2, 5), 0x200030u);
    ASSERT_EQ(CopyBitmapToSurface(surface, picture, 1, 2, 2, 1), 1);
    EXPECT_EQ(At(surface, 0, 0), 0x200030u);
    EXPECT_EQ(At(surface, 3, 7), 0x200030u);
    EXPECT_EQ(At(surface, 4, 0), 0x300030u);

    EXPECT_EQ(CopyBitmapToSurface(nullptr, picture, 0, 0, 0, 0), 0);
    EXPECT_EQ(Message(), "Unable to copy: no surface or bitmap!");
    EXPECT_EQ(Location(), "CopyBitmapToSurface()");
    platform::SetFaults("GetDC=fail");
    EXPECT_EQ(CopyBitmapToSurface(surface, picture, 0, 0, 0, 0), 0);
    EXPECT_EQ(Message(), "Unable to obtain surface DC!");
    platform::SetFaults("CreateCompatibleDC=fail");
    EXPECT_EQ(CopyBitmapToSurface(surface, picture, 0, 0, 0, 0), 0);
    EXPECT_EQ(Message(), "CreatCompatibleDC failed!");
    platform::SetFaults(nullptr);

    // A lost surface is restored first.
    platform::SetFaults("Lock=surface_lost@1");
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), platform::kSurfaceLost);
    platform::SetFaults(nullptr);
    EXPECT_EQ(CopyBitmapToSurface(surface, picture, 0, 0, 0, 0), 1);
    EXPECT_EQ(At(surface, 7, 7), 0x400040u);
    platform::DeleteObject(picture);
    surface->Release();
}

TEST_F(CopyTest, ReLoadBitmapFallsBackToTheFile) {
    ASSERT_EQ(gDisplay.display->SetDisplayMode(640, 480, 16, 0, 0), platform::kOk);
    gamedata::BmpFileDesc bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.bitCount = 24;
    bmp.pixels = gamedata::DibRows(
        2, 2, 24, [](int x, int y) { return x == 0 && y == 0 ? 0xFF0000u : 0x0000FFu; });
    Write("data/Back.bmp", gamedata::BuildBmpFile(bmp));
    platform::Surface* surface = Plain(4, 4);
    ASSERT_EQ(ReLoadBitmap(surface, "data\\BACK.BMP"), 1);
    EXPECT_EQ(At(surface, 1, 1), 0xF800u);
    EXPECT_EQ(At(surface, 2, 1), 0x001Fu);
    EXPECT_EQ(At(surface, 3, 3), 0x001Fu);

    EXPECT_EQ(ReLoadBitmap(surface, "data\\nothing.bmp"), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_EQ(Location(), "ReLoadBitmap()");
    EXPECT_EQ(Message(), "Unable to load bitmap:data\\nothing.bmp");
    surface->Release();
}

using OpenBrowserTest = EngineDisplayTest;

TEST_F(OpenBrowserTest, ShellResultsBecomeWarnings) {
    CopyField(gErrorInfo.message, "earlier");
    EXPECT_EQ(OpenBrowser(nullptr), 0);
    EXPECT_EQ(gErrorInfo.code, 0);
    EXPECT_EQ(Message(), "earlier");

    EXPECT_EQ(OpenBrowser("https://example.org/"), 1); // headless: logged only
    EXPECT_EQ(gErrorInfo.code, 0);

    platform::SetFaults("ShellExecute=13");
    EXPECT_EQ(OpenBrowser("https://example.org/"), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    EXPECT_EQ(Location(), "OpenBrowser()");
    EXPECT_EQ(Message(), "earlier"); // no text for this code

    const std::pair<int, const char*> table[] = {
        {2, "SE_ERR_FNF"},
        {3, "SE_ERR_PNF"},
        {5, "SE_ERR_ACCESSDENIED"},
        {8, "SE_ERR_OOM"},
        {11, "ERROR_BAD_FORMAT"},
        {26, "SE_ERR_SHARE"},
        {27, "SE_ERR_ASSOCINCOMPLETE"},
        {28, "SE_ERR_DDETIMEOUT"},
        {29, "SE_ERR_DDEFAIL"},
        {30, "SE_ERR_DDEBUSY"},
        {31, "SE_ERR_NOASSOC"},
        {32, "SE_ERR_DLLNOTFOUND"},
    };
    for (const auto& [code, name] : table) {
        platform::SetFaults(("ShellExecute=" + std::to_string(code)).c_str());
        EXPECT_EQ(OpenBrowser("x"), 0);
        EXPECT_EQ(Message(), std::string("Unable to open browser: ") + name + "!");
        EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    }
}

class LoadScreenTest : public EngineDisplayTest {
  protected:
    void SetUp() override {
        EngineDisplayTest::SetUp();
        // Frame 0 is 100 x 50 at the sheet's top-left; frame 1 beside it.
        Write("data/QEXAGS.012",
              gamedata::BuildSpriteSheetFile(Sheet(200, 50, 100, 50, 2, 2, [](int x, int y) {
                  return x < 100 ? uint32_t(0x4000 | ((y % 32) << 5) | x % 32) : 0x7FFFu;
              })));
    }
    void TearDown() override {
        LoadScreenCleanup();
        EngineDisplayTest::TearDown();
    }

    // The frame's pixels in 5-6-5, from 5-5-5 (red 16, green y, blue x).
    static uint32_t Expected(int x, int y) {
        uint32_t g5 = uint32_t(y) & 0x1F;
        return (16u << 11) | (((g5 << 1) | (g5 >> 4)) << 5) | uint32_t(x % 32);
    }

    void ExpectFrameShown() {
        platform::Surface* front = gDisplay.primary;
        for (int y = 0; y < 480; y += 7)
            for (int x = 0; x < 640; x += 3) {
                bool inside = x >= 270 && x < 370 && y >= 190 && y < 240;
                ASSERT_EQ(At(front, x, y), inside ? Expected(x - 270, y - 190) : 0u)
                    << x << "," << y;
            }
        EXPECT_EQ(At(front, 270, 190), Expected(0, 0));
        EXPECT_EQ(At(front, 369, 239), Expected(99, 49));
        EXPECT_EQ(At(front, 370, 239), 0u);
        EXPECT_EQ(At(front, 269, 190), 0u);
        EXPECT_EQ(At(front, 270, 240), 0u);
        // The buffers behind it are black.
        EXPECT_EQ(At(gDisplay.back, 300, 200), 0u);
    }

    static std::string DebugText() {
        std::ifstream in(kDebugLog);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(LoadScreenTest, DrawsFrameZeroOnBlackAboveTheMiddleLine) {
    ASSERT_EQ(LoadScreenInit(), 1);
    // Whatever was on screen before is cleared from all three buffers.
    ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    platform::BltFx fx{sizeof(platform::BltFx), 0x1234};
    gDisplay.back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
    gDisplay.primary->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
    ASSERT_EQ(LoadScreen(), 1);
    ExpectFrameShown();
    EXPECT_EQ(LoadScreenDone(), 1);
}

TEST_F(LoadScreenTest, ALostSpriteSurfaceIsReloadedOnce) {
    ASSERT_EQ(LoadScreenInit(), 1);
    platform::SetFaults("BltFast=surface_lost@1");
    ASSERT_EQ(LoadScreen(), 1);
    ExpectFrameShown();
    EXPECT_NE(DebugText().find("\nLost sprite surface in LoadScreen!\n"), std::string::npos);
}

TEST_F(LoadScreenTest, AFailedReloadStopsTheScreen) {
    ASSERT_EQ(LoadScreenInit(), 1);
    fs::remove("data/QEXAGS.012");
    platform::SetFaults("BltFast=surface_lost@1");
    EXPECT_EQ(LoadScreen(), 0);
    EXPECT_EQ(Location(), "ReLoadSprite()");
    EXPECT_EQ(Message(), "Unable to open qexags.012");
}

TEST_F(LoadScreenTest, SetUpFailuresAreThoseOfTheSheetLoader) {
    fs::remove("data/QEXAGS.012");
    EXPECT_EQ(LoadScreenInit(), 0);
    EXPECT_EQ(Source(), "Layers");
    EXPECT_EQ(Location(), "LoadSprite()");
    EXPECT_EQ(Message(), "Unable to open qexags.012");
    // Without a mode the screen cannot be shown.
    platform::SetFaults("SetDisplayMode=fail");
    EXPECT_EQ(LoadScreen(), 0);
    EXPECT_EQ(Message(), "Unable to set display mode!");
}

TEST_F(LoadScreenTest, ReLoadSpriteRefillsTheSpritesSurface) {
    ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    void* block = nullptr;
    auto* sprite = static_cast<Sprite*>(AllocAligned(&block, sizeof(Sprite)));
    CopyField(sprite->sheetFile, "qexags.012");
    ASSERT_EQ(LoadSprite(sprite, 1), 1);
    platform::BltFx fx{sizeof(platform::BltFx), 0};
    sprite->surface->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
    ASSERT_EQ(ReLoadSprite(sprite), 1);
    EXPECT_EQ(At(sprite->surface, 5, 7), Expected(5, 7));
    EXPECT_EQ(At(sprite->surface, 150, 7), 0xFFFFu);
    EXPECT_EQ(sprite->bitmap, nullptr);
    EXPECT_EQ(sprite->frameWidth, 100u); // untouched

    platform::SetFaults("SetDIBits=fail,CreateDIBSection=fail");
    EXPECT_EQ(ReLoadSprite(sprite), 0);
    EXPECT_EQ(Message(), "Unable to create sprite DIBSection!");
    platform::SetFaults("HeapAlloc=fail@1");
    EXPECT_EQ(ReLoadSprite(sprite), 0);
    EXPECT_EQ(Message(), "Unable to allocate sprite buffer memory!");
    platform::SetFaults("HeapAlloc=fail@2");
    EXPECT_EQ(ReLoadSprite(sprite), 0);
    EXPECT_EQ(Message(), "Unable to allocate memory for bitmap info!");
    platform::SetFaults(nullptr);
    FreeSprite(sprite, block);
}

} // namespace
