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

} // namespace
} // namespace pimbreltest
