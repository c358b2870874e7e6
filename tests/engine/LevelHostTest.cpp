// Level set-up: the brain host, sorting of the sprite lists and the camera.
#include "brains/BrainLog.h"
#include "engine/GameFixture.h"
#include "engine/LevelEngine.h"

namespace {

using gamedata::LayerDesc;
using gamedata::LevelFileDesc;
using gamedata::SpriteDesc;
using Log = std::vector<std::string>;

class LevelHostTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        BrainLog().clear();
        for (const char* name : {"A", "B", "P"})
            Install("TestBrain", name);
        Install("TestPlayer", "Hero");
        for (const char* variant : {"NoInitialize", "NoThink", "NoLabotamize"})
            Install(variant, variant);
    }

    static void Install(const std::string& variant, const std::string& as) {
        std::filesystem::copy_file(std::string(TEST_BRAIN_DIR) + "/" + variant + ".so",
                                   "data/" + as + ".so");
    }

    void Load(const LevelFileDesc& level) {
        WriteGame({"menu", "page", "over"});
        WritePage("page", level);
        ASSERT_EQ(LoadGame(kGameFileName), 1);
        ASSERT_EQ(LoadLevel(1), 1) << gErrorInfo.message;
    }

    static SpriteDesc Sprite(const std::string& name, const std::string& brain, int32_t x = 0,
                             int32_t y = 0) {
        SpriteDesc s{.name = name, .sheetFile = name + ".spr", .brainFile = brain};
        s.instances.push_back({.locations = {{uint32_t(x), uint32_t(y)}}});
        return s;
    }

    static SpriteDesc Player(int32_t x, int32_t y) {
        SpriteDesc s = Sprite("Hero", "Hero.dll", x, y);
        s.isPlayer = 1;
        return s;
    }

    // A main layer of 100 x 40 cells of 16 pixels, stepping 4 pixels.
    static LayerDesc Main() {
        return LayerDesc{.name = "Main",
                         .stepX = 4,
                         .stepY = 4,
                         .isMainLayer = 1,
                         .columns = 100,
                         .rows = 40,
                         .tileWidth = 16,
                         .tileHeight = 16};
    }

    static std::vector<std::string> Names(PtrPair<::Sprite> list) {
        std::vector<std::string> out;
        for (::Sprite* s = list.ptr; s; s = s->next.ptr)
            out.push_back(s->name);
        return out;
    }

    void TearDown() override {
        FreeLevel();
        GameTest::TearDown();
    }
};

TEST_F(LevelHostTest, BrainsInitialiseInLoadOrderAndThePlayerLast) {
    LevelFileDesc d;
    LayerDesc back{.name = "Back",
                   .stepX = 1,
                   .stepY = 1,
                   .columns = 10,
                   .rows = 10,
                   .tileWidth = 16,
                   .tileHeight = 16};
    back.tileSets = {{"b.til", 9}, {"a.til", 2}};
    back.sprites = {Sprite("Alpha", "A.dll", 5, 6), Sprite("Scenery", "")};
    LayerDesc main = Main();
    SpriteDesc platform = Sprite("Lift", "P.dll", 1, 2);
    platform.isPlatform = 1;
    main.sprites = {Player(70, 90), platform, Sprite("Bee", "B.dll", 3, 4)};
    d.layers = {back, main};
    Load(d);
    ASSERT_EQ(LevelInit(), 1) << gErrorInfo.message;
    EXPECT_EQ(
        BrainLog(),
        (Log{"Init6:Back:alpha:640x480:5,6:shown", "Init6:Main:lift:640x480:1,2:shown",
             "Init6:Main:bee:640x480:3,4:shown", "Init7:page:Main:hero:640x480:68,88:shown"}));
    EXPECT_EQ(fake::Calls("LoadTileSet"), (Log{"LoadTileSet(a.til)", "LoadTileSet(b.til)"}));
    Layer* mainLayer = gPage.layers.ptr->next.ptr;
    EXPECT_EQ(gMainLayer, mainLayer);
    EXPECT_EQ(Names(mainLayer->players), (Log{"hero"}));
    EXPECT_EQ(Names(mainLayer->platforms), (Log{"lift"}));
    EXPECT_EQ(Names(mainLayer->sprites), (Log{"bee"}));
    EXPECT_EQ(Names(gPage.layers.ptr->sprites), (Log{"alpha", "scenery"}));
    ::Sprite* scenery = gPage.layers.ptr->sprites.ptr->next.ptr;
    EXPECT_EQ(scenery->brainModule, nullptr);
    EXPECT_EQ(scenery->think, nullptr);
    ASSERT_NE(gPlayerSprite, nullptr);
    EXPECT_NE(gPlayerSprite->think, nullptr);

    // Tear-down: each brain lets go after its instances are freed.
    BrainLog().clear();
    FreeLevel();
    EXPECT_EQ(BrainLog(), (Log{"Labotamize:alpha:empty", "Labotamize:bee:empty",
                               "Labotamize:hero:empty", "Labotamize:lift:empty"}));
}

TEST_F(LevelHostTest, LivesDisplayStartsHidden) {
    LevelFileDesc d;
    LayerDesc main = Main();
    SpriteDesc noInstances{.name = "LIVES"};
    main.sprites = {Player(0, 0), Sprite("Lives", ""), noInstances};
    d.layers = {main};
    Load(d);
    ASSERT_EQ(LevelInit(), 1) << gErrorInfo.message;
    ::Sprite* lives = gPage.layers.ptr->sprites.ptr;
    EXPECT_STREQ(lives->name, "lives");
    EXPECT_EQ(lives->instances.ptr->visible, 0);
    EXPECT_STREQ(lives->next.ptr->name, "LIVES");
}

TEST_F(LevelHostTest, TheCameraStartsOnThePlayerWithinTheMap) {
    struct Case {
        int32_t x, y;
        int32_t cameraX, cameraY;
    };
    // Screen 640 x 480, frame 20 x 30, map 1600 x 640: the view centres the
    // frame, then holds to the map and to whole steps of 4 pixels.
    const Case cases[] = {
        {70, 90, 0, 0},        // near the top left
        {1000, 200, 688, 0},   // camera 690 and 0: 172 whole steps across
        {1598, 638, 960, 160}, // beyond the right and bottom limits
    };
    for (const Case& c : cases) {
        FreeLevel();
        LevelFileDesc d;
        LayerDesc main = Main();
        main.sprites = {Player(c.x, c.y)};
        d.layers = {main};
        Load(d);
        ASSERT_EQ(LevelInit(), 1) << gErrorInfo.message;
        Layer* layer = gPage.layers.ptr;
        EXPECT_EQ(layer->scrollColumn * 16 + layer->scrollSubX, c.cameraX) << c.x;
        EXPECT_EQ(layer->scrollRow * 16 + layer->scrollSubY, c.cameraY) << c.y;
    }
}

TEST_F(LevelHostTest, EachLayerScrollsByItsOwnStep) {
    LevelFileDesc d;
    LayerDesc back{.name = "Back",
                   .stepX = 1,
                   .stepY = 3,
                   .columns = 10,
                   .rows = 10,
                   .tileWidth = 16,
                   .tileHeight = 16};
    LayerDesc main = Main();
    main.sprites = {Player(0, 0)};
    d.layers = {back, main};
    Load(d);
    ASSERT_EQ(LevelInit(), 1);
    SetLayerScroll(400, 40);
    Layer* b = gPage.layers.ptr;
    Layer* m = b->next.ptr;
    EXPECT_EQ(b->scrollColumn * 16 + b->scrollSubX, 100);
    EXPECT_EQ(m->scrollColumn * 16 + m->scrollSubX, 400);
    // Ten steps of 3 on 16-pixel tiles: 0,3,..,15 then the next cell from 0.
    EXPECT_EQ(b->scrollRow, 1);
    EXPECT_EQ(b->scrollSubY, 12);
    SetLayerScroll(-8, 0);
    EXPECT_EQ(m->scrollColumn, 0);
    EXPECT_EQ(m->scrollSubX, 0);
}

TEST_F(LevelHostTest, BrainsThatCannotBeBoundFailTheLevel) {
    struct Case {
        const char* brain;
        const char* message;
    };
    const Case cases[] = {
        {"Missing.dll", "Unable to load brain DLL!"},
        {"NoInitialize.dll", "Unable to get brain Initialization function!"},
        {"NoThink.dll", "Unable to get brain AI function!"},
        {"NoLabotamize.dll", "Labotomy function failed!"},
        // The player's brain for a sprite that is not the player.
        {"Hero.dll", "Unable to get brain Initialization function!"},
    };
    for (const Case& c : cases) {
        FreeLevel();
        LevelFileDesc d;
        LayerDesc main = Main();
        main.sprites = {Sprite("Bad", c.brain), Player(0, 0)};
        d.layers = {main};
        Load(d);
        EXPECT_EQ(LevelInit(), 0) << c.brain;
        EXPECT_STREQ(gErrorInfo.message, c.message);
        EXPECT_STREQ(gErrorInfo.location, "LevelInit()");
        EXPECT_STREQ(gErrorInfo.sourceFile, "LevelEngine");
        EXPECT_EQ(gPage.layers.ptr->sprites.ptr->brainModule, nullptr);
    }
}

// A brain or a page that exists outside data\, named with ".." or by an
// absolute path, is refused as if missing.
TEST_F(LevelHostTest, BrainsAndPagesNamedOutsideTheGameFolderAreRefused) {
    std::string absolute = "/tmp/vrask-" + std::to_string(getpid()) + ".so";
    std::filesystem::copy_file(std::string(TEST_BRAIN_DIR) + "/TestBrain.so", "Outside.so");
    std::filesystem::copy_file(std::string(TEST_BRAIN_DIR) + "/TestBrain.so", absolute,
                               std::filesystem::copy_options::overwrite_existing);
    for (const std::string& brain : {std::string("..\\Outside.dll"), absolute}) {
        FreeLevel();
        LevelFileDesc d;
        LayerDesc main = Main();
        main.sprites = {Sprite("Far", brain), Player(0, 0)};
        d.layers = {main};
        Load(d);
        EXPECT_EQ(LevelInit(), 0) << brain;
        EXPECT_STREQ(gErrorInfo.message, "Unable to load brain DLL!");
        EXPECT_TRUE(BrainLog().empty()) << brain;
    }
    std::filesystem::remove(absolute);

    FreeLevel();
    LevelFileDesc d;
    d.layers = {Main()};
    ASSERT_TRUE(gamedata::WriteFile("outside.lvl", gamedata::BuildLevelFile(d)));
    WriteGame({"menu", "..\\outside", "over"});
    ASSERT_EQ(LoadGame(kGameFileName), 1);
    EXPECT_EQ(LoadLevel(1), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to open data\\..\\outside.lvl");
}

TEST_F(LevelHostTest, AFailingInitializeStopsTheLevelAndItsBrainIsLetGo) {
    LevelFileDesc d;
    LayerDesc main = Main();
    SpriteDesc refusing = Sprite("Bee", "B.dll");
    refusing.spriteParam1 = 1;
    main.sprites = {refusing, Player(0, 0)};
    d.layers = {main};
    Load(d);
    EXPECT_EQ(LevelInit(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Test brain refused!");
    EXPECT_EQ(BrainLog().size(), 1u);

    // The player's own refusal: its brain is unloaded and not called again.
    FreeLevel();
    BrainLog().clear();
    SpriteDesc player = Player(0, 0);
    player.spriteParam1 = 1;
    main.sprites = {Sprite("Bee", "B.dll"), player};
    d.layers = {main};
    Load(d);
    EXPECT_EQ(LevelInit(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Test brain refused!");
    BrainLog().clear();
    FreeLevel();
    EXPECT_EQ(BrainLog(), (Log{"Labotamize:bee:empty"}));
}

TEST_F(LevelHostTest, LevelsWithoutAMainLayerOrOnePlayerAreRefused) {
    struct Case {
        std::function<void(LevelFileDesc&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {[](LevelFileDesc& d) { d.layers[0].isMainLayer = 0; },
         "Unable to start level: it has no main layer!"},
        {[](LevelFileDesc& d) { d.layers[0].sprites.clear(); },
         "Unable to start level: it needs exactly one player sprite with a brain!"},
        {[](LevelFileDesc& d) { d.layers[0].sprites.push_back(Player(5, 5)); },
         "Unable to start level: it needs exactly one player sprite with a brain!"},
        {[](LevelFileDesc& d) { d.layers[0].sprites[0].brainFile = ""; },
         "Unable to start level: it needs exactly one player sprite with a brain!"},
    };
    for (const Case& c : cases) {
        FreeLevel();
        LevelFileDesc d;
        d.layers = {Main()};
        d.layers[0].sprites = {Player(0, 0)};
        c.spoil(d);
        Load(d);
        EXPECT_EQ(LevelInit(), 0);
        EXPECT_STREQ(gErrorInfo.message, c.message);
        EXPECT_TRUE(BrainLog().empty());
    }
}

} // namespace
