// The drawing of a running level, pixel by pixel on the primary surface of
// the headless display: partial edge cells, the cell rule, the view past the
// map's edges, keyed and opaque layers, and clipped sprites.
#include "level/LevelFixture.h"
#include "platform/Gdi.h"
#include "support/Files.h"

#include <cstdio>

namespace leveltest {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

struct Placed {
    int64_t x, y;
    uint32_t frame;
    bool visible;
};

class LevelDrawTest : public LevelTest {
  protected:
    // What the screen must show, worked out pixel by pixel from the pictures
    // the engine loaded: the background, then the main layer's cells where
    // the cell rule allows and the key does not hide them, then the sprites.
    Picture Expected(const std::vector<Placed>& sprites) {
        Layer* main = LayerAt(1);
        Picture back = Grab(LayerAt(0)->tileSets[1]->surface);
        Picture tiles = Grab(main->tileSets[1]->surface);
        Picture sheet = Grab(gPlayerSprite->surface);
        int64_t left = int64_t(main->scrollColumn) * 16 + main->scrollSubX;
        int64_t top = int64_t(main->scrollRow) * 16 + main->scrollSubY;
        Picture out;
        out.width = 56;
        out.height = 40;
        for (int sy = 0; sy < 40; ++sy)
            for (int sx = 0; sx < 56; ++sx) {
                uint32_t v = back.At(sx % 16, sy % 16);
                int64_t wx = left + sx, wy = top + sy;
                int64_t c = FloorDiv(wx, 16), r = FloorDiv(wy, 16);
                if (c >= 0 && c < 5 && r >= 0 && r < 4) {
                    uint16_t cell = main->tileMap.ptr[r * 5 + c];
                    int tile = int(cell & 0x1FFF) - 1;
                    if ((cell >> 13) == 1 && tile >= 0 && tile < 4) {
                        uint32_t p = tiles.At(int(tile * 16 + wx - c * 16), int(wy - r * 16));
                        if (p)
                            v = p;
                    }
                }
                for (const Placed& s : sprites) {
                    if (!s.visible || s.frame >= 4 || wx < s.x || wx >= s.x + 8 || wy < s.y ||
                        wy >= s.y + 8)
                        continue;
                    uint32_t p = sheet.At(int((s.frame % 2) * 8 + wx - s.x),
                                          int((s.frame / 2) * 8 + wy - s.y));
                    if (p)
                        v = p;
                }
                out.pixels.push_back(v);
            }
        return out;
    }

    // Sets the main layer's scroll and its sprites around the view, runs one
    // frame and compares the whole screen.
    void RunAndCompare(int32_t column, int32_t subX, int32_t row, int32_t subY) {
        Layer* back = LayerAt(0);
        back->scrollColumn = back->scrollRow = back->scrollSubX = back->scrollSubY = 0;
        Layer* main = LayerAt(1);
        main->scrollColumn = column;
        main->scrollSubX = subX;
        main->scrollRow = row;
        main->scrollSubY = subY;
        int64_t left = int64_t(column) * 16 + subX, top = int64_t(row) * 16 + subY;
        int64_t right = left + 56, bottom = top + 40;

        // The prop's instances: off the bottom-right corner, a frame the
        // sheet's records lack but its picture holds, a hidden one, one over
        // the top edge, one out of view, one past the picture.
        std::vector<Placed> props = {{right - 3, bottom - 2, 2, true},
                                     {left + 20, top + 5, 3, true},
                                     {left + 30, top + 20, 0, false},
                                     {left + 10, top - 4, 0, true},
                                     {right, top, 0, true},
                                     {left + 40, top + 12, 4, true}};
        ::Sprite* prop = main->sprites.ptr;
        ASSERT_NE(prop, nullptr);
        SpriteInstance* i = prop->instances.ptr;
        for (const Placed& p : props) {
            ASSERT_NE(i, nullptr);
            i->x = int32_t(p.x);
            i->y = int32_t(p.y);
            i->frame = p.frame;
            i->visible = p.visible;
            i = i->next.ptr;
        }
        // The player overhangs the left edge by 5 pixels.
        SpriteInstance* hero = gPlayerSprite->instances.ptr;
        hero->x = int32_t(left - 5);
        hero->y = int32_t(top + 10);
        hero->frame = 1;
        std::vector<Placed> all = props;
        all.push_back({hero->x, hero->y, 1, true});

        Picture want = Expected(all);
        ASSERT_EQ(LevelEngine(), 1) << Message();
        Picture got = Grab(gDisplay.primary);
        ASSERT_EQ(got.width, 56);
        int wrong = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 56; ++x)
                if (got.At(x, y) != want.At(x, y) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": got " << std::hex
                                  << got.At(x, y) << " want " << want.At(x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(main->firstColumnWidth, 16 - subX);
        EXPECT_EQ(main->fullColumns, uint32_t((56 - (16 - subX)) / 16));
        EXPECT_EQ(main->lastColumnWidth, uint32_t((56 - (16 - subX)) % 16));
        EXPECT_EQ(main->firstRowHeight, 16 - subY);
    }

    static gamedata::LevelFileDesc Level() {
        gamedata::SpriteDesc hero = SpriteOf("Hero", "TestPlayer.dll", 0, 0);
        hero.isPlayer = 1;
        hero.spriteParam3 = 1; // one frame
        gamedata::LevelFileDesc d = CraftedLevel(hero);
        gamedata::SpriteDesc prop = SpriteOf("Prop", "");
        prop.instances.assign(6, {.locations = {{0, 0}}});
        d.layers[1].sprites.push_back(prop);
        // Cells the rule keeps off the screen: slots -4 to -1 (top bits 100
        // to 111), an empty cell, a slot with no tile set, a tile past the
        // end of the set.
        auto& map = d.layers[1].tileMap;
        map[0 * 5 + 1] = 0x8001;
        map[1 * 5 + 0] = 0xA002;
        map[1 * 5 + 2] = 0xC003;
        map[2 * 5 + 1] = 0xE001;
        map[2 * 5 + 3] = 0x0000;
        map[3 * 5 + 0] = 0x4001;
        map[3 * 5 + 2] = 0x3FFF;
        return d;
    }
};

TEST_F(LevelDrawTest, SubTileScrollPastTheRightAndBottomEdges) {
    Start(Level());
    RunAndCompare(2, 4, 1, 6);
}

TEST_F(LevelDrawTest, ViewLeftOfAndAboveTheMap) {
    Start(Level());
    RunAndCompare(-1, 10, -1, 3);
}

TEST_F(LevelDrawTest, WholeCellsAtTheOrigin) {
    Start(Level());
    RunAndCompare(0, 0, 0, 0);
}

TEST_F(LevelDrawTest, ASheetDeclaringNoFramesIsDrawnFromItsPicture) {
    std::vector<uint8_t> sheet = ReadBytes("data/s.spr");
    std::fill(sheet.begin() + 12, sheet.begin() + 16, 0); // the frame count
    WriteBytes("data/s.spr", sheet);
    Start(Level());
    ASSERT_EQ(gPlayerSprite->frameCount, 0u);
    RunAndCompare(2, 4, 1, 6);
}

TEST_F(LevelDrawTest, LastColumnAndRowMayBeWhole) {
    Start(Level());
    // 56 = 8 + 3 x 16: no last partial column.
    RunAndCompare(1, 8, 0, 8);
    EXPECT_EQ(LayerAt(1)->lastColumnWidth, 0u);
}

// F1 writes the player's position and the last second's frame count in the
// built-in font over the frame.
TEST_F(LevelDrawTest, OverlayShowsPositionAndFramesPerSecond) {
    gamedata::SpriteDesc hero = SpriteOf("Hero", "TestPlayer.dll", 0, 0);
    hero.isPlayer = 1;
    hero.spriteParam3 = 200;
    gamedata::LevelFileDesc d = CraftedLevel(hero);
    d.screenWidth = 120;
    d.layers[0].columns = 20;
    d.layers[0].tileMap.assign(200, 0x2001);
    Start(d, "0 down F1\n");
    gPlayerSprite->instances.ptr->x = 12;
    gPlayerSprite->instances.ptr->y = 34;
    ASSERT_EQ(LevelEngine(), 1) << Message();
    Picture got = Grab(gDisplay.primary);

    // The same text on a plain surface of the mode.
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN;
    desc.width = 120;
    desc.height = 40;
    platform::Surface* plain = nullptr;
    ASSERT_EQ(gDisplay.display->CreateSurface(&desc, &plain, nullptr), platform::kOk);
    platform::DeviceContext* dc = nullptr;
    ASSERT_EQ(plain->GetDC(&dc), platform::kOk);
    // 200 frames of 90 a second: the second full second is counted.
    platform::TextOut(dc, 10, 10, "12, 34", 6);
    platform::TextOut(dc, 10, 30, "90 FPS", 6);
    plain->ReleaseDC(dc);
    Picture want = Grab(plain);
    plain->Release();
    for (auto [x0, y0, chars] : {std::tuple{10, 10, 6}, std::tuple{10, 30, 6}})
        for (int y = y0; y < y0 + 8; ++y)
            for (int x = x0; x < x0 + chars * 6; ++x)
                ASSERT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y;
    // Past the text, the level shows.
    EXPECT_NE(got.At(10 + 7 * 6, 30), want.At(10 + 7 * 6, 30));
}

TEST_F(LevelDrawTest, OverlayWithoutDeviceContextWarns) {
    gamedata::SpriteDesc hero = SpriteOf("Hero", "TestPlayer.dll", 0, 0);
    hero.isPlayer = 1;
    Start(CraftedLevel(hero), "2 down F1\n");
    // GetDC is not called before the overlay's.
    platform::SetFaults("GetDC=fail");
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorWarning);
    EXPECT_STREQ(gErrorInfo.sourceFile, "LevelEngine");
    EXPECT_STREQ(gErrorInfo.location, "LevelEngine()");
    EXPECT_EQ(Message(), "Unable to get DC from surface!");
    EXPECT_EQ(BrainLog().size(), 1u + 3u); // Init7, then three frames
}

} // namespace
} // namespace leveltest
