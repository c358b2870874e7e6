#include "platform/Gdi.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Shell.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string Scratch(const std::string& name) {
    fs::path dir = fs::current_path() / "gdi_scratch";
    fs::create_directories(dir);
    return (dir / name).string();
}

class GdiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetFaults(nullptr);
        ASSERT_EQ(CreateDisplay(&display_), kOk);
    }
    void TearDown() override {
        SetFaults(nullptr);
        if (surface_)
            surface_->Release();
        display_->Release();
    }

    // The bitmap copied onto a new surface of its size, as the sheet loaders do.
    void ToSurface(Bitmap* bitmap, uint32_t bits) {
        ASSERT_EQ(display_->SetDisplayMode(64, 64, bits, 0, 0), kOk);
        BitmapDesc bm{};
        ASSERT_EQ(GetObject(bitmap, sizeof(bm), &bm), int(sizeof(bm)));
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.caps = DDSCAPS_OFFSCREENPLAIN;
        desc.width = uint32_t(bm.width);
        desc.height = uint32_t(bm.height);
        if (surface_)
            surface_->Release();
        ASSERT_EQ(display_->CreateSurface(&desc, &surface_, nullptr), kOk);
        DeviceContext* memory = CreateCompatibleDC(nullptr);
        Bitmap* previous = SelectObject(memory, bitmap);
        ASSERT_NE(previous, nullptr);
        DeviceContext* dc = nullptr;
        ASSERT_EQ(surface_->GetDC(&dc), kOk);
        EXPECT_TRUE(BitBlt(dc, 0, 0, bm.width, bm.height, memory, 0, 0, SRCCOPY));
        surface_->ReleaseDC(dc);
        SelectObject(memory, previous);
        DeleteDC(memory);
        bits_ = bits;
    }

    uint32_t At(int x, int y) {
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        EXPECT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), kOk);
        uint32_t v = 0;
        std::memcpy(&v, static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * (bits_ / 8),
                    bits_ / 8);
        surface_->Unlock(nullptr);
        return v;
    }

    // A section filled through SetDIBits as the sheet loaders build it.
    Bitmap* Section(int width, int height, int bits, const std::vector<uint8_t>& rows,
                    const BitmapInfo* table = nullptr) {
        BitmapInfo info{};
        if (table)
            info = *table;
        info.header = {
            sizeof(BitmapInfoHeader), width, height, 1, uint16_t(bits), BI_RGB, 0, 0, 0, 0, 0};
        void* bits_out = nullptr;
        Bitmap* bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_out, nullptr, 0);
        EXPECT_NE(bitmap, nullptr);
        EXPECT_EQ(SetDIBits(nullptr, bitmap, 0, uint32_t(height < 0 ? -height : height),
                            rows.data(), &info, DIB_RGB_COLORS),
                  height < 0 ? -height : height);
        return bitmap;
    }

    Display* display_ = nullptr;
    Surface* surface_ = nullptr;
    uint32_t bits_ = 16;
};

TEST_F(GdiTest, TwentyFourBitSheetsConvertByTruncationAndDarkBecomesZero) {
    const uint32_t colours[4] = {0xFF8040, 0x070307, 0x0A0B0C, 0x000000};
    auto rows = gamedata::DibRows(4, 2, 24, [&](int x, int) { return colours[x]; });
    Bitmap* bitmap = Section(4, 2, 24, rows);
    ToSurface(bitmap, 16);
    EXPECT_EQ(At(0, 0), (0x1Fu << 11) | (0x20u << 5) | 0x08u);
    EXPECT_EQ(At(1, 1), 0u); // dark: transparent under the black key
    EXPECT_EQ(At(2, 0), (1u << 11) | (2u << 5) | 1u);
    EXPECT_EQ(At(3, 0), 0u);
    ToSurface(bitmap, 32);
    EXPECT_EQ(At(0, 0), 0xFF8040u);
    EXPECT_EQ(At(1, 0), 0x070307u);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, SixteenBitSheetsAreFiveFiveFive) {
    // 5-5-5: red 31, green 16, blue 1.
    auto rows = gamedata::DibRows(
        2, 1, 16, [](int x, int) { return x == 0 ? (31u << 10) | (16u << 5) | 1u : 0u; });
    Bitmap* bitmap = Section(2, 1, 16, rows);
    ToSurface(bitmap, 16);
    EXPECT_EQ(At(0, 0), (31u << 11) | (33u << 5) | 1u); // green widened to 6 bits
    ToSurface(bitmap, 32);
    EXPECT_EQ(At(0, 0), 0xFF8408u);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, EightBitSheetsGoThroughTheLoadersTable) {
    // The loaders' table: black, white, and zeros after.
    BitmapInfo table{};
    table.colors[1] = {255, 255, 255, 0};
    auto rows = gamedata::DibRows(3, 2, 8, [](int x, int y) { return uint32_t(x + y * 3); });
    Bitmap* bitmap = Section(3, 2, 8, rows, &table);
    ToSurface(bitmap, 16);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), 0xFFFFu);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(At(i % 3, i / 3), 0u) << i;
    DeleteObject(bitmap);
}

TEST_F(GdiTest, TopDownSectionsKeepTheirPictureOrder) {
    auto rows = gamedata::DibRows(
        2, 3, 32, [](int, int y) { return uint32_t(y + 1) * 0x10; }, true);
    Bitmap* bitmap = Section(2, -3, 32, rows);
    ToSurface(bitmap, 32);
    EXPECT_EQ(At(0, 0), 0x10u);
    EXPECT_EQ(At(1, 2), 0x30u);
    BitmapDesc bm{};
    GetObject(bitmap, sizeof(bm), &bm);
    EXPECT_EQ(bm.height, 3);
    EXPECT_EQ(bm.widthBytes, 8);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, StretchBltEnlargesARectangle) {
    auto rows = gamedata::DibRows(4, 4, 24, [](int x, int y) { return uint32_t(x * 16 + y); });
    Bitmap* small = Section(4, 4, 24, rows);
    BitmapInfo info{};
    info.header = {sizeof(BitmapInfoHeader), 8, 8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    Bitmap* big = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    DeviceContext* from = CreateCompatibleDC(nullptr);
    DeviceContext* to = CreateCompatibleDC(nullptr);
    Bitmap* oldFrom = SelectObject(from, small);
    Bitmap* oldTo = SelectObject(to, big);
    // A bitmap cannot sit in two contexts at once.
    EXPECT_EQ(SelectObject(to, small), nullptr);
    EXPECT_TRUE(StretchBlt(to, 0, 0, 8, 8, from, 2, 2, 2, 2, SRCCOPY));
    BitmapDesc bm{};
    GetObject(big, sizeof(bm), &bm);
    auto pixel = [&](int x, int y) { // bottom-up rows
        uint32_t v;
        std::memcpy(&v, static_cast<uint8_t*>(bm.bits) + (7 - y) * bm.widthBytes + 4 * x, 4);
        return v;
    };
    EXPECT_EQ(pixel(0, 0), 2u * 16 + 2);
    EXPECT_EQ(pixel(3, 3), 2u * 16 + 2);
    EXPECT_EQ(pixel(4, 0), 3u * 16 + 2);
    EXPECT_EQ(pixel(7, 7), 3u * 16 + 3);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(small);
    DeleteObject(big);
}

TEST_F(GdiTest, TextOutDrawsGlyphsOnAnOpaqueBackground) {
    ASSERT_EQ(display_->SetDisplayMode(64, 64, 32, 0, 0), kOk);
    SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = 40;
    desc.height = 20;
    ASSERT_EQ(display_->CreateSurface(&desc, &surface_, nullptr), kOk);
    bits_ = 32;
    DeviceContext* dc = nullptr;
    ASSERT_EQ(surface_->GetDC(&dc), kOk);
    ASSERT_TRUE(TextOut(dc, 2, 3, "1", 1));
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOut(dc, 20, 3, "|", 1));
    surface_->ReleaseDC(dc);
    // "1" has a full stem in its third column; the cell's background is white.
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(At(2 + 2, 3 + row), 0u) << row;
    EXPECT_EQ(At(2, 3), 0xFFFFFFu);
    EXPECT_EQ(At(2 + 5, 3 + 7), 0xFFFFFFu);
    EXPECT_EQ(At(1, 3), 0u); // outside the cell
    EXPECT_EQ(At(22, 5), 0xFF0000u);
    EXPECT_EQ(At(21, 5), 0u); // transparent background
}

struct BmpCase {
    int bits;
    bool topDown;
};

class BmpFileTest : public GdiTest, public ::testing::WithParamInterface<BmpCase> {};

TEST_P(BmpFileTest, EveryDepthLoadsInBothRowOrders) {
    const BmpCase c = GetParam();
    const int w = 5, h = 3;
    gamedata::BmpFileDesc desc;
    desc.width = w;
    desc.height = c.topDown ? -h : h;
    desc.bitCount = uint16_t(c.bits);
    // Expected colour of each pixel, and how it is stored.
    auto colour = [&](int x, int y) -> uint32_t {
        return c.bits == 1 ? ((x + y) % 2 ? 0xFFFFFF : 0x000000)
                           : (c.bits <= 8 ? 0x102030u * uint32_t((x + y) % 4 + 1) & 0xFFFFFF
                                          : uint32_t(x * 0x300000 + y * 0x4000 + 0x80));
    };
    if (c.bits <= 8) {
        desc.palette = c.bits == 1
                           ? std::vector<uint32_t>{0, 0xFFFFFF}
                           : std::vector<uint32_t>{0, 0x102030, 0x204060, 0x306090, 0x4080C0};
    }
    desc.pixels = gamedata::DibRows(
        w, h, c.bits,
        [&](int x, int y) -> uint32_t {
            if (c.bits == 1)
                return (x + y) % 2;
            if (c.bits <= 8)
                return uint32_t((x + y) % 4 + 1);
            uint32_t rgb = colour(x, y);
            if (c.bits == 16)
                return ((rgb >> 19) << 10) | (((rgb >> 11) & 0x1F) << 5) | ((rgb >> 3) & 0x1F);
            return rgb;
        },
        c.topDown);
    std::string path =
        Scratch("depth" + std::to_string(c.bits) + (c.topDown ? "td" : "bu") + ".bmp");
    ASSERT_TRUE(gamedata::WriteFile(path, gamedata::BuildBmpFile(desc)));
    Bitmap* bitmap =
        LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    ToSurface(bitmap, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t want = colour(x, y);
            if (c.bits == 16) // 5 bits a channel, widened back
                want = (want & 0xF8F8F8) | ((want >> 5) & 0x070707);
            EXPECT_EQ(At(x, y), want) << x << "," << y;
        }
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpFileTest,
                         ::testing::Values(BmpCase{1, false}, BmpCase{4, false}, BmpCase{8, false},
                                           BmpCase{16, false}, BmpCase{24, false},
                                           BmpCase{32, false}, BmpCase{8, true}, BmpCase{24, true},
                                           BmpCase{32, true}));

TEST_F(GdiTest, BitfieldBmpsUseTheirMasks) {
    gamedata::BmpFileDesc desc;
    desc.width = 1;
    desc.height = 1;
    desc.bitCount = 16;
    desc.compression = BI_BITFIELDS;
    desc.masks = {0xF800, 0x07E0, 0x001F};
    desc.pixels = {0xE0, 0x07, 0, 0}; // pure green in 5-6-5
    std::string path = Scratch("fields.bmp");
    gamedata::WriteFile(path, gamedata::BuildBmpFile(desc));
    Bitmap* bitmap = LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(bitmap, nullptr);
    ToSurface(bitmap, 32);
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    DeleteObject(bitmap);

    desc.headerSize = 108; // masks inside a longer header
    gamedata::WriteFile(path, gamedata::BuildBmpFile(desc));
    bitmap = LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(bitmap, nullptr);
    ToSurface(bitmap, 16);
    EXPECT_EQ(At(0, 0), 0x07E0u);
    DeleteObject(bitmap);
}

TEST_F(GdiTest, BmpsWeCannotDrawAreRefused) {
    auto load = [](const gamedata::BmpFileDesc& desc, size_t cut = 0) {
        std::string path = Scratch("bad.bmp");
        auto bytes = gamedata::BuildBmpFile(desc);
        bytes.resize(bytes.size() - cut);
        gamedata::WriteFile(path, bytes);
        Bitmap* b = LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        if (b)
            DeleteObject(b);
        return b != nullptr;
    };
    gamedata::BmpFileDesc good;
    good.width = 4;
    good.height = 2;
    good.bitCount = 24;
    good.pixels.assign(24, 0x55);
    EXPECT_TRUE(load(good));
    EXPECT_FALSE(load(good, 1)); // pixel data cut short

    auto rle = good;
    rle.compression = 1;
    EXPECT_FALSE(load(rle));
    auto deep = good;
    deep.bitCount = 2;
    EXPECT_FALSE(load(deep));
    auto core = good;
    core.headerSize = 12;
    EXPECT_FALSE(load(core));
    auto flat = good;
    flat.height = 0;
    EXPECT_FALSE(load(flat));
    auto wide = good;
    wide.width = -4;
    EXPECT_FALSE(load(wide));
    auto table = good;
    table.bitCount = 8;
    table.pixels.assign(8, 0);
    table.palette = {1, 2, 3};
    table.clrUsed = 300; // more entries than 8 bits allow
    EXPECT_FALSE(load(table));
    auto emptyMasks = good;
    emptyMasks.bitCount = 32;
    emptyMasks.compression = BI_BITFIELDS;
    emptyMasks.masks = {0xFF0000, 0, 0xFF};
    emptyMasks.pixels.assign(32, 0);
    EXPECT_FALSE(load(emptyMasks));

    // No resources: only a load from the file can succeed.
    std::string path = Scratch("good.bmp");
    gamedata::WriteFile(path, gamedata::BuildBmpFile(good));
    EXPECT_EQ(LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
    EXPECT_EQ(
        LoadImage(nullptr, Scratch("missing.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
        nullptr);
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { SetFaults(nullptr); }
    void TearDown() override {
        unsetenv("VRASK_OPENER");
        SetFaults(nullptr);
    }
    // An opener that exits with `status`.
    void Opener(int status) {
        std::string path = Scratch("opener" + std::to_string(status) + ".sh");
        std::ofstream(path) << "#!/bin/sh\n[ -n \"$1\" ] || exit 9\nexit " << status << "\n";
        fs::permissions(path, fs::perms::owner_all);
        setenv("VRASK_OPENER", path.c_str(), 1);
    }
};

TEST_F(ShellTest, OpenerOutcomesMapToShellCodes) {
    Opener(0);
    EXPECT_GT(
        ShellExecute(nullptr, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL), 32);
    EXPECT_EQ(ShellExecute(nullptr, "print", "x", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
    Opener(2);
    EXPECT_EQ(ShellExecute(nullptr, "open", "nowhere.txt", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_FNF);
    Opener(3);
    EXPECT_EQ(ShellExecute(nullptr, "open", "a.xyz", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
    setenv("VRASK_OPENER", Scratch("no-such-opener").c_str(), 1);
    EXPECT_EQ(ShellExecute(nullptr, "open", "a", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
    SetFaults("ShellExecute=26");
    EXPECT_EQ(ShellExecute(nullptr, "open", "a", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_SHARE);
}

TEST_F(ShellTest, HeadlessWithoutAnOpenerLaunchesNothing) {
    unsetenv("VRASK_OPENER");
    EXPECT_EQ(
        ShellExecute(nullptr, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL),
        kShellLaunched);
}

} // namespace
