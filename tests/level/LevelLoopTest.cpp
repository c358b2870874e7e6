// The level main loop: the order of the Thinks, the requests and scroll
// steps, the ends of a level, the hot keys and the music, the pacing.
#include "level/LevelFixture.h"
#include "platform/Clock.h"
#include "platform/Sound.h"

#include <tuple>

namespace sonork {
platform::SoundBuffer* StreamBuffer();
}

namespace leveltest {
namespace {

gamedata::SpriteDesc Hero(uint16_t endAt, uint16_t requests = 0, uint16_t requestThinks = 0) {
    gamedata::SpriteDesc hero = SpriteOf("Hero", "TestPlayer.dll", 20, 16);
    hero.isPlayer = 1;
    hero.spriteParam3 = endAt;
    hero.spriteParam2 = requests;
    hero.spriteParam7 = requestThinks;
    return hero;
}

class LevelLoopTest : public LevelTest {
  protected:
    void SetUp() override {
        LevelTest::SetUp();
        for (const char* name : {"A", "B", "C", "D"})
            std::filesystem::copy_file(std::string(TEST_BRAIN_DIR) + "/TestBrain.so",
                                       std::string("data/") + name + ".so");
    }
};

TEST_F(LevelLoopTest, PlayerThinksFirstThenEachLayersPlatformsThenRegulars) {
    gamedata::LevelFileDesc d = CraftedLevel(Hero(2));
    d.layers[0].sprites = {SpriteOf("Cloud", "A.dll")};
    gamedata::SpriteDesc lift = SpriteOf("Lift", "C.dll");
    lift.isPlatform = 1;
    d.layers[1].sprites.insert(d.layers[1].sprites.begin(), SpriteOf("Bee", "B.dll"));
    d.layers[1].sprites.push_back(lift);
    d.layers[1].sprites.push_back(SpriteOf("Rock", ""));
    Start(d);
    BrainLog().clear();
    ASSERT_EQ(LevelEngine(), 1) << Message();
    Log frame = {"Think:hero", "Think:cloud", "Think:lift", "Think:bee"};
    Log both = frame;
    both.insert(both.end(), frame.begin(), frame.end());
    EXPECT_EQ(BrainLog(), both);
    for (uint32_t word : gFrameControl.engineWords)
        EXPECT_EQ(word, 1u);

    // Tear-down: the instances go first, then each brain, then the surfaces.
    BrainLog().clear();
    LevelTeardown();
    EXPECT_EQ(BrainLog(), (Log{"Labotamize:cloud:empty", "Labotamize:bee:empty",
                               "Labotamize:hero:empty", "Labotamize:lift:empty"}));
    EXPECT_EQ(gDisplay.primary, nullptr);
    EXPECT_EQ(gDisplay.back, nullptr);
    EXPECT_EQ(gPage.layers.ptr, nullptr);
}

TEST_F(LevelLoopTest, AFailingThinkStopsTheLevelAtOnce) {
    gamedata::LevelFileDesc d = CraftedLevel(Hero(0));
    gamedata::SpriteDesc bee = SpriteOf("Bee", "B.dll");
    bee.spriteParam5 = 2;
    d.layers[1].sprites.push_back(bee);
    d.layers[0].sprites = {SpriteOf("Cloud", "A.dll")};
    gamedata::SpriteDesc lift = SpriteOf("Lift", "C.dll");
    lift.isPlatform = 1;
    d.layers[1].sprites.push_back(lift);
    Start(d);
    BrainLog().clear();
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_EQ(Message(), "Test brain gave up!");
    EXPECT_EQ(BrainLog(), (Log{"Think:hero", "Think:cloud", "Think:lift", "Think:bee", "Think:hero",
                               "Think:cloud", "Think:lift", "Think:bee"}));

    // The player's own failure too.
    Again();
    gamedata::SpriteDesc hero = Hero(0);
    hero.spriteParam5 = 1;
    Start(CraftedLevel(hero));
    BrainLog().clear();
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_EQ(BrainLog(), (Log{"Think:hero"}));
}

TEST_F(LevelLoopTest, LevelEndsWhenThePlayerDies) {
    gamedata::SpriteDesc hero = Hero(0);
    hero.spriteParam6 = 3;
    Start(CraftedLevel(hero));
    BrainLog().clear();
    ASSERT_EQ(LevelEngine(), 1) << Message();
    EXPECT_EQ(BrainLog().size(), 3u);
    EXPECT_EQ(gPlayerSprite->instances.ptr->alive, 0);
}

// One scroll step on every layer, each by its own step, wrapping as the
// loop does: forward to 0 of the next cell, back to the last pixel.
TEST_F(LevelLoopTest, ScrollStepsWrapOnEveryLayer) {
    struct Case {
        uint16_t request;
        int32_t sub, cell;         // main layer before
        int32_t wantSub, wantCell; // main layer after
        int32_t backSub, backCell; // background (step 1) after, from 0/5
    };
    for (auto c :
         {Case{kRequestScrollRight, 12, 3, 0, 4, 1, 5}, Case{kRequestScrollRight, 4, 3, 8, 3, 1, 5},
          Case{kRequestScrollLeft, 0, 3, 15, 2, 15, 4},
          Case{kRequestScrollLeft, 8, 3, 4, 3, 15, 4}}) {
        SCOPED_TRACE(c.sub);
        Again();
        Start(CraftedLevel(Hero(1, c.request)));
        Layer* back = LayerAt(0);
        Layer* main = LayerAt(1);
        main->scrollSubX = c.sub;
        main->scrollColumn = c.cell;
        back->scrollSubX = 0;
        back->scrollColumn = 5;
        ASSERT_EQ(LevelEngine(), 1) << Message();
        EXPECT_EQ(main->scrollSubX, c.wantSub);
        EXPECT_EQ(main->scrollColumn, c.wantCell);
        EXPECT_EQ(back->scrollSubX, c.backSub);
        EXPECT_EQ(back->scrollColumn, c.backCell);
    }
    // Vertically with the main layer's step of 2: down from 14, up from 0;
    // both directions at once take the forward one.
    for (auto [request, sub, wantSub, wantCell] :
         {std::tuple{uint16_t(kRequestScrollDown), 14, 0, 2},
          std::tuple{uint16_t(kRequestScrollUp), 0, 15, 0},
          std::tuple{uint16_t(kRequestScrollUp | kRequestScrollDown), 2, 4, 1}}) {
        Again();
        Start(CraftedLevel(Hero(1, request)));
        Layer* main = LayerAt(1);
        main->scrollSubY = sub;
        main->scrollRow = 1;
        ASSERT_EQ(LevelEngine(), 1) << Message();
        EXPECT_EQ(main->scrollSubY, wantSub) << request;
        EXPECT_EQ(main->scrollRow, wantCell) << request;
    }
}

TEST_F(LevelLoopTest, ScrollingIsNotClampedToTheMap) {
    Start(CraftedLevel(Hero(30, kRequestScrollLeft | kRequestScrollUp)));
    ASSERT_EQ(LevelEngine(), 1) << Message();
    Layer* main = LayerAt(1);
    EXPECT_LT(main->scrollColumn, 0);
    EXPECT_LT(main->scrollRow, 0);
}

TEST_F(LevelLoopTest, RecentreSnapsThePlayerAndPlacesEveryLayer) {
    gamedata::SpriteDesc hero = Hero(1, kRequestRecentre);
    gamedata::LevelFileDesc d = CraftedLevel(hero);
    d.layers[1].columns = 40; // room to scroll: 640 pixels
    d.layers[1].tileMap.resize(160, 0);
    d.layers[0].columns = 40;
    d.layers[0].tileMap.resize(400, 0x2001);
    Start(d);
    SpriteInstance* at = gPlayerSprite->instances.ptr;
    at->x = 70;
    at->y = 31;
    ASSERT_EQ(LevelEngine(), 1) << Message();
    EXPECT_EQ(at->x, 68);
    EXPECT_EQ(at->y, 30);
    // Camera x = 68 - 28 + 4 = 44: 11 steps of 4 on the main layer, 11 of 1
    // on the background; y = 30 - 20 + 4 = 14: 7 steps of 2 and of 1.
    Layer* main = LayerAt(1);
    EXPECT_EQ(main->scrollColumn * 16 + main->scrollSubX, 44);
    EXPECT_EQ(main->scrollRow * 16 + main->scrollSubY, 14);
    Layer* back = LayerAt(0);
    EXPECT_EQ(back->scrollColumn * 16 + back->scrollSubX, 11);
    EXPECT_EQ(back->scrollRow * 16 + back->scrollSubY, 7);
}

TEST_F(LevelLoopTest, ButtonsFromBindingsAndJoystickAndTheToggleKey) {
    const char* script = "joysticks 1\n"
                         "0 down RIGHT\n0 down LEFT\n0 down UP\n0 down LALT\n"
                         "1 up RIGHT\n1 up UP\n1 up LALT\n1 down T\n1 down SPACE\n"
                         "2 up LEFT\n2 up SPACE\n"
                         "3 axis 0 x 10000\n3 axis 0 y -10000\n3 button 0 0 down\n"
                         "4 axis 0 x -10000\n4 axis 0 y 10000\n4 button 0 0 up\n"
                         "4 button 0 1 down\n4 up T\n"
                         "5 down T\n";
    Start(CraftedLevel(Hero(6)), script);
    ASSERT_EQ(gInputState.joystickPresent, 1);
    ASSERT_EQ(LevelEngine(), 1) << Message();
    std::vector<uint32_t> want = {kButtonRight | kButtonUp | kButtonAttack,
                                  kButtonLeft | kButtonJump | kButtonToggle,
                                  0,
                                  kButtonRight | kButtonUp | kButtonAttack,
                                  kButtonLeft | kButtonDown | kButtonJump,
                                  kButtonLeft | kButtonDown | kButtonJump | kButtonToggle};
    EXPECT_EQ(ButtonLog(), want);
}

// What the in-game menu saw each time it was called.
struct MenuVisit {
    uint32_t cleared, context, escapeBefore, thinksBefore;
    bool musicPlaying;
    uint32_t musicPaused;
    int32_t volume;
    uint8_t previousButtons[2][2];
};
std::vector<MenuVisit> gVisits;
uint32_t gMenuRequest; // 1 jump, 2 quit, 3 fail
int32_t TestMenu() {
    MenuVisit v{gMenuControl.cleared,
                gMenuControl.callerContext,
                gInputState.keysBefore[kEscape],
                uint32_t(BrainLog().size()),
                false,
                gMenuControl.musicPaused,
                1};
    if (platform::SoundBuffer* b = sonork::StreamBuffer()) {
        uint32_t status = 0;
        v.musicPlaying =
            b->GetStatus(&status) == platform::kOk && (status & platform::DSBSTATUS_PLAYING);
        b->GetVolume(&v.volume);
    }
    for (int b = 0; b < 2; ++b) {
        v.previousButtons[0][b] = gInputState.joystick1.previous.buttons[b];
        v.previousButtons[1][b] = gInputState.joystick2.previous.buttons[b];
    }
    gVisits.push_back(v);
    gMenuControl.cleared = 7;
    if (gMenuRequest == 1)
        gMenuControl.jumpRequest = 1;
    if (gMenuRequest == 2)
        gMenuControl.quitRequest = 1;
    return gMenuRequest == 3 ? 0 : 1;
}

TEST_F(LevelLoopTest, EscapeCallsTheMainMenuAndTheFrameGoesOn) {
    gVisits.clear();
    gMenuRequest = 0;
    Start(CraftedLevel(Hero(5)), "joysticks 1\n1 down ESCAPE\n1 button 0 1 down\n"
                                 "2 up ESCAPE\n3 down ESCAPE\n");
    gMainMenuPage.menuEngine = TestMenu;
    gMenuControl.cleared = 5;
    BrainLog().clear();
    ASSERT_EQ(LevelEngine(), 1) << Message();
    ASSERT_EQ(gVisits.size(), 2u);
    EXPECT_EQ(gVisits[0].cleared, 0u);
    EXPECT_EQ(gVisits[0].context, 1u);
    EXPECT_EQ(gVisits[0].escapeBefore & 0x80, 0x80u); // the key is already seen
    EXPECT_EQ(gVisits[0].thinksBefore, 1u);           // before the second frame's Think
    EXPECT_EQ(gVisits[1].thinksBefore, 3u);
    // The first joystick's fire buttons count as held before, in both slots.
    EXPECT_EQ(gVisits[0].previousButtons[0][0], 0);
    EXPECT_EQ(gVisits[0].previousButtons[0][1], 0x80);
    EXPECT_EQ(gVisits[0].previousButtons[1][1], 0x80);
    EXPECT_EQ(BrainLog().size(), 5u);

    // Torn down, the level cannot run again.
    LevelTeardown();
    EXPECT_EQ(gPlayerSprite, nullptr);
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_EQ(Message(), "Unable to run level: it was not set up!");
}

TEST_F(LevelLoopTest, MenuRequestsEndTheLevelAfterTheFrame) {
    for (uint32_t request : {1u, 2u}) {
        Again();
        gVisits.clear();
        gMenuRequest = request;
        Start(CraftedLevel(Hero(0)), "2 down ESCAPE\n");
        gMainMenuPage.menuEngine = TestMenu;
        BrainLog().clear();
        ASSERT_EQ(LevelEngine(), 1) << Message();
        EXPECT_EQ(BrainLog().size(), 3u) << request; // the frame completes
    }
    Again();
    gVisits.clear();
    gMenuRequest = 3;
    Start(CraftedLevel(Hero(0)), "0 down ESCAPE\n");
    gMainMenuPage.menuEngine = TestMenu;
    BrainLog().clear();
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_TRUE(BrainLog().empty());
}

TEST_F(LevelLoopTest, EscapeWithoutAMainMenuIsIgnored) {
    Start(CraftedLevel(Hero(3)), "0 down ESCAPE\n");
    BrainLog().clear();
    ASSERT_EQ(LevelEngine(), 1) << Message();
    EXPECT_EQ(BrainLog().size(), 3u);
}

// P and R pause and resume the wave music; held in the same frame, the
// music pauses and then resumes. The menu looks at the music each time.
TEST_F(LevelLoopTest, MusicPlaysPausesAndResumesAndStopsAtTheEnd) {
    gVisits.clear();
    gMenuRequest = 0;
    Start(CraftedLevel(Hero(6)), "0 down P\n0 down R\n1 down ESCAPE\n"
                                 "2 up P\n2 up R\n2 up ESCAPE\n3 down P\n4 down ESCAPE\n");
    gMainMenuPage.menuEngine = TestMenu;
    ASSERT_EQ(LevelEngine(), 1) << Message();
    ASSERT_EQ(gVisits.size(), 2u);
    EXPECT_TRUE(gVisits[0].musicPlaying);
    EXPECT_EQ(gVisits[0].musicPaused, 0u);
    EXPECT_EQ(gVisits[0].volume, -1500); // volume 50
    EXPECT_FALSE(gVisits[1].musicPlaying);
    EXPECT_EQ(gVisits[1].musicPaused, 1u);
    EXPECT_EQ(sonork::StreamBuffer(), nullptr); // stopped at the end
}

TEST_F(LevelLoopTest, MusicOffStartsNothingAndIgnoresPause) {
    gVisits.clear();
    gMenuRequest = 0;
    Start(CraftedLevel(Hero(3)), "0 down P\n1 down ESCAPE\n");
    gMainMenuPage.menuEngine = TestMenu;
    gMenuControl.musicOn = 0;
    ASSERT_EQ(LevelEngine(), 1) << Message();
    ASSERT_EQ(gVisits.size(), 1u);
    EXPECT_FALSE(gVisits[0].musicPlaying);
    EXPECT_EQ(gMenuControl.musicPaused, 0u);
}

TEST_F(LevelLoopTest, MissingMusicOrSurfacesFailTheLevel) {
    gamedata::LevelFileDesc d = CraftedLevel(Hero(3));
    d.musicWave = "none.wav";
    Start(d);
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_STREQ(gErrorInfo.location, "wavFileOpen()");

    Again();
    Start(CraftedLevel(Hero(3)));
    platform::SetFaults("SetDisplayMode=fail");
    EXPECT_EQ(LevelEngine(), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_STREQ(gErrorInfo.sourceFile, "LevelEngine");
    EXPECT_STREQ(gErrorInfo.location, "LevelEngine()");
    EXPECT_EQ(Message(), "Unable to get surfaces!");
}

TEST_F(LevelLoopTest, ScreenshotKey) {
    Start(CraftedLevel(Hero(4)), "1 down S\n3 up S\n");
    ASSERT_EQ(LevelEngine(), 1) << Message();
    EXPECT_TRUE(std::filesystem::exists("Tolwick000.bmp"));
    EXPECT_FALSE(std::filesystem::exists("Tolwick001.bmp"));
}

// On the virtual clock each frame waits out 1/90 s of counter ticks.
TEST_F(LevelLoopTest, FramesArePacedAtNinetyASecond) {
    Start(CraftedLevel(Hero(180)));
    int64_t before = platform::PerformanceCounter();
    ASSERT_EQ(LevelEngine(), 1) << Message();
    int64_t elapsed = platform::PerformanceCounter() - before;
    int64_t frame = platform::PerformanceFrequency() / 90;
    EXPECT_GE(elapsed, 180 * frame);
    EXPECT_LT(elapsed, 180 * (frame + frame / 50));
}

} // namespace
} // namespace leveltest
