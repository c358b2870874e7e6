// The game file and the level files, read into the page records.
#include "common/ByteIO.h"
#include "engine/GameFixture.h"
#include "support/Files.h"

#include <filesystem>

namespace {

using gamedata::LayerDesc;
using gamedata::LevelFileDesc;
using gamedata::SpriteDesc;

class LevelFileTest : public GameTest {
  protected:
    // Writes a game whose page 1 is `level`.
    void LoadAsPageOne(const LevelFileDesc& level) {
        WriteGame({"menu", "page", "over"});
        WritePage("page", level);
        ASSERT_EQ(LoadGame(kGameFileName), 1);
    }
};

// A one-bit mask picture; rows[0] is the top row.
std::vector<uint8_t> MaskBmp(int32_t width, const std::vector<std::vector<uint8_t>>& rows,
                             bool topDown = false) {
    uint32_t pitch = ((uint32_t(width) + 31) / 32) * 4;
    int32_t height = static_cast<int32_t>(rows.size());
    ByteWriter w;
    w.U16(0x4D42).U32(62 + pitch * height).U32(0).U32(62);
    w.U32(40).S32(width).S32(topDown ? -height : height).U16(1).U16(1).U32(0);
    w.U32(pitch * height).U32(0).U32(0).U32(2).U32(0);
    w.U32(0).U32(0x00FFFFFF); // colour table
    for (int32_t i = 0; i < height; ++i) {
        const auto& row = rows[topDown ? i : height - 1 - i];
        std::vector<uint8_t> padded(pitch, 0xAA); // filler the loader must drop
        std::copy(row.begin(), row.end(), padded.begin());
        w.Bytes(padded.data(), padded.size());
    }
    return w.Data();
}

LayerDesc MaskedLayer(uint32_t tile) {
    LayerDesc layer;
    layer.name = "Ground";
    layer.hasMask = 1;
    layer.columns = 3;
    layer.rows = 2;
    layer.tileWidth = tile;
    layer.tileHeight = tile;
    layer.tileMap = {1, 2, 3, 4, 5, 0xE006};
    layer.maskData = {0x1FFFF, 1u << 17, 15u << 17, 1u << 21, 3u << 21, 7};
    return layer;
}

TEST_F(LevelFileTest, GameFileMissingOrShort) {
    EXPECT_EQ(LoadGame("missing.gam"), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to open missing.gam");
    EXPECT_STREQ(gErrorInfo.location, "LoadGame()");
    EXPECT_STREQ(gErrorInfo.sourceFile, "GameEngine");

    // A file that ends after its count leaves every name empty.
    gamedata::GameFileDesc game{.pages = {}, .pageCount = 5};
    ASSERT_TRUE(gamedata::WriteFile("short.gam", gamedata::BuildGameFile(game)));
    ASSERT_EQ(LoadGame("SHORT.GAM"), 1);
    EXPECT_EQ(gPageCount, 5u);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to open data\\.lvl");
}

TEST_F(LevelFileTest, PageIndexAndNameAreCheckedBeforeUse) {
    WriteGame({"menu", std::string(40, 'n'), "over"});
    ASSERT_EQ(LoadGame(kGameFileName), 1);
    EXPECT_EQ(LoadLevel(3), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load page 3: the game has 3 pages!");
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load page 1: its name is not terminated!");
}

TEST_F(LevelFileTest, CutsceneHeaderOnly) {
    LevelFileDesc d = Cutscene("intro.mpg", 320, 240, 1);
    d.menuMarker = 1; // the cutscene marker wins
    d.useCdAudio = 1;
    d.cdTrack = 7;
    d.musicWave = "tune.wav";
    d.unused1 = 11;
    d.unused3 = 33;
    LoadAsPageOne(d);
    ASSERT_EQ(std::filesystem::file_size("data/page.lvl"), 162u);
    ASSERT_EQ(LoadLevel(1), 1);
    EXPECT_EQ(gPage.type, kPageCutscene);
    EXPECT_EQ(gPage.screenWidth, 320u);
    EXPECT_EQ(gPage.screenHeight, 240u);
    EXPECT_EQ(gPage.movieFlag, 1u);
    EXPECT_STREQ(gPage.movieName, "intro.mpg");
    EXPECT_EQ(gPage.useCdAudio, 1u);
    EXPECT_EQ(gPage.cdTrack, 7u);
    EXPECT_STREQ(gPage.musicWave, "tune.wav");
    EXPECT_EQ(gPage.unused1, 11u);
    EXPECT_EQ(gPage.unused3, 33u);
    EXPECT_EQ(gPage.layers.ptr, nullptr);
    EXPECT_EQ(gPage.menuPages.ptr, nullptr);
}

TEST_F(LevelFileTest, TruncatedHeaderIsRefused) {
    WriteGame({"menu", "page", "over"});
    std::vector<uint8_t> bytes = gamedata::BuildLevelFile(Cutscene("x"));
    bytes.resize(161);
    WriteBytes("data/page.lvl", bytes);
    ASSERT_EQ(LoadGame(kGameFileName), 1);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load data\\page.lvl: the file ends too soon!");
}

TEST_F(LevelFileTest, MenuPagesWithSpritesAndTheMenuCandidateRule) {
    LevelFileDesc d = Menu("menu.dll");
    SpriteDesc two{.name = "Arrow", .sheetFile = "arrow.spr"};
    two.instances.push_back({.frame = 3, .locations = {{10, 20}, {30, 40}}});
    SpriteDesc one{.name = "Logo", .brainFile = "spin.dll"};
    one.instances.push_back({.frame = 1, .locations = {{5, 6}}});
    one.sounds.push_back({.name = "click", .waveFile = "click.wav", .frames = {2, 65535}});
    d.menuPages.push_back({.name = "main", .name2 = "main.bmp", .sprites = {two, one}});
    d.menuPages.push_back({.name = "options", .name2 = "options.bmp"});
    LoadAsPageOne(d);
    for (int run = 0; run < 20; ++run) { // whatever the generator draws
        ASSERT_EQ(LoadLevel(1), 1);
        ASSERT_EQ(gPage.type, kPageMenu);
        MenuPage* page = gPage.menuPages.ptr;
        ASSERT_NE(page, nullptr);
        EXPECT_STREQ(page->name2, "main.bmp");
        EXPECT_EQ(page->menuSpriteCount, 2u);
        Sprite* arrow = page->sprites.ptr;
        EXPECT_EQ(arrow->instances.ptr->x, 10); // the last candidate is never taken
        EXPECT_EQ(arrow->instances.ptr->y, 20);
        EXPECT_EQ(arrow->instances.ptr->frame, 3u);
        Sprite* logo = arrow->next.ptr;
        EXPECT_STREQ(logo->brainFile, "spin.dll");
        EXPECT_EQ(logo->instances.ptr->x, 5);
        ASSERT_NE(logo->sounds.ptr, nullptr);
        EXPECT_EQ(logo->sounds.ptr->frames.ptr[1], 65535u);
        EXPECT_STREQ(page->next.ptr->name, "options");
        EXPECT_EQ(page->next.ptr->next.ptr, nullptr);
        FreeMenuPages(&gPage);
        EXPECT_EQ(gPage.menuPages.ptr, nullptr);
        FreeMenuPages(&gPage); // twice does nothing
    }
}

TEST_F(LevelFileTest, LevelRecordsKeepEveryFieldInFileOrder) {
    LevelFileDesc d;
    d.screenWidth = 320;
    d.screenHeight = 200;
    LayerDesc back{.name = "Sky", .stepX = 1, .stepY = 2, .unused2 = 7, .unused3 = 8};
    back.unused1 = 9;
    back.opaque = 1;
    back.maskStride = -3;
    back.unused4 = 4;
    back.columns = 30;
    back.rows = 20;
    back.tileWidth = 16;
    back.tileHeight = 8;
    back.tileMap.assign(600, 0);
    back.tileMap[599] = 0xABCD;
    back.tileSets = {{"sky.til", 15}, {"clouds.til", 0}};
    SpriteDesc s{.name = "Bee", .sheetFile = "bee.spr", .brainFile = "Grumet.dll"};
    s.spriteParam5 = 5;
    s.spriteParam9 = 9;
    s.spriteParam7 = 7;
    s.isPlatform = 1;
    s.spriteParam1 = 1;
    s.spriteParam2 = 2;
    s.spriteParam3 = 3;
    s.points = -50;
    s.spriteParam4 = -4;
    s.spriteParam6 = 6;
    s.spriteParam10 = 10;
    s.spriteParam8 = 8;
    s.spriteParam11 = 11;
    s.spriteParam16 = 16;
    s.instances.push_back({.frame = 2, .locations = {{100, 200}}});
    s.instances.push_back({.frame = 4, .locations = {{1, 2}}});
    s.sequences.push_back(
        {.name = "fly", .name2 = "buzz", .value1 = 1, .value2 = 2, .value3 = 70000, .value4 = 4});
    s.sounds.push_back({.name = "buzz", .waveFile = "buzz.wav", .frames = {0, 1, 2}});
    back.sprites.push_back(s);
    back.layerSounds.push_back({.name = "wind",
                                .waveFile = "wind.wav",
                                .points = {{1, 2}, {65535, 4}},
                                .columns = {5},
                                .rows = {6, 7}});
    d.layers.push_back(back);
    d.layers.push_back(MaskedLayer(32));
    d.layers[1].tileSets.clear();
    WriteBytes("data/ground1.msk", MaskBmp(8, {{0xFF}}));
    LoadAsPageOne(d);
    ASSERT_EQ(LoadLevel(1), 1);
    ASSERT_EQ(gPage.type, kPageLevel);
    EXPECT_EQ(gPage.layerCount, 2u);

    Layer* sky = gPage.layers.ptr;
    EXPECT_STREQ(sky->name, "Sky");
    EXPECT_EQ(sky->stepX, 1u);
    EXPECT_EQ(sky->stepY, 2u);
    EXPECT_EQ(sky->unused1, 9u);
    EXPECT_EQ(sky->unused2, 7u);
    EXPECT_EQ(sky->opaque, 1u);
    EXPECT_EQ(sky->maskStride, -3);
    EXPECT_EQ(sky->unused4, 4u);
    EXPECT_EQ(sky->tileMap.ptr[599], 0xABCD);
    EXPECT_EQ(sky->maskData.ptr, nullptr);
    EXPECT_EQ(sky->maskBitmap.ptr, nullptr);
    EXPECT_EQ(sky->halfTileWidth, 8u);
    EXPECT_EQ(sky->halfTileHeight, 4u);
    EXPECT_EQ(sky->maxScrollX, 16 * 30 - 320);
    EXPECT_EQ(sky->maxScrollY, 8 * 20 - 200);
    ASSERT_NE(sky->tileSets[15], nullptr);
    EXPECT_STREQ(sky->tileSets[15]->fileName, "sky.til");
    EXPECT_EQ(sky->tileSets[15]->slot, 15);
    EXPECT_STREQ(sky->tileSets[0]->fileName, "clouds.til");
    EXPECT_EQ(sky->tileSets[1], nullptr);

    Sprite* bee = sky->sprites.ptr;
    ASSERT_NE(bee, nullptr);
    EXPECT_EQ(sky->spriteCount, 1u);
    EXPECT_STREQ(bee->name, "Bee"); // lower-cased later, by the level set-up
    EXPECT_STREQ(bee->brainFile, "Grumet.dll");
    EXPECT_EQ(bee->brainModule, nullptr);
    EXPECT_EQ(bee->spriteParam1, 1u);
    EXPECT_EQ(bee->spriteParam3, 3u);
    EXPECT_EQ(bee->points, -50);
    EXPECT_EQ(bee->spriteParam4, -4);
    EXPECT_EQ(bee->spriteParam5, 5u);
    EXPECT_EQ(bee->spriteParam6, 6u);
    EXPECT_EQ(bee->spriteParam7, 7u);
    EXPECT_EQ(bee->spriteParam8, 8u);
    EXPECT_EQ(bee->spriteParam9, 9u);
    EXPECT_EQ(bee->spriteParam10, 10u);
    EXPECT_EQ(bee->spriteParam11, 11u);
    EXPECT_EQ(bee->spriteParam16, 16u);
    EXPECT_EQ(bee->isPlatform, 1);
    EXPECT_EQ(bee->instanceCount, 2u);
    EXPECT_EQ(bee->instances.ptr->x, 100);
    EXPECT_EQ(bee->instances.ptr->y, 200);
    EXPECT_EQ(bee->instances.ptr->next.ptr->frame, 4u);
    EXPECT_EQ(bee->instances.ptr->visible, 0); // set by the level set-up
    SpriteSequence* fly = bee->sequences.ptr;
    EXPECT_STREQ(fly->name2, "buzz");
    EXPECT_EQ(fly->value3, 70000u);
    EXPECT_EQ(bee->sounds.ptr->frameCount, 3u);
    EXPECT_EQ(bee->sounds.ptr->frames.ptr[2], 2u);
    LayerSound* wind = sky->layerSounds.ptr;
    ASSERT_NE(wind, nullptr);
    EXPECT_EQ(wind->pointCount, 2u);
    EXPECT_EQ(wind->points.ptr[2], 65535u);
    EXPECT_EQ(wind->columns.ptr[0], 5u);
    EXPECT_EQ(wind->rows.ptr[1], 7u);

    Layer* ground = sky->next.ptr;
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->maskData.ptr[5], 7u);
    EXPECT_EQ(ground->maskData.ptr[4], 3u << 21);
    EXPECT_EQ(ground->tileMap.ptr[5], 0xE006);
    EXPECT_EQ(ground->maskBits.ptr, nullptr); // only 16 by 16 tiles get a bit table
    EXPECT_EQ(ground->maskBytes, 1u);

    FreeLevel();
    EXPECT_EQ(gPage.layers.ptr, nullptr);
    EXPECT_EQ(gPage.layerCount, 0u);
}

TEST_F(LevelFileTest, MaskPicturesAreStoredTopRowFirstWithoutFiller) {
    // 48 pixels wide: 6 bytes a row in memory, 8 in the file.
    std::vector<std::vector<uint8_t>> rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    for (bool topDown : {false, true}) {
        ResetShell();
        LevelFileDesc d;
        d.layers.push_back(MaskedLayer(16));
        WriteBytes("data/ground1.msk", MaskBmp(48, rows, topDown));
        LoadAsPageOne(d);
        ASSERT_EQ(LoadLevel(1), 1) << gErrorInfo.message;
        Layer* layer = gPage.layers.ptr;
        ASSERT_EQ(layer->maskBytes, 12u);
        std::vector<uint8_t> stored(layer->maskBitmap.ptr, layer->maskBitmap.ptr + 12);
        EXPECT_EQ(stored, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}))
            << (topDown ? "top-down" : "bottom-up");
        ASSERT_NE(layer->maskBits.ptr, nullptr);
        EXPECT_EQ(layer->maskBits.ptr[0], 0x8000);
        EXPECT_EQ(layer->maskBits.ptr[15], 0x0001);
    }
}

TEST_F(LevelFileTest, MissingOrBadMaskFailsBeforeTheMapIsRead) {
    LevelFileDesc d;
    d.layers.push_back(MaskedLayer(16));
    d.layers[0].storedCells = 1; // the map runs past the end too
    std::vector<uint8_t> bytes = gamedata::BuildLevelFile(d);
    WriteGame({"menu", "page", "over"});
    WriteBytes("data/page.lvl", bytes);
    ASSERT_EQ(LoadGame(kGameFileName), 1);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load data\\page.lvl: the file ends too soon!");

    ResetShell();
    LoadAsPageOne(d = LevelFileDesc{.layers = {MaskedLayer(16)}});
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load mask BMP!");
    EXPECT_STREQ(gErrorInfo.location, "LoadMasks()");
    EXPECT_STREQ(gErrorInfo.sourceFile, "Layers");
    FreeLevel();

    std::vector<uint8_t> eightBit = MaskBmp(8, {{1}});
    eightBit[28] = 8;
    WriteBytes("data/Ground1.msk", eightBit);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message,
                 "Unable to load mask BMP data\\Ground1.msk: it is not an uncompressed one-bit "
                 "picture!");
    FreeLevel();

    std::vector<uint8_t> cut = MaskBmp(64, {{1}, {2}, {3}});
    cut.resize(cut.size() - 1);
    WriteBytes("data/Ground1.msk", cut);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message,
                 "Unable to load mask BMP data\\Ground1.msk: the pixel data do not fit the file!");
}

TEST_F(LevelFileTest, DataThatDoNotFitTheirFileAreRefused) {
    struct Case {
        const char* why;
        std::function<void(LevelFileDesc&)> spoil;
        bool refusedBeforeTheMap = false;
    };
    const Case cases[] = {
        {"a sprite instance has no location!",
         [](LevelFileDesc& d) { d.layers[0].sprites[0].instances[0].locationCount = 0; }},
        {"a tile set slot is outside 0 to 15!",
         [](LevelFileDesc& d) {
             d.layers[0].tileSets = {{"a.til", 16}};
         }},
        {"a tile set slot is outside 0 to 15!",
         [](LevelFileDesc& d) {
             d.layers[0].tileSets = {{"a.til", -1}};
         }},
        {"a layer has a tile size of zero!", [](LevelFileDesc& d) { d.layers[0].tileWidth = 0; }},
        {"a layer has a tile size of zero!", [](LevelFileDesc& d) { d.layers[0].tileHeight = 0; }},
        {"the file ends too soon!",
         [](LevelFileDesc& d) {
             d.layers[0].columns = 65536;
             d.layers[0].rows = 65536;
             d.layers[0].storedCells = 4;
         }},
        {"the file ends too soon!", [](LevelFileDesc& d) { d.layers[0].spriteCount = 65535; }},
        {"the file ends too soon!",
         [](LevelFileDesc& d) { d.layers[0].sprites[0].instances[0].locationCount = 9; }},
        {"the file ends too soon!", [](LevelFileDesc& d) { d.layerCount = 2; }},
        {"the file ends too soon!",
         [](LevelFileDesc& d) {
             d.layers[0].sprites[0].sounds.push_back({.name = "s", .frameCount = 60000});
         }},
        {"the file ends too soon!",
         [](LevelFileDesc& d) {
             d.layers[0].layerSounds.push_back({.name = "w", .pointCount = 100});
         }},
        // Cells x 2 bytes wraps 64 bits to 4: no check may multiply it out.
        {"the file ends too soon!",
         [](LevelFileDesc& d) {
             d.layers[0].columns = 4294836226u;
             d.layers[0].rows = 2147549185u;
             d.layers[0].storedCells = 4;
         },
         true},
        // An instance without locations ends the file: 6 bytes, not 14.
        {"a sprite instance has no location!",
         [](LevelFileDesc& d) { d.layers[0].sprites[0].instances[0].locations.clear(); }},
        {"a layer's scroll step is larger than its tile!",
         [](LevelFileDesc& d) { d.layers[0].stepX = 0xFFFFFFFF; }},
        {"a layer's scroll step is larger than its tile!",
         [](LevelFileDesc& d) { d.layers[0].stepY = 17; }},
        {"a layer's tiles are larger than a picture can be!",
         [](LevelFileDesc& d) {
             d.layers[0].tileHeight = 16385;
             d.layers[0].stepY = 1;
         }},
    };
    for (const Case& c : cases) {
        ResetShell();
        LevelFileDesc d = Level();
        c.spoil(d);
        LoadAsPageOne(d);
        EXPECT_EQ(LoadLevel(1), 0) << c.why;
        EXPECT_EQ(std::string(gErrorInfo.message),
                  std::string("Unable to load data\\page.lvl: ") + c.why);
        EXPECT_STREQ(gErrorInfo.location, "LoadLevel()");
        if (c.refusedBeforeTheMap) {
            EXPECT_EQ(gPage.layers.ptr->tileMap.ptr, nullptr) << c.why;
        }
        FreeLevel(); // what was linked before the failure is freed cleanly
    }
}

// Maps larger than the reader's buffer, with a field after them: every cell
// arrives in order whatever the refills and the reads straight into the map.
TEST_F(LevelFileTest, MapsLargerThanTheReadBufferArriveWhole) {
    LevelFileDesc d = Level();
    d.layers.push_back(MaskedLayer(16));
    LayerDesc& main = d.layers[0];
    main.columns = 301; // odd sizes, so later fields straddle the buffer's edges
    main.rows = 233;
    main.tileMap.resize(301 * 233);
    for (size_t i = 0; i < main.tileMap.size(); ++i)
        main.tileMap[i] = uint16_t(i * 7 + 1);
    LayerDesc& masked = d.layers[1];
    masked.columns = 129;
    masked.rows = 257;
    masked.maskData.resize(129 * 257);
    for (size_t i = 0; i < masked.maskData.size(); ++i)
        masked.maskData[i] = uint32_t(i * 2654435761u);
    masked.sprites = main.sprites;
    WriteBytes("data/ground1.msk", MaskBmp(8, {{0xFF}}));
    LoadAsPageOne(d);
    ASSERT_EQ(LoadLevel(1), 1) << gErrorInfo.message;
    Layer* first = gPage.layers.ptr;
    int wrong = 0;
    for (size_t i = 0; i < main.tileMap.size(); ++i)
        wrong += first->tileMap.ptr[i] != main.tileMap[i];
    Layer* second = first->next.ptr;
    for (size_t i = 0; i < masked.maskData.size(); ++i)
        wrong += second->maskData.ptr[i] != masked.maskData[i];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(second->sprites.ptr->instances.ptr->x, 32);
    EXPECT_EQ(second->sprites.ptr->instances.ptr->y, 48);
}

// Every input the level fuzzer keeps (its seeds and each input that once
// crashed) loads or is refused with a message, never anything worse.
TEST_F(LevelFileTest, TheFuzzCorpusLoadsOrIsRefused) {
    WriteGame({"menu", "page", "over"});
    ASSERT_EQ(LoadGame(kGameFileName), 1);
    WriteBytes("data/m1.msk", MaskBmp(16, {{1, 2}, {3, 4}}));
    int files = 0;
    for (const char* dir : {LEVEL_CORPUS_DIR, LEVEL_REGRESSIONS_DIR})
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::filesystem::copy_file(entry.path(), "data/page.lvl",
                                       std::filesystem::copy_options::overwrite_existing);
            std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
            if (!LoadLevel(1)) {
                EXPECT_EQ(std::string(gErrorInfo.message).rfind("Unable to ", 0), 0u)
                    << entry.path() << ": " << gErrorInfo.message;
            }
            FreeLevel();
            FreeMenuPages(&gPage);
            ++files;
        }
    EXPECT_GE(files, 12);
}

TEST_F(LevelFileTest, ScrollLimitsOfHugeEmptyMapsDoNotOverflow) {
    LevelFileDesc d = Level();
    d.layers[0].columns = 0xFF000000;
    d.layers[0].rows = 0;          // no cells, so nothing to read
    d.layers[0].tileWidth = 16384; // the largest a tile can be
    LoadAsPageOne(d);
    ASSERT_EQ(LoadLevel(1), 1) << gErrorInfo.message;
    EXPECT_EQ(gPage.layers.ptr->maxScrollX, INT32_MAX);
    EXPECT_EQ(gPage.layers.ptr->maxScrollY, -480);
}

TEST_F(LevelFileTest, InstancesReadInTheSameSecondTakeTheSameCandidate) {
    LevelFileDesc d = Level();
    std::vector<gamedata::LocationDesc> many;
    for (uint32_t i = 0; i < 7; ++i)
        many.push_back({i, i * 10});
    d.layers[0].sprites[0].instances = {{.locations = many}, {.locations = many}};
    LoadAsPageOne(d);
    ASSERT_EQ(LoadLevel(1), 1);
    SpriteInstance* first = gPage.layers.ptr->sprites.ptr->instances.ptr;
    SpriteInstance* second = first->next.ptr;
    EXPECT_EQ(first->x, second->x);
    EXPECT_EQ(first->y, first->x * 10);
}

TEST_F(LevelFileTest, EachAllocationFailureHasItsOwnMessage) {
    LevelFileDesc d;
    LayerDesc layer{.name = "main", .columns = 2, .rows = 2, .tileWidth = 16, .tileHeight = 16};
    layer.tileSets = {{"a.til", 3}};
    SpriteDesc s{.name = "s"};
    s.instances.push_back({.locations = {{1, 1}}});
    s.sequences.push_back({.name = "q"});
    s.sounds.push_back({.name = "n", .frames = {1}});
    layer.sprites.push_back(s);
    layer.layerSounds.push_back({.name = "w", .points = {{1, 1}}, .columns = {1}, .rows = {1}});
    d.layers.push_back(layer);
    LoadAsPageOne(d);
    const char* expected[] = {
        "Unable to allocate memory for layer!",
        "Unable to allocate memory for layer data!",
        "Unable to allocate memory for tile set!",
        "Unable to allocate memory for sprite!",
        "Unable to allocate memory for sprite instance!",
        "Unable to allocate memory for instance locations!",
        "Unable to allocate memory for sprite sequence!",
        "Unable to allocate memory for sprite sound!",
        "Unable to allocate memory for temporary sprite sound frames buffer!",
        "Unable to allocate memory for sprite sound frames buffer!",
        "Unable to allocate memory for layer sound!",
        "Unable to allocate memory for temporary sound points!",
        "Unable to allocate memory for sound points!",
        "Unable to allocate memory for temporary sound columns!",
        "Unable to allocate memory for temporary sound columns!",
        "Unable to allocate memory for temporary sound rows!",
        "Unable to allocate memory for temporary sound Rows!",
    };
    for (size_t n = 0; n < std::size(expected); ++n) {
        FreeLevel();
        std::string fault = "HeapAlloc=out_of_memory@" + std::to_string(n + 1);
        platform::SetFaults(fault.c_str());
        EXPECT_EQ(LoadLevel(1), 0) << fault;
        EXPECT_STREQ(gErrorInfo.message, expected[n]) << fault;
        EXPECT_STREQ(gErrorInfo.location, "LoadLevel()");
    }
    platform::SetFaults(nullptr);
    FreeLevel();
    EXPECT_EQ(LoadLevel(1), 1);
}

TEST_F(LevelFileTest, MenuAllocationFailuresUseTheMenuMessages) {
    LevelFileDesc d = Menu("m.dll");
    SpriteDesc s{.name = "s"};
    s.sounds.push_back({.name = "n", .frames = {1}});
    d.menuPages.push_back({.name = "p", .sprites = {s}});
    LoadAsPageOne(d);
    const char* expected[] = {
        "Unable to allocate memory for menu page!",
        "Unable to allocate memory for menu sprite!",
        "Unable to allocate memory for sprite sound!",
        "Unable to allocate memory for temporary sound frame buffer!",
        "Unable to allocate memory for sprite sound frames!",
    };
    for (size_t n = 0; n < std::size(expected); ++n) {
        FreeMenuPages(&gPage);
        std::string fault = "HeapAlloc=out_of_memory@" + std::to_string(n + 1);
        platform::SetFaults(fault.c_str());
        EXPECT_EQ(LoadLevel(1), 0) << fault;
        EXPECT_STREQ(gErrorInfo.message, expected[n]) << fault;
    }
}

} // namespace
