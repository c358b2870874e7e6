// A level made by the tools, exported to a map and imported back through the
// command line, gives the same level file and the same pictures; so does the
// map after the editor's own conversions, when the editor is installed.
#include "level/CraftedLevel.h"
#include "support/ScratchDir.h"
#include "tools/tiled/LevelReader.h"
#include "tools/tiled/TiledMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tiledtest {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const std::string& path) {
    try {
        return tiled::ReadBytes(path);
    } catch (const tiled::Failure&) {
        return {};
    }
}

int Shell(const std::string& command) {
    return std::system((command + " 2>>commands.log").c_str());
}

// Main: 5 x 4 cells with cells no tile can stand for, collision data with a
// mask tile past the mask picture and bits above the hazard class, a slot
// other than 1 to 3, a layer sound, odd fields. Sprites: the player with two
// candidate positions, a sprite without instances, one whose frame is past
// its sheet, sequences and sounds.
gamedata::LevelFileDesc ToolsLevel() {
    gamedata::SpriteDesc hero = leveltest::SpriteOf("Hero", "TestPlayer.dll", 4, 8);
    hero.isPlayer = 1;
    hero.instances[0].locations.push_back({20, 12});
    hero.spriteParam9 = 123456;
    hero.spriteParam4 = -3;
    hero.sequences = {{"walk", "left", 1, 2, 3, 4}};
    hero.sounds = {{"step", "step.wav", {4, 9}}};
    gamedata::LevelFileDesc d = leveltest::CraftedLevel(hero);
    d.useCdAudio = 1;
    d.cdTrack = 0;
    d.unused3 = 77;
    gamedata::LayerDesc& main = d.layers[1];
    main.tileSets.push_back({"bg.til", 5});
    main.tileMap[1] = 0x8001;
    main.tileMap[6] = 0x3FFF;
    main.tileMap[7] = 0x0002;
    main.hasMask = 1;
    main.maskStride = 2;
    main.unused5 = 9;
    main.maskData.assign(20, 15u << 17);
    main.maskData[3] = 1 | 1u << 17;
    main.maskData[4] = 2 | 4u << 17 | 3u << 21;
    main.maskData[5] = 7;            // a mask tile the picture lacks
    main.maskData[6] = 1u << 23 | 1; // bits the brains never read
    main.layerSounds = {{"wind", "wind.wav", {{1, 2}}, {3}, {4, 5}}};
    gamedata::SpriteDesc ghost = leveltest::SpriteOf("Ghost", "");
    ghost.instances.clear();
    gamedata::SpriteDesc far = leveltest::SpriteOf("Far", "TestBrain.dll", 30, 40);
    far.sheetFile = "S.SPR"; // names in level files ignore case
    far.instances[0].frame = 9;
    far.instances.push_back({.frame = 2, .locations = {{1, 1}}});
    main.sprites.push_back(ghost);
    main.sprites.push_back(far);
    return d;
}

void WriteToolsLevel() {
    ASSERT_TRUE(leveltest::WriteCraftedPictures());
    gamedata::BmpFileDesc mask{.width = 32, .height = 16, .bitCount = 1};
    mask.palette = {0x000000, 0xFFFFFF};
    mask.pixels = gamedata::DibRows(32, 16, 1, [](int x, int y) { return (x * 3 + y) % 5 == 0; });
    ASSERT_TRUE(gamedata::WriteFile("data/Main1.msk", gamedata::BuildBmpFile(mask)));
    ASSERT_TRUE(gamedata::WriteFile("data/level.lvl", gamedata::BuildLevelFile(ToolsLevel())));
}

// The pictures the level names, as the game would see them.
void ExpectSamePictures(const std::string& a, const std::string& b) {
    for (const char* name : {"main.til", "bg.til"}) {
        auto x = tiled::ReadTileSetFile(Bytes(a + name), name);
        auto y = tiled::ReadTileSetFile(Bytes(b + name), name);
        EXPECT_EQ(x.image.pixels, y.image.pixels) << name;
        EXPECT_EQ(x.header.tilesAcross, y.header.tilesAcross) << name;
    }
    auto x = tiled::ReadSheetFile(Bytes(a + "s.spr"), "s.spr");
    auto y = tiled::ReadSheetFile(Bytes(b + "s.spr"), "s.spr");
    EXPECT_EQ(x.image.pixels, y.image.pixels);
    ASSERT_EQ(x.header.frames.size(), y.header.frames.size());
    for (size_t i = 0; i < x.header.frames.size(); ++i)
        EXPECT_EQ(x.header.frames[i].boxes, y.header.frames[i].boxes);
    EXPECT_EQ(tiled::ReadMaskFile(Bytes(a + "Main1.msk"), "mask").bits,
              tiled::ReadMaskFile(Bytes(b + "Main1.msk"), "mask").bits);
}

class TiledRoundTripTest : public ::testing::Test {
  protected:
    ScratchDir dir_;
    const std::string tool_ = VRASK_TILED;
};

TEST_F(TiledRoundTripTest, ExportThenImportGivesTheSameLevel) {
    WriteToolsLevel();
    ASSERT_EQ(Shell(tool_ + " export data/level.lvl map"), 0);
    ASSERT_TRUE(fs::exists("map/level.tmx"));
    ASSERT_EQ(Shell(tool_ + " import map/level.tmx again"), 0);
    EXPECT_EQ(Bytes("again/data/level.lvl"), Bytes("data/level.lvl"));
    ExpectSamePictures("data/", "again/data/");

    // A map that cannot be written says so and leaves nothing behind.
    ASSERT_TRUE(gamedata::WriteFile("data/short.lvl", {1, 2, 3}));
    EXPECT_NE(Shell(tool_ + " export data/short.lvl short"), 0);
    EXPECT_FALSE(fs::exists("short/short.tmx"));
}

TEST_F(TiledRoundTripTest, TheEditorConvertsOurMapBothWaysAndWeReadItsOutput) {
    if (Shell("command -v tiled >/dev/null") != 0)
        GTEST_SKIP() << "the map editor (Debian package tiled) is not installed";
    WriteToolsLevel();
    ASSERT_EQ(Shell(tool_ + " export data/level.lvl map"), 0);
    // The editor resolves relative paths against the current folder: give it whole ones.
    std::string at = fs::current_path().string() + "/map/";
    std::string editor =
        "QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + fs::current_path().string() +
        " tiled --export-map ";
    ASSERT_EQ(Shell(editor + at + "level.tmx " + at + "level.tmj"), 0);
    ASSERT_EQ(Shell(editor + at + "level.tmj " + at + "back.tmx"), 0);
    for (const char* map : {"level.tmj", "back.tmx"}) {
        fs::remove_all("again");
        ASSERT_EQ(Shell(tool_ + " import map/" + map + " again"), 0) << map;
        EXPECT_EQ(Bytes("again/data/level.lvl"), Bytes("data/level.lvl")) << map;
        ExpectSamePictures("data/", "again/data/");
    }
}

} // namespace
} // namespace tiledtest
