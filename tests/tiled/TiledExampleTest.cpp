// The example map of the README, imported with one command, plays with the
// game's own brains: the player walks right, climbs the slope and collects
// the gems on the way.
#include "brains/PimbrelLevel.h"
#include "tools/tiled/LevelReader.h"

namespace tiledtest {
namespace {

class TiledExampleTest : public leveltest::LevelTest {};

TEST_F(TiledExampleTest, ImportsWithoutALineAndPlays) {
    ASSERT_TRUE(pimbreltest::WriteData());
    ASSERT_TRUE(pimbreltest::WriteSound("QEXHSW.001", 2.0)); // the helper's voice on "CB Main"
    std::filesystem::copy_file("data/music.wav", "data/meadow.wav");
    std::string map = std::string(VRASK_SOURCE_DIR) + "/demo/tiled/example/example.tmx";
    ASSERT_EQ(std::system((std::string(VRASK_TILED) + " import " + map + " . 2>lines.txt").c_str()),
              0);
    EXPECT_EQ(tiled::ReadBytes("lines.txt").size(), 0u) << "the example gives no warning";

    gamedata::LevelFileDesc level =
        tiled::ReadLevelFile(tiled::ReadBytes("data/example.lvl"), "example.lvl");
    ASSERT_EQ(level.layers.size(), 3u);
    gamedata::SpriteDesc watch = pimbreltest::Sprite("watch", "PlayerWatch.dll", {{0, 0}});
    watch.spriteParam3 = 400;
    level.layers[1].sprites.push_back(watch);
    Start(level, pimbreltest::Script({{"SPACE", 130, 131}, {"RIGHT", 255, 400}}).c_str());
    ASSERT_EQ(LevelEngine(), 1) << Message();

    const auto& log = WatchLog();
    ASSERT_EQ(log.size(), 400u);
    int ground = log[200].player.y;
    EXPECT_EQ(log[250].player.y, ground) << "stands on the grass";
    EXPECT_GE(ground, 336);
    int highest = ground;
    for (const WatchFrame& f : log)
        highest = std::min(highest, f.player.y);
    EXPECT_LE(highest, ground - 32) << "up the slope onto the plateau";
    EXPECT_GT(log.back().player.x, 400);
    EXPECT_GE(log.back().score, 200) << "the gems on the way";
}

} // namespace
} // namespace tiledtest
