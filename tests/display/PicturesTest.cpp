#include "EngineFixture.h"

#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "platform/Gdi.h"

using namespace displaytest;

namespace {

class PicturesTest : public EngineDisplayTest {
  protected:
    void SetUp() override {
        EngineDisplayTest::SetUp();
        ASSERT_EQ(GetDXSurfaces(640, 480, 16), 1);
    }
    void TearDown() override {
        for (auto& [sprite, block] : sprites_)
            FreeSprite(sprite, block);
        FreeLevel();
        EngineDisplayTest::TearDown();
    }

    Sprite* NewSprite(const char* sheet) {
        void* block = nullptr;
        auto* sprite = static_cast<Sprite*>(AllocAligned(&block, sizeof(Sprite)));
        CopyField(sprite->sheetFile, sheet);
        sprites_.push_back({sprite, block});
        return sprite;
    }

    TileSet* NewTileSet(const char* file) {
        Layer* layer = AddLayer();
        void* block = nullptr;
        auto* tiles = static_cast<TileSet*>(AllocAligned(&block, sizeof(TileSet)));
        layer->tileSetBlocks[0] = block;
        layer->tileSets[0] = tiles;
        CopyField(tiles->fileName, file);
        return tiles;
    }

    // Loads a sheet written from desc; the error message when it fails.
    std::string LoadSheet(const gamedata::SpriteSheetFileDesc& desc, size_t cut = 0,
                          const char* faults = nullptr) {
        auto bytes = gamedata::BuildSpriteSheetFile(desc);
        bytes.resize(bytes.size() - cut);
        Write("data/sheet.spr", bytes);
        std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
        Sprite* sprite = NewSprite("sheet.spr");
        platform::SetFaults(faults);
        int ok = LoadSprite(sprite, 0);
        platform::SetFaults(nullptr);
        return ok ? "" : Message();
    }

    std::vector<std::pair<Sprite*, void*>> sprites_;
};

TEST_F(PicturesTest, SpriteSheetFillsTheSpriteAndKeysBlack) {
    auto desc = Sheet(64, 32, 16, 16, 5, 4, [](int x, int y) {
        return x == y ? 0u : uint32_t((x << 10) | (y << 5) | 1); // black diagonal
    });
    Write("data/hero.spr", gamedata::BuildSpriteSheetFile(desc));
    Sprite* sprite = NewSprite("HERO.SPR");
    ASSERT_EQ(LoadSprite(sprite, 0), 1) << Message();
    EXPECT_EQ(sprite->frameWidth, 16u);
    EXPECT_EQ(sprite->frameHeight, 16u);
    EXPECT_EQ(sprite->frameCount, 5u);
    EXPECT_EQ(sprite->framesPerRow, 4u);
    EXPECT_EQ(sprite->sheetValue, 77u);
    EXPECT_EQ(sprite->bitmap, nullptr);
    ASSERT_NE(sprite->frames.ptr, nullptr);
    EXPECT_EQ(sprite->frames.ptr[3].boxCount, 2u);
    EXPECT_EQ(sprite->frames.ptr[3].boxes[0].left, 3);
    EXPECT_EQ(sprite->frames.ptr[4].boxes[1].extra, -1);
    EXPECT_EQ(sprite->frames.ptr[4].boxes[2].right, 0);

    platform::SurfaceDesc sd{};
    sd.size = sizeof(sd);
    ASSERT_EQ(sprite->surface->GetSurfaceDesc(&sd), platform::kOk);
    EXPECT_EQ(sd.width, 64u);
    EXPECT_EQ(sd.height, 32u);
    EXPECT_FALSE(sd.caps & platform::DDSCAPS_SYSTEMMEMORY);
    platform::ColorKey key{1, 1};
    ASSERT_EQ(sprite->surface->GetColorKey(platform::DDCKEY_SRCBLT, &key), platform::kOk);
    EXPECT_EQ(key.low, 0u);
    EXPECT_EQ(key.high, 0u);
    // 5-5-5 converted into the 5-6-5 surface.
    EXPECT_EQ(At(sprite->surface, 3, 1), (3u << 11) | (2u << 5) | 1u);
    EXPECT_EQ(At(sprite->surface, 7, 7), 0u);

    // Keyed onto the back surface, the diagonal lets the background through.
    platform::BltFx fx{sizeof(fx), 0xFFFF};
    gDisplay.back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
    platform::Rect frame{16, 16, 32, 32}; // second row, second column
    ASSERT_EQ(
        gDisplay.back->BltFast(100, 50, sprite->surface, &frame, platform::DDBLTFAST_SRCCOLORKEY),
        platform::kOk);
    EXPECT_EQ(At(gDisplay.back, 100, 50), 0xFFFFu);
    EXPECT_EQ(At(gDisplay.back, 101, 50), (17u << 11) | (33u << 5) | 1u);

    Sprite* inSystem = NewSprite("hero.spr");
    ASSERT_EQ(LoadSprite(inSystem, 1), 1);
    inSystem->surface->GetSurfaceDesc(&sd);
    EXPECT_TRUE(sd.caps & platform::DDSCAPS_SYSTEMMEMORY);
}

TEST_F(PicturesTest, EightAndTwentyFourBitSheetsConvertLikeTheScreenWould) {
    // 8 bits: only index 1 is white, every other index is black.
    auto eight = Sheet(
        4, 1, 4, 1, 1, 1, [](int x, int) { return uint32_t(x); }, 8);
    ASSERT_EQ(LoadSheet(eight), "");
    Sprite* sprite = sprites_.back().first;
    EXPECT_EQ(At(sprite->surface, 0, 0), 0u);
    EXPECT_EQ(At(sprite->surface, 1, 0), 0xFFFFu);
    EXPECT_EQ(At(sprite->surface, 2, 0), 0u);
    EXPECT_EQ(At(sprite->surface, 3, 0), 0u);

    auto rgb = Sheet(
        3, 1, 3, 1, 1, 1,
        [](int x, int) {
            const uint32_t c[3] = {0x060304, 0x080400, 0xFFFFFF};
            return c[x];
        },
        24);
    ASSERT_EQ(LoadSheet(rgb), "");
    sprite = sprites_.back().first;
    EXPECT_EQ(At(sprite->surface, 0, 0), 0u); // dark: transparent
    EXPECT_EQ(At(sprite->surface, 1, 0), (1u << 11) | (1u << 5));
    EXPECT_EQ(At(sprite->surface, 2, 0), 0xFFFFu);

    // A top-down sheet shows the same picture.
    auto topDown = Sheet(2, 2, 2, 2, 1, 1, [](int, int) { return 0u; });
    topDown.bitmap.height = -2;
    topDown.bitmap.pixels = gamedata::DibRows(
        2, 2, 16, [](int, int y) { return y ? 0x1Fu : 0u; }, true);
    ASSERT_EQ(LoadSheet(topDown), "");
    sprite = sprites_.back().first;
    EXPECT_EQ(At(sprite->surface, 0, 0), 0u);
    EXPECT_EQ(At(sprite->surface, 0, 1), 0x1Fu);
}

TEST_F(PicturesTest, ASheetWithoutFramesLoads) {
    auto desc = Sheet(8, 8, 8, 8, 0, 0, [](int, int) { return 1u; });
    ASSERT_EQ(LoadSheet(desc), "");
    Sprite* sprite = sprites_.back().first;
    EXPECT_EQ(sprite->frameCount, 0u);
    EXPECT_NE(sprite->frames.block, nullptr);
}

TEST_F(PicturesTest, SheetsWhoseHeaderDoesNotFitAreRefusedByName) {
    auto good = Sheet(8, 4, 4, 4, 2, 2, [](int, int) { return 3u; });
    ASSERT_EQ(LoadSheet(good), "");
    EXPECT_EQ(Location(), "");

    const std::string prefix = "Unable to load sprite sheet sheet.spr: ";
    EXPECT_EQ(LoadSheet(good, 1), prefix + "its frame records do not fit the file!");
    auto moreFrames = good;
    moreFrames.frameCount = 3;
    EXPECT_EQ(LoadSheet(moreFrames), prefix + "its frame records do not fit the file!");
    auto bigger = good;
    bigger.bitmap.pixelSize = uint32_t(good.bitmap.pixels.size() + 4);
    EXPECT_EQ(LoadSheet(bigger), prefix + "its pixel data size does not match the bitmap!");
    auto huge = good;
    huge.bitmap.height = 4000;
    huge.bitmap.pixelSize = 16u * 4000u;
    EXPECT_EQ(LoadSheet(huge), prefix + "the pixel data do not fit the file!");
    auto flat = good;
    flat.bitmap.width = 0;
    EXPECT_EQ(LoadSheet(flat), prefix + "its bitmap size is not valid!");
    auto negative = good;
    negative.bitmap.width = -8;
    EXPECT_EQ(LoadSheet(negative), prefix + "its bitmap size is not valid!");
    auto deep = good;
    deep.bitmap.bitCount = 12;
    EXPECT_EQ(LoadSheet(deep), prefix + "its bitmap depth is not supported!");
    auto planes = good;
    planes.bitmap.planes = 2;
    EXPECT_EQ(LoadSheet(planes), prefix + "its bitmap plane count is not 1!");
    auto noFrame = good;
    noFrame.frameWidth = 0;
    EXPECT_EQ(LoadSheet(noFrame), prefix + "its frame size is not valid!");
    auto minus = good;
    minus.frameHeight = uint32_t(-4);
    EXPECT_EQ(LoadSheet(minus), prefix + "its frame size is not valid!");
    auto crowded = good; // the brains walk at most the record's 32 boxes
    crowded.frames[1].boxCount = 33;
    EXPECT_EQ(LoadSheet(crowded), prefix + "a frame has more than 32 boxes!");
    auto noRow = good;
    noRow.framesPerRow = 0;
    EXPECT_EQ(LoadSheet(noRow), prefix + "it has no frames per row!");
    EXPECT_EQ(LoadSheet(good, good.bitmap.pixels.size() + 2 * 644 + 50),
              prefix + "the file is shorter than its header!");
    EXPECT_EQ(Source(), "Layers");
    EXPECT_EQ(Location(), "LoadSprite()");
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);

    Sprite* missing = NewSprite("absent.spr");
    EXPECT_EQ(LoadSprite(missing, 0), 0);
    EXPECT_EQ(Message(), "Unable to open absent.spr");
}

TEST_F(PicturesTest, EachLoaderStepHasItsMessage) {
    auto good = Sheet(8, 4, 4, 4, 2, 2, [](int, int) { return 3u; });
    struct Case {
        const char* faults;
        const char* source;
        const char* location;
        const char* message;
    } cases[] = {
        {"HeapAlloc=fail@1", "Layers", "LoadSprite()", "Unable to allocate sprite memory"},
        {"HeapAlloc=fail@2", "Layers", "LoadSprite()",
         "Unable to allocate sprite bounding box memory"},
        {"HeapAlloc=fail@3", "Layers", "LoadSprite()",
         "Unable to allocate memory for bitmap info!"},
        {"CreateDIBSection=fail", "Layers", "LoadSprite()", "Unable to create sprite bitmap!"},
        {"CreateSurface=fail", "Layers", "GetSurfaceFromBitmap()",
         "Unable to create off screen surface!"},
        {"CreateCompatibleDC=fail@2", "Layers", "GetSurfaceFromBitmap()",
         "Unable to create compatible DC!"},
        {"SelectObject=fail", "Layers", "GetSurfaceFromBitmap()",
         "Unable to select bitmap into DC!"},
        {"GetDC=fail", "Layers", "GetSurfaceFromBitmap()", "Unable to get DC from surface!"},
        {"SetColorKey=fail", "LevelEngine", "LevelInit()",
         "Unable to set color key on back surface!"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(LoadSheet(good, 0, c.faults), "") << c.faults;
        EXPECT_EQ(Source(), c.source) << c.faults;
        EXPECT_EQ(Location(), c.location) << c.faults;
        EXPECT_EQ(Message(), c.message) << c.faults;
    }
}

TEST_F(PicturesTest, TileSetsSkipTheirTableAndKeepTheirGeometry) {
    gamedata::TileSetFileDesc desc;
    desc.tileWidth = 16;
    desc.tileHeight = 8;
    desc.tilesAcross = 2;
    desc.tilesDown = 3;
    desc.tableWidth = 5;
    desc.tableHeight = 7;
    desc.bitmap.width = 32;
    desc.bitmap.height = 24;
    desc.bitmap.pixels = gamedata::DibRows(
        32, 24, 16, [](int x, int y) { return uint32_t((x / 16) * 31 + (y / 8) * (10 << 5)); });
    Write("data/tiles.til", gamedata::BuildTileSetFile(desc));
    TileSet* tiles = NewTileSet("tiles.til");
    ASSERT_EQ(LoadTileSet(tiles), 1) << Message();
    EXPECT_EQ(tiles->bitmapWidth, 32u);
    EXPECT_EQ(tiles->bitmapHeight, 24u);
    EXPECT_EQ(tiles->tilesAcross, 2u);
    EXPECT_EQ(tiles->tilesDown, 3u);
    EXPECT_EQ(tiles->tileWidth, 16u);
    EXPECT_EQ(tiles->tileHeight, 8u);
    EXPECT_EQ(tiles->bitmap, nullptr);
    EXPECT_EQ(At(tiles->surface, 20, 17), 0x001Fu | (41u << 5)); // green 20 of 31 -> 41 of 63

    desc.tableWidth = desc.tableHeight = 0; // pixels right after the description
    Write("data/plain.til", gamedata::BuildTileSetFile(desc));
    TileSet* plain = NewTileSet("plain.til");
    ASSERT_EQ(LoadTileSet(plain), 1) << Message();
    EXPECT_EQ(At(plain->surface, 20, 17), At(tiles->surface, 20, 17));

    // The record's sizes are what the tiles cover, not the picture's.
    desc.tilesAcross = 1;
    desc.tilesDown = 2;
    Write("data/part.til", gamedata::BuildTileSetFile(desc));
    TileSet* part = NewTileSet("part.til");
    ASSERT_EQ(LoadTileSet(part), 1) << Message();
    EXPECT_EQ(part->bitmapWidth, 16u);
    EXPECT_EQ(part->bitmapHeight, 16u);
    desc.tilesAcross = 2;
    desc.tilesDown = 3;

    auto wrap = gamedata::BuildTileSetFile(desc); // A x B x 4 wraps to 0
    wrap[23] = wrap[27] = 0x80;
    Write("data/wrap.til", wrap);
    EXPECT_EQ(LoadTileSet(NewTileSet("wrap.til")), 0);
    EXPECT_EQ(Message(), "Unable to load tile set wrap.til: its table does not fit the file!");

    desc.tableWidth = 1000;
    desc.tableHeight = 1000;
    auto bytes = gamedata::BuildTileSetFile(desc);
    bytes.resize(76 + 100);
    Write("data/bad.til", bytes);
    TileSet* bad = NewTileSet("bad.til");
    EXPECT_EQ(LoadTileSet(bad), 0);
    EXPECT_EQ(Location(), "LoadTileSet()");
    EXPECT_EQ(Message(), "Unable to load tile set bad.til: its table does not fit the file!");

    desc.tableWidth = desc.tableHeight = 0;
    desc.tilesAcross = 0;
    Write("data/none.til", gamedata::BuildTileSetFile(desc));
    EXPECT_EQ(LoadTileSet(NewTileSet("none.til")), 0);
    EXPECT_EQ(Message(), "Unable to load tile set none.til: its tile count is not valid!");

    TileSet* starved = NewTileSet("plain.til");
    platform::SetFaults("HeapAlloc=fail@1");
    EXPECT_EQ(LoadTileSet(starved), 0);
    EXPECT_EQ(Message(), "Unable to allocate memory for tile data!");
    TileSet* noSection = NewTileSet("plain.til");
    platform::SetFaults("CreateDIBSection=fail");
    EXPECT_EQ(LoadTileSet(noSection), 0);
    EXPECT_EQ(Message(), "Unable to create tile set bitmap!");
    platform::SetFaults(nullptr);
    EXPECT_EQ(LoadTileSet(NewTileSet("gone.til")), 0);
    EXPECT_EQ(Message(), "Unable to open gone.til");
}

TEST_F(PicturesTest, LevelTeardownReleasesTheLevelsPicturesAndTheChain) {
    auto desc = Sheet(8, 8, 8, 8, 1, 1, [](int, int) { return 1u; });
    Write("data/a.spr", gamedata::BuildSpriteSheetFile(desc));
    Layer* layer = AddLayer();
    Sprite* sprite = AddSprite(layer, nullptr);
    CopyField(sprite->sheetFile, "a.spr");
    ASSERT_EQ(LoadSprite(sprite, 0), 1);
    LevelTeardown();
    EXPECT_EQ(gPage.layers.ptr, nullptr);
    EXPECT_EQ(gDisplay.primary, nullptr);
    EXPECT_EQ(gDisplay.back, nullptr);
}

class MaskTest : public EngineDisplayTest {
  protected:
    void TearDown() override {
        FreeLevel();
        EngineDisplayTest::TearDown();
    }
    Layer* WithMask(const char* name, int width, int height, bool topDown) {
        gamedata::BmpFileDesc bmp;
        bmp.width = width;
        bmp.height = topDown ? -height : height;
        bmp.bitCount = 1;
        bmp.palette = {0, 0xFFFFFF};
        // Row y has pixel y set, so each row is told apart.
        bmp.pixels = gamedata::DibRows(
            width, height, 1, [](int x, int y) { return uint32_t(x == y); }, topDown);
        Write(std::string("data/") + name + "1.msk", gamedata::BuildBmpFile(bmp));
        Layer* layer = AddLayer();
        CopyField(layer->name, name);
        return layer;
    }
};

TEST_F(MaskTest, RowsAreStoredTopFirstWithoutPadding) {
    for (bool topDown : {false, true}) {
        Layer* layer = WithMask(topDown ? "down" : "up", 48, 20, topDown);
        ASSERT_EQ(LoadMasks(layer), 1) << Message();
        EXPECT_EQ(layer->maskBytes, 6u * 20u);
        const uint8_t* mask = layer->maskBitmap.ptr;
        for (int y = 0; y < 20; ++y)
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(mask[y * 6 + i], i == y / 8 ? 0x80 >> (y % 8) : 0)
                    << topDown << " row " << y << " byte " << i;
    }
}

TEST_F(MaskTest, BitTableOnlyForSixteenPixelTiles) {
    Layer* big = AddLayer();
    big->tileWidth = big->tileHeight = 32;
    ASSERT_EQ(BuildMaskArray(big), 1);
    EXPECT_EQ(big->maskBits.ptr, nullptr);

    Layer* small = AddLayer();
    small->tileWidth = small->tileHeight = 16;
    ASSERT_EQ(BuildMaskArray(small), 1);
    ASSERT_NE(small->maskBits.ptr, nullptr);
    EXPECT_EQ(small->maskBits.ptr[0], 0x8000);
    EXPECT_EQ(small->maskBits.ptr[7], 0x0100);
    EXPECT_EQ(small->maskBits.ptr[15], 0x0001);

    Layer* failing = AddLayer();
    platform::SetFaults("HeapAlloc=fail");
    failing->tileWidth = failing->tileHeight = 16;
    EXPECT_EQ(BuildMaskArray(failing), 0);
    EXPECT_EQ(Message(), "Unable allocate memory for mask array!");
}

TEST_F(MaskTest, MasksThatDoNotFitAreRefused) {
    Layer* missing = AddLayer();
    CopyField(missing->name, "nothing");
    EXPECT_EQ(LoadMasks(missing), 0);
    EXPECT_EQ(Location(), "LoadMasks()");
    EXPECT_EQ(Message(), "Unable to load mask BMP!");

    gamedata::BmpFileDesc bmp;
    bmp.width = 32;
    bmp.height = 8;
    bmp.bitCount = 1;
    bmp.palette = {0, 0xFFFFFF};
    bmp.pixels.assign(4 * 7, 0); // one row short
    Write("data/short1.msk", gamedata::BuildBmpFile(bmp));
    Layer* cut = AddLayer();
    CopyField(cut->name, "short");
    EXPECT_EQ(LoadMasks(cut), 0);
    EXPECT_NE(Message().find("data\\short1.msk"), std::string::npos) << Message();
    EXPECT_EQ(cut->maskBitmap.ptr, nullptr);
}

} // namespace

namespace {

// Good files that lie outside data\: named with ".." or by an absolute path,
// they are refused as if missing, never loaded.
TEST_F(PicturesTest, SheetsAndMasksNamedOutsideTheGameFolderAreRefused) {
    auto sheet = gamedata::BuildSpriteSheetFile(
        Sheet(16, 16, 8, 8, 4, 2, [](int x, int) { return x ? 0xFFFFu : 0u; }));
    Write("outside.spr", sheet);
    std::string absolute = "/tmp/vrask-" + std::to_string(getpid()) + ".spr";
    ASSERT_TRUE(gamedata::WriteFile(absolute, sheet));
    for (const std::string& name : {std::string("..\\OUTSIDE.SPR"), std::string("../outside.spr"),
                                    std::string("x\\..\\..\\outside.spr"), absolute}) {
        std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
        EXPECT_EQ(LoadSprite(NewSprite(name.c_str()), 0), 0) << name;
        EXPECT_EQ(Message(), "Unable to open " + name);
    }
    Write("outside.til",
          gamedata::BuildTileSetFile(
              {.tileWidth = 8,
               .tileHeight = 8,
               .tilesAcross = 2,
               .tilesDown = 2,
               .bitmap = {.width = 16,
                          .height = 16,
                          .pixels = gamedata::DibRows(16, 16, 16, [](int, int) { return 1u; })}}));
    EXPECT_EQ(LoadTileSet(NewTileSet("..\\outside.til")), 0);
    EXPECT_EQ(Message(), "Unable to open ..\\outside.til");

    Write("m1.msk", gamedata::BuildBmpFile({.width = 32,
                                            .height = 2,
                                            .bitCount = 1,
                                            .palette = {0, 0xFFFFFF},
                                            .pixels = std::vector<uint8_t>(8, 0xF0)}));
    Layer* layer = AddLayer();
    CopyField(layer->name, "..\\m");
    EXPECT_EQ(LoadMasks(layer), 0);
    EXPECT_EQ(Message(), "Unable to load mask BMP!");
    std::filesystem::remove(absolute);
}

} // namespace
