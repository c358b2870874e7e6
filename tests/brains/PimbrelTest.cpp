// The player brain through the real level set-up and main loop on the
// headless backend and the virtual clock, over small levels and scripted keys.
#include "brains/PimbrelLevel.h"

namespace pimbreltest {
namespace {

class Pimbrel : public leveltest::LevelTest {
  protected:
    void SetUp() override {
        LevelTest::SetUp();
        ASSERT_TRUE(WriteData());
    }
    const std::vector<WatchFrame>& Run(const gamedata::LevelFileDesc& d,
                                       const std::string& script) {
        Start(d, script.c_str());
        EXPECT_EQ(LevelEngine(), 1) << Message();
        return WatchLog();
    }
    // Loads the level and gives what LevelInit reported; its tear-down still
    // calls every brain it loaded.
    std::string Refused(const gamedata::LevelFileDesc& d) {
        gamedata::GameFileDesc game;
        game.gameName = "Test";
        game.pages = {"menu", "level", "over"};
        EXPECT_TRUE(gamedata::WriteFile(kGameFileName, gamedata::BuildGameFile(game)));
        EXPECT_TRUE(gamedata::WriteFile("data/level.lvl", gamedata::BuildLevelFile(d)));
        EXPECT_EQ(LoadGame(kGameFileName), 1);
        EXPECT_EQ(LoadLevel(1), 1) << Message();
        EXPECT_EQ(LevelInit(), 0);
        return std::string(gErrorInfo.sourceFile) + "|" + gErrorInfo.location + "|" + Message();
    }
    static Map Flat() {
        Map map(40, 15);
        map.Set(12, 0, 39, kFloor);
        return map;
    }
};

// The helper is skipped with jump at read 130 and has flown out by Think 251;
// keys pressed from read n reach Think n + 1.
constexpr int kPlay = 255;
constexpr Press kSkip{"SPACE", 130, 131};

// Thinks (counted from the first with the key held) on which x changed.
std::vector<int> MovesFrom(const std::vector<WatchFrame>& log, int firstThink, size_t count) {
    std::vector<int> moves;
    for (size_t n = size_t(firstThink); n < log.size() && moves.size() < count; ++n)
        if (log[n].player.x != log[n - 1].player.x)
            moves.push_back(int(n) - firstThink + 1);
    return moves;
}

TEST_F(Pimbrel, WalkingAcceleratesFromAFreshStartUnlessToggled) {
    auto log = Run(Level(Flat(), 64, 160, {}, 330), Script({kSkip, {"RIGHT", kPlay, 400}}));
    ASSERT_EQ(log.size(), 330u);
    EXPECT_EQ(log[kPlay - 1].player.x, 64) << "the intro holds the player";
    EXPECT_EQ(MovesFrom(log, kPlay, 10), (std::vector<int>{8, 15, 21, 26, 30, 33, 35, 36, 37, 38}));
    EXPECT_EQ(log.back().player.y, 160) << "stands on the floor all along";
    EXPECT_EQ(log[kPlay].player.frame, 24u) << "the walk starts at its first frame";

    Again();
    log = Run(Level(Flat(), 64, 160, {}, 270),
              Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, 400}}));
    EXPECT_EQ(MovesFrom(log, kPlay, 3), (std::vector<int>{1, 2, 3}));
}

// Thinks (counted from 1) of the log where `pick` holds.
template <class Pick> std::vector<int> Where(const std::vector<WatchFrame>& log, Pick pick) {
    std::vector<int> at;
    for (size_t n = 0; n < log.size(); ++n)
        if (pick(log[n]))
            at.push_back(int(n) + 1);
    return at;
}

TEST_F(Pimbrel, JumpsRiseWhileHeldAndBouncePadsLaunchHigher) {
    auto log = Run(Level(Flat(), 64, 160, {}, kPlay + 60), Script({kSkip, {"SPACE", kPlay, 400}}));
    int top = 160;
    for (const WatchFrame& f : log)
        top = std::min(top, f.player.y);
    EXPECT_EQ(top, 160 - 32 * kStep) << "a held jump rises 32 steps";
    EXPECT_EQ(log[kPlay].player.frame, 34u);

    Again();
    log = Run(Level(Flat(), 64, 160, {}, kPlay + 60), Script({kSkip, {"SPACE", kPlay, kPlay + 9}}));
    top = 160;
    for (const WatchFrame& f : log)
        top = std::min(top, f.player.y);
    EXPECT_EQ(top, 160 - 10 * kStep) << "released after 10 frames";
    EXPECT_EQ(log.back().player.y, 160) << "and back on the floor";

    // Pads under all three probe columns launch 96 steps, jump held or not;
    // under two of them nothing happens.
    for (int pads : {3, 2}) {
        Again();
        Map map(40, 40);
        map.Set(38, 0, 39, kFloor);
        if (pads == 3)
            map.Set(37, 5, 6, Cell(10));
        else
            map.Set(37, 6, 6, Cell(10));
        // The centre is x + 24 = 96: columns 5, 6 and 6.
        log = Run(Level(map, 72, 400, {}, 200), Script({{"SPACE", 0, 400}}));
        top = 1000;
        int bottom = 0;
        for (const WatchFrame& f : log) {
            top = std::min(top, f.player.y);
            bottom = std::max(bottom, f.player.y);
        }
        if (pads == 3) {
            EXPECT_EQ(bottom - top, 96 * kStep);
            EXPECT_EQ(log[60].player.jumpLimit, 96);
        } else {
            for (size_t n = 60; n < log.size(); ++n)
                ASSERT_EQ(log[n].player.y, 38 * 16 - 32) << "stands on the floor under the pads";
        }
    }
}

TEST_F(Pimbrel, WalkingOffALedgeKeepsTheWalkingFrameFourFrames) {
    Map map = Flat();
    map.Set(12, 8, 39, kAir);
    auto log = Run(Level(map, 64, 160, {}, kPlay + 40),
                   Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, 400}}));
    std::vector<int> falling = Where(log, [](const WatchFrame& f) { return f.player.y > 160; });
    ASSERT_FALSE(falling.empty());
    int first = falling[0] - 1; // index of the first frame below the floor
    for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(log[first + n].player.frame >= 24 && log[first + n].player.frame <= 33)
            << "fall frame " << n << " shows " << log[first + n].player.frame;
    EXPECT_EQ(log[first + 4].player.frame, 37u);
}

TEST_F(Pimbrel, DashesFromFloorOrPlatformButNotFromTheAir) {
    // Mid-air over nothing: the attack press does not dash.
    Map air(40, 15);
    gamedata::SpriteDesc lift = Sprite("lift", "", {{64, 192}});
    lift.isPlatform = 1;
    auto log = Run(Level(air, 64, 160, {lift}, kPlay + 10), Script({kSkip, {"LMENU", kPlay, 400}}));
    EXPECT_EQ(log[kPlay - 1].player.y, 160) << "stands on the platform sprite";
    EXPECT_EQ(log[kPlay].player.frame, 45u);
    EXPECT_EQ(log[kPlay].player.dashTicks, 25);
    EXPECT_EQ(log[kPlay + 5].player.x, 64 + 6 * kStep) << "the dash pushes a step a frame";

    Again();
    Map map = Flat();
    map.Set(12, 0, 39, kAir);
    map.Set(14, 0, 39, kFloor);
    // Falls through the intro onto row 14; the press comes while still in the air.
    log = Run(Level(map, 64, 0, {}, 20), Script({{"LMENU", 1, 400}}));
    EXPECT_EQ(log[2].player.dashTicks, 0);
    EXPECT_EQ(log[5].player.x, 64);
}

TEST_F(Pimbrel, WallsBlockWalkingAndLaddersClimbByTheirMask) {
    Map map = Flat();
    map.Set(10, 4, 4, Cell(2));
    map.Set(11, 4, 4, Cell(2));
    auto log = Run(Level(map, 60, 160, {}, kPlay + 12), Script({kSkip, {"LEFT", kPlay, 400}}));
    EXPECT_EQ(log.back().player.x, 60);
    EXPECT_EQ(log[kPlay].player.frame, 23u);
    EXPECT_EQ(log[kPlay + 10].player.frame, 18u) << "walks on the spot";

    // A ladder column standing on a ladder cell: numbered 1 it climbs
    // freely; numbered 2 or more only where the pixel above the feet is
    // solid (tile 3 is clear, tile 2 solid). The view scrolls with the climb
    // there, as it must for the standing rules to leave the climber alone.
    struct Case {
        uint32_t feet, above;
        bool climbs;
    };
    for (Case c : {Case{1, 3, true}, Case{2, 3, false}, Case{2, 1, true}}) {
        Again();
        Map ladder(40, 40);
        ladder.Set(27, 0, 39, kFloor);
        for (int row = 19; row <= 26; ++row)
            ladder.Set(row, 5, 5, Cell(5, c.above));
        ladder.Set(27, 5, 5, Cell(5, c.feet));
        log = Run(Level(ladder, 64, 400, {}, kPlay + 20), Script({kSkip, {"UP", kPlay, 400}}));
        EXPECT_EQ(log[kPlay - 1].player.y, 400);
        int top = 400;
        for (const WatchFrame& f : log)
            top = std::min(top, f.player.y);
        EXPECT_EQ(top < 400, c.climbs) << "feet tile " << c.feet << ", above " << c.above;
        if (c.climbs) {
            EXPECT_TRUE(log[kPlay].player.frame >= 48 && log[kPlay].player.frame <= 55);
        }
    }
}

TEST_F(Pimbrel, MovesInsideTheViewBandAskTheViewToScroll) {
    // The band: 135 < x (+ a step) and x < 640 - 48 - 135 = 457.
    auto log = Run(Level(Flat(), 128, 160, {}, kPlay + 150),
                   Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, 400}}));
    for (size_t n = size_t(kPlay); n < log.size(); ++n) {
        int32_t x = log[n].player.x;
        bool scrolls = log[n].requests & kRequestScrollRight;
        EXPECT_EQ(scrolls, x > 139 && x < 457 && x != log[n - 1].player.x) << "x " << x;
    }
    EXPECT_EQ(log.back().player.x, 640 - 4 - 48) << "stops at the layer's edge";
}

gamedata::SpriteDesc Many(const std::string& name, const std::string& brain, int count, int x,
                          int y, const std::string& sheet = "p.spr") {
    gamedata::SpriteDesc s =
        Sprite(name, brain, std::vector<std::pair<int, int>>(size_t(count), {x, y}));
    s.sheetFile = sheet;
    return s;
}

// Rising edges of a helper sound slot.
int Spoken(const std::vector<WatchFrame>& log, int slot) {
    int n = 0;
    for (size_t i = 1; i < log.size(); ++i)
        n += (log[i].helperPlaying >> slot & 1) && !(log[i - 1].helperPlaying >> slot & 1);
    return n;
}

TEST_F(Pimbrel, EveryOverlappingBoxCountsUpToFiveAFrame) {
    gamedata::SpriteDesc gems = Many("gem", "Trinzel.dll", 2, 64, 160, "three.spr");
    gems.points = 10;
    auto log = Run(Level(Flat(), 64, 160, {gems, Many("spanner", "Gadrik.dll", 2, 64, 160)}, 3),
                   "# none\n");
    EXPECT_EQ(log[0].score, 50) << "six boxes touched, five counted";
    EXPECT_EQ(log[0].player.number, 0) << "the list was full";
    EXPECT_EQ(log[1].player.number, 2) << "two tools in one frame";
    EXPECT_EQ(log[1].score, 50);
}

TEST_F(Pimbrel, PickupsTakeWhatTheyMayAndLeaveTheRest) {
    Map map = Flat();
    map.Set(12, 10, 10, Cell(1, 1, 1)); // a hazard of class 1 at cx 160..175
    gamedata::SpriteDesc kits = Sprite("medkit", "Medrin.dll", {{64, 160}, {240, 160}});
    gFrameControl.lives = 4;
    auto log = Run(
        Level(map, 64, 160, {kits, Many("heart", "Vitrel.dll", 2, 64, 160)}, kPlay + 90),
        Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 19}, {"RIGHT", kPlay + 45, 400}}));
    EXPECT_EQ(log[0].player.lives, 5);
    EXPECT_EQ(log[0].sprites.at("heart")[0].alive, 0);
    EXPECT_EQ(log[0].sprites.at("heart")[1].alive, 1) << "five lives leave it in place";
    EXPECT_EQ(log[0].sprites.at("medkit")[0].alive, 1) << "full health leaves it in place";
    EXPECT_EQ(log[kPlay + 40].player.health, 90) << "one tick on the hazard";
    EXPECT_EQ(log.back().player.health, 100);
    EXPECT_EQ(log.back().sprites.at("medkit")[1].alive, 0);
}

TEST_F(Pimbrel, TheExitSpeaksUntilTwentyToolsAndNoLivingBoss) {
    gamedata::SpriteDesc exit = Sprite("Continue", "", {{200, 160}}, 2);
    std::string steps = Script({kSkip,
                                {"T", 200, 200},
                                {"RIGHT", kPlay, kPlay + 32},
                                {"LEFT", kPlay + 33, kPlay + 45},
                                {"RIGHT", kPlay + 46, 400}});
    auto log =
        Run(Level(Flat(), 64, 160, {exit, Many("spanner", "Gadrik.dll", 19, 64, 160)}, kPlay + 70),
            steps);
    EXPECT_EQ(log.back().player.number, 19);
    EXPECT_EQ(Spoken(log, 2), 2) << "spoken each time it is stepped on anew";

    Again();
    gamedata::SpriteDesc boss = Sprite("Boss", "TestBrain.dll", {{600, 160}});
    log = Run(Level(Flat(), 64, 160, {exit, Many("spanner", "Gadrik.dll", 20, 64, 160), boss},
                    kPlay + 70),
              steps);
    EXPECT_EQ(Spoken(log, 2), 0);
    EXPECT_GE(Spoken(log, 3), 1) << "the boss still lives";
    EXPECT_EQ(log.size(), size_t(kPlay + 70));

    Again();
    gFrameControl.lives = 3;
    log =
        Run(Level(Flat(), 64, 160, {exit, Many("spanner", "Gadrik.dll", 20, 64, 160)}, kPlay + 70),
            steps);
    ASSERT_LT(log.size(), size_t(kPlay + 70)) << "the level ended";
    EXPECT_TRUE(log.back().requests & kRequestEndLevel);
    EXPECT_EQ(gFrameControl.lives, 3u);
}

TEST_F(Pimbrel, FoesAreDashedFromTheFrontStompedFromAboveAndHurtOtherwise) {
    // Invincible through the intro; one foe just behind, one ahead.
    gamedata::SpriteDesc foes = Sprite("beast", "TestBrain.dll", {{52, 160}, {140, 160}});
    foes.points = 7;
    auto log =
        Run(Level(Flat(), 64, 160, {Sprite("shield", "Aegrim.dll", {{64, 160}}), foes}, kPlay + 30),
            Script({kSkip, {"LMENU", kPlay, 400}}));
    EXPECT_EQ(log[kPlay - 1].player.hurt, 0) << "invincible";
    EXPECT_EQ(log[kPlay].player.hurt, 1) << "a dash with the foe behind hurts";
    EXPECT_EQ(log[kPlay].sprites.at("beast")[0].health, 0);
    EXPECT_EQ(log.back().sprites.at("beast")[1].health, -1) << "a dash into its face takes one";
    EXPECT_EQ(log.back().score, 7);

    // Falling with attack held onto a foe, centre 7 pixels past its box.
    Again();
    gamedata::SpriteDesc foe = Sprite("beast", "TestBrain.dll", {{101, 160}});
    foe.points = 5;
    log = Run(
        Level(Flat(), 116, 160, {Sprite("shield", "Aegrim.dll", {{116, 160}}), foe}, kPlay + 40),
        Script({kSkip, {"SPACE", kPlay, kPlay + 9}, {"LMENU", kPlay + 10, 400}}));
    std::vector<int> scored = Where(log, [](const WatchFrame& f) { return f.score == 5; });
    ASSERT_FALSE(scored.empty());
    const WatchFrame& hit = log[size_t(scored[0] - 1)];
    EXPECT_EQ(hit.player.jumpLimit, 96);
    EXPECT_TRUE(hit.player.frame >= 39 && hit.player.frame <= 44);
    EXPECT_EQ(hit.sprites.at("beast")[0].health, -1);
    EXPECT_LT(log[size_t(scored[0] + 5)].player.y, hit.player.y) << "bounces up";
}

TEST_F(Pimbrel, HazardsTickTheMeterDownToDeathAndALifeRespawnsAtTheCheckpoint) {
    Map map = Flat();
    map.Set(12, 10, 10, Cell(1, 1, 2));
    gFrameControl.lives = 2;
    gamedata::SpriteDesc checkpoint = Sprite("continue", "", {{124, 160}});
    auto log = Run(Level(map, 64, 160, {checkpoint}, kPlay + 500),
                   Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 19}}));
    std::vector<uint32_t> meter;
    size_t died = 0;
    for (size_t n = size_t(kPlay); n < log.size() && !died; ++n) {
        uint32_t frame = log[n].First("health meter").frame;
        if (meter.empty() || meter.back() != frame)
            meter.push_back(frame);
        if (!log[n].player.visible)
            died = n;
    }
    EXPECT_EQ(meter, (std::vector<uint32_t>{0, 2, 4, 6, 8, 10, 0}));
    ASSERT_NE(died, 0u);
    EXPECT_EQ(log[died].player.lives, 1);
    EXPECT_EQ(log[died].player.health, 100);
    EXPECT_EQ(log[died].First("continue").frame, 1u) << "the checkpoint was passed";
    EXPECT_TRUE(log[died].First("spirit").visible);
    std::vector<int> back =
        Where(log, [&](const WatchFrame& f) { return &f > &log[died] && f.player.visible; });
    ASSERT_FALSE(back.empty());
    const WatchFrame& respawn = log[size_t(back[0] - 1)];
    EXPECT_GE(back[0] - int(died), 241) << "the spirit rises 240 frames";
    std::vector<int> passed =
        Where(log, [](const WatchFrame& f) { return f.First("continue").frame == 1; });
    ASSERT_FALSE(passed.empty());
    EXPECT_EQ(respawn.player.x, log[size_t(passed[0] - 1)].player.x) << "where it was touched";
    EXPECT_NEAR(respawn.player.y, 160 - 4, kStep) << "placed, then settled in the same frame";
    EXPECT_TRUE(respawn.requests & kRequestRecentre);
    EXPECT_FALSE(respawn.First("spirit").visible);
    std::vector<int> lives;
    for (const SpriteInstance& icon : log.back().sprites.at("lives"))
        lives.push_back(icon.visible);
    EXPECT_EQ(lives, (std::vector<int>{1, 0, 0, 0, 0}));

    // Without a life to spend the death ends the game.
    Again();
    map.Set(12, 10, 10, Cell(1, 1, 3));
    log = Run(Level(map, 64, 160, {}, kPlay + 600),
              Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 19}}));
    std::vector<int> health;
    for (const WatchFrame& f : log)
        if (health.empty() || health.back() != f.player.health)
            health.push_back(f.player.health);
    EXPECT_EQ(health, (std::vector<int>{100, 70, 40, 10, 0}));
    EXPECT_EQ(log.back().player.alive, 0);
    EXPECT_LT(log.size(), size_t(kPlay + 600)) << "the level ended";
    EXPECT_EQ(gFrameControl.lives, 0u);

    // A hazard only at the body's right edge names a damage but never hurts.
    Again();
    Map edge = Flat();
    edge.Set(11, 6, 6, Cell(1, 1, 2));
    log = Run(Level(edge, 64, 160, {}, 100), "# none\n");
    EXPECT_EQ(log.back().player.health, 100);
}

TEST_F(Pimbrel, TheHelperSpeaksUntilSkippedAndTheStatusDisplayFollows) {
    gamedata::LevelFileDesc d =
        Level(Flat(), 64, 160, {Many("spanner", "Gadrik.dll", 99, 64, 160)}, kPlay + 5);
    for (auto& s : d.layers[1].sprites)
        if (s.name == "Digits")
            for (int n = 0; n < 3; ++n)
                s.instances.push_back({.locations = {{300, 200}}});
    Start(d, Script({kSkip}).c_str());
    gPlayerSprite->score = 12345678; // as the runner carries it in
    ASSERT_EQ(LevelEngine(), 1) << Message();
    const auto& log = WatchLog();
    EXPECT_EQ(log[119].helperPlaying, 0u);
    EXPECT_EQ(log[120].helperPlaying, 1u) << "the voice starts when the helper arrives";
    EXPECT_EQ(log[129].helperPlaying, 1u);
    EXPECT_EQ(log[130].helperPlaying, 2u) << "jump stops the voice for the short reply";
    EXPECT_LT(log[135].First("helper").y, log[130].First("helper").y) << "and it flies out";

    std::vector<uint32_t> shown;
    for (const SpriteInstance& cell : log.back().sprites.at("digits"))
        shown.push_back(cell.visible ? cell.frame : 99);
    EXPECT_EQ(shown, (std::vector<uint32_t>{8, 7, 6, 5, 4, 3, 2, 5, 9, 99, 99, 99}))
        << "the score past seven digits; 95 tools, then 99 leave the digits";
    EXPECT_EQ(log.back().player.number, 99);
}

TEST_F(Pimbrel, ATeleportGivesBlinkingInvincibilityAndUnfilledEntriesDoNothing) {
    gamedata::SpriteDesc home = Sprite("Home Teleporter", "Portavo.dll", {{200, 160}});
    auto log = Run(Level(Flat(), 64, 160, {home}, kPlay + 260),
                   Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 40}}));
    std::vector<int> back = Where(log, [](const WatchFrame& f) { return f.player.x == 64; });
    ASSERT_GT(back.back(), kPlay + 40);
    size_t at = 0;
    for (size_t n = size_t(kPlay) + 5; n < log.size() && !at; ++n)
        if (log[n].player.x == 64)
            at = n;
    ASSERT_NE(at, 0u);
    EXPECT_NEAR(log[at].player.y, 160 - 4 - 8, kStep) << "then settles in the same frame";
    EXPECT_TRUE(log[at].requests & kRequestRecentre);
    int invincible = 0, shown = 0;
    for (size_t n = at; n < log.size() && log[n].player.invincible; ++n, ++invincible)
        shown += log[n].First("ora").visible;
    EXPECT_GE(invincible, 150);
    EXPECT_LT(invincible, 152);
    EXPECT_GT(shown, 50);
    EXPECT_LT(shown, 100) << "blinking below 150";

    // On "UCB Main" three entries are filled: number 1 goes to (2388, 788),
    // number 4 (the one under the player) does nothing.
    Again();
    ASSERT_TRUE(WriteData("UCB Main"));
    Map big(160, 60);
    big.Set(12, 0, 20, kFloor);
    big.Set(51, 0, 159, kFloor);
    gamedata::SpriteDesc ports =
        Sprite("teleport", "Portavo.dll", {{600, 600}, {600, 600}, {600, 600}});
    gamedata::SpriteDesc more = Sprite("Teleport", "Portavo.dll", {{64, 160}, {200, 160}});
    ports.instances[0].locations = {{200, 160}};
    log = Run(Level(big, 64, 160, {ports, more}, kPlay + 120, "UCB Main"),
              Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 40}}));
    std::vector<int> numbers;
    for (const SpriteInstance& i : log[0].sprites.at("teleport"))
        numbers.push_back(i.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5})) << "across both sprites";
    EXPECT_EQ(log[kPlay - 1].player.x, 64) << "number 4 under the player did nothing";
    EXPECT_EQ(log.back().player.x, 2388);
    EXPECT_NEAR(log.back().player.y, 788 - 8, kStep);

    // "CA Main" fills thirteen: the thirteenth goes to (5568, 5196).
    Again();
    ASSERT_TRUE(WriteData("CA Main"));
    Map huge(352, 330);
    huge.Set(12, 0, 20, kFloor);
    huge.Set(326, 340, 351, kFloor);
    gamedata::SpriteDesc thirteen =
        Sprite("teleport", "Portavo.dll", std::vector<std::pair<int, int>>(13, {600, 600}));
    thirteen.instances[12].locations = {{200, 160}};
    log = Run(Level(huge, 64, 160, {thirteen}, kPlay + 120, "CA Main"),
              Script({kSkip, {"T", 200, 200}, {"RIGHT", kPlay, kPlay + 40}}));
    EXPECT_EQ(log.back().player.x, 5568);
    EXPECT_NEAR(log.back().player.y, 5196 - 8, kStep);
}

gamedata::LevelFileDesc Without(gamedata::LevelFileDesc d, std::vector<std::string> names) {
    for (auto& layer : d.layers)
        std::erase_if(layer.sprites, [&](const gamedata::SpriteDesc& s) {
            return std::find(names.begin(), names.end(), s.name) != names.end();
        });
    return d;
}

TEST_F(Pimbrel, MissingContentIsRefusedWithAMessageNamingIt) {
    gamedata::LevelFileDesc d = Level(Flat(), 64, 160);
    const std::string tolwick = "Pimbrel|Initialize() of Tolwick's Sprite|";
    struct Case {
        gamedata::LevelFileDesc level;
        std::string report;
    };
    std::vector<Case> cases = {
        {Without(d, {"Health Meter", "Digits"}),
         "Pimbrel|Initialize() of Health Meter|Unable to find the health meter sprite!"},
        {Without(d, {"Digits"}), tolwick + "Unable to find the digits sprite!"},
        {Without(d, {"Lives"}), tolwick + "Unable to find the lives sprite!"},
        {Without(d, {"Tool Icon"}), tolwick + "Unable to find the tool icon sprite!"},
        {Without(d, {"ora"}), "Pimbrel|Initialize() of tolwick|Unable to find aura sprite!"},
        {Without(d, {"Helper"}),
         "Pimbrel|Initialize() of tolwick|Unable to find the helper sprite!"},
        {Without(d, {"Spirit"}),
         "Pimbrel|Initialize() of tolwick|Unable to find the spirit sprite!"},
    };
    gamedata::LevelFileDesc fewDigits = d;
    for (auto& s : fewDigits.layers[1].sprites)
        if (s.name == "Digits")
            s.instances.pop_back();
    cases.push_back({fewDigits, tolwick + "Unable to find nine instances of the digits sprite!"});
    gamedata::LevelFileDesc noMeter = d;
    for (auto& s : noMeter.layers[1].sprites)
        if (s.name == "Health Meter")
            s.instances.clear();
    cases.push_back({noMeter, "Pimbrel|Initialize() of Health Meter|Unable to find an instance of "
                              "the health meter sprite!"});
    gamedata::LevelFileDesc alone = d;
    alone.layers.pop_back();
    cases.push_back(
        {alone, "Pimbrel|Initialize() of tolwick|Unable to find layer for helper sprite!"});
    gamedata::LevelFileDesc wide = d;
    wide.layers[0].tileWidth = wide.layers[0].tileHeight = 32;
    cases.push_back({wide, "Pimbrel|Initialize() of tolwick|Unable to walk on layer LA Main: its "
                           "tiles are not 16 x 16!"});
    // A brain after the player fails: the player's Initialize never ran, and
    // its Labotamize at the tear-down lets go of nothing.
    gamedata::LevelFileDesc later = d;
    gamedata::SpriteDesc refuser = Sprite("refuser", "TestBrain.dll", {{0, 0}});
    refuser.spriteParam1 = 1;
    later.layers[0].sprites.push_back(refuser);
    cases.push_back({later, "TestBrain|Initialize() of test|Test brain refused!"});

    for (size_t n = 0; n < cases.size(); ++n) {
        Again();
        EXPECT_EQ(Refused(cases[n].level), cases[n].report) << "case " << n;
    }

    // A level whose name has no helper voice cannot carry the helper.
    Again();
    ASSERT_TRUE(WriteData("Main"));
    EXPECT_EQ(Refused(Level(Flat(), 64, 160, {}, 0, "Main")),
              "Pimbrel|Initialize() of tolwick|Unable to find a helper voice for layer Main!");
}

TEST_F(Pimbrel, SetUpBindsTheStatusDisplayAndTheLivesShown) {
    gFrameControl.lives = 2;
    auto log = Run(Level(Flat(), 64, 160, {}, 2), "# none\n");
    std::vector<int> lives;
    for (const SpriteInstance& icon : log[0].sprites.at("lives"))
        lives.push_back(icon.visible);
    EXPECT_EQ(lives, (std::vector<int>{1, 1, 0, 0, 0}));
    EXPECT_EQ(log[0].player.health, 100);
    EXPECT_EQ(log[0].player.lives, 2);
    EXPECT_EQ(log[0].player.jumpLimit, 32);
    EXPECT_FALSE(log[0].First("spirit").visible);
    EXPECT_EQ(log[0].First("helper").x, 100 + 480 - 4) << "flies in from 480 pixels right and up";
}

TEST_F(Pimbrel, FallingOutOfAnOpenBottomCostsALifeInsteadOfFallingForEver) {
    Map open(40, 15);
    gFrameControl.lives = 1;
    auto log = Run(Level(open, 64, 160, {}, 3000), "# none\n");
    ASSERT_LT(log.size(), 3000u) << "the game ended";
    EXPECT_EQ(log.back().player.alive, 0);
    EXPECT_EQ(gFrameControl.lives, 0u);
    std::vector<int> deaths = Where(log, [](const WatchFrame& f) { return !f.player.visible; });
    EXPECT_EQ(deaths.front(), 1 + (240 - 160) / kStep) << "its top reached the last row's end";
}

} // namespace
} // namespace pimbreltest
