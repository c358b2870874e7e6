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
        if (c.climbs)
            EXPECT_TRUE(log[kPlay].player.frame >= 48 && log[kPlay].player.frame <= 55);
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

} // namespace
} // namespace pimbreltest
