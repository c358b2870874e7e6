// Maps imported into levels that the game's own loader reads and plays, and
// the problems the importer reports instead of writing a level.
#include "level/LevelFixture.h"
#include "tiled/MapMaker.h"
#include "tools/tiled/Import.h"

#include <algorithm>

namespace tiledtest {
namespace {

using leveltest::Grab;
using leveltest::Picture;

uint32_t To565(uint32_t rgb) {
    return ((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31);
}

// Imports the map text; writes the level's files under data/ when it has no
// errors. Returns the report's lines, errors first.
std::vector<std::string> Import(const std::string& text, tiled::Imported* out = nullptr) {
    WriteText("map.tmx", text);
    tiled::Report report;
    tiled::Imported imported;
    try {
        imported = tiled::ImportMap(tiled::ReadMap("map.tmx"), report);
        if (report.errors.empty())
            tiled::CheckPlayable(imported.level, "map.tmx", report);
    } catch (const tiled::Failure& f) {
        report.errors.push_back(f.what());
    }
    if (report.errors.empty()) {
        for (const auto& [name, bytes] : imported.files)
            EXPECT_TRUE(gamedata::WriteFile("data/" + name, bytes));
    }
    if (out)
        *out = std::move(imported);
    std::vector<std::string> lines = report.errors;
    lines.insert(lines.end(), report.warnings.begin(), report.warnings.end());
    return lines;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

bool Mentions(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

class TiledImportTest : public leveltest::LevelTest {};

TEST_F(TiledImportTest, ExampleMapLoadsWithItsRecordsAndPlays) {
    tiled::Imported imported;
    std::vector<std::string> lines = Import(WriteExampleMap(), &imported);
    ASSERT_FALSE(Mentions(lines, "error")) << lines[0];
    ASSERT_EQ(imported.levelName, "level");
    Start(imported.level);

    EXPECT_EQ(gPage.screenWidth, 56u);
    EXPECT_STREQ(gPage.musicWave, "music.wav");
    Layer* back = LayerAt(0);
    Layer* main = LayerAt(1);
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(back->name, "Back");
    EXPECT_EQ(back->stepX, 2u); // parallax 0.5 of the main layer's 4
    EXPECT_EQ(back->opaque, 1u);
    EXPECT_EQ(back->tileMap.ptr[31], 0x2001);
    EXPECT_EQ(back->maskData.ptr, nullptr);
    EXPECT_EQ(main->isMainLayer, 1u);
    EXPECT_EQ(main->stepX, 4u);
    EXPECT_EQ(main->opaque, 0u);
    EXPECT_EQ(main->tileMap.ptr[1 * 8 + 3], 0x2002);
    EXPECT_EQ(main->tileMap.ptr[2 * 8], 0x2001);
    EXPECT_EQ(main->tileMap.ptr[0], 0);
    EXPECT_STREQ(main->tileSets[1]->fileName, "main.til");

    // Collision: air by default, ground by tile property, the grass cell by
    // the collision and mask layers.
    EXPECT_EQ(main->maskData.ptr[0], 15u << 17);
    EXPECT_EQ(main->maskData.ptr[1 * 8 + 3], 2u | 4u << 17 | 2u << 21);
    EXPECT_EQ(main->maskData.ptr[2 * 8 + 5], 1u | 1u << 17);
    EXPECT_EQ(main->maskData.ptr[3 * 8 + 5], 1u << 17);
    ASSERT_EQ(main->maskBytes, 4u * 16);
    EXPECT_EQ(main->maskStride, 2);
    const uint8_t* bits = main->maskBitmap.ptr;
    EXPECT_EQ(bits[0] << 24 | bits[1] << 16 | bits[2] << 8 | bits[3], 0xFFFF0000u); // row 0
    EXPECT_EQ(bits[9 * 4 + 2] << 8 | bits[9 * 4 + 3], 0xFFFF);                      // row 9

    EXPECT_EQ(main->layerSoundCount, 1u);
    EXPECT_EQ(main->layerSounds.ptr->points.ptr[3], 4u);

    ::Sprite* coin = back->sprites.ptr;
    ASSERT_NE(coin, nullptr);
    EXPECT_STREQ(coin->name, "coin");
    EXPECT_EQ(coin->points, -50);
    EXPECT_EQ(coin->spriteParam9, 70000u);
    EXPECT_EQ(coin->instanceCount, 2u);
    EXPECT_EQ(coin->instances.ptr->x, 30);
    EXPECT_EQ(coin->instances.ptr->y, 4);
    SpriteInstance* second = coin->instances.ptr->next.ptr;
    EXPECT_EQ(second->locationCount, 2u);
    EXPECT_TRUE((second->x == 100 && second->y == 42) || (second->x == 110 && second->y == 52));
    EXPECT_STREQ(coin->sequences.ptr->name2, "fast");
    EXPECT_EQ(coin->sequences.ptr->value4, 4u);
    EXPECT_EQ(coin->sounds.ptr->frames.ptr[1], 3u);

    ASSERT_NE(gPlayerSprite, nullptr);
    EXPECT_EQ(gPlayerSprite->frameCount, 2u);
    EXPECT_EQ(gPlayerSprite->framesPerRow, 2u);
    const FrameRecord& box = gPlayerSprite->frames.ptr[1];
    EXPECT_EQ(box.boxCount, 1u);
    EXPECT_EQ(box.boxes[0].left, 1);
    EXPECT_EQ(box.boxes[0].bottom, 8);
    EXPECT_EQ(box.boxes[0].extra, -7);
    EXPECT_EQ(gPlayerSprite->instances.ptr->frame, 1u);

    // Two frames of play: the sky behind everything, the ground and grass,
    // the hero at the top-left with its see-through corner, the coin.
    ASSERT_EQ(LevelEngine(), 1) << Message();
    Picture screen = Grab(gDisplay.primary);
    EXPECT_EQ(screen.At(0, 0), To565(kSky));
    EXPECT_EQ(screen.At(3, 3), To565(kHero));
    EXPECT_EQ(screen.At(20, 10), To565(kSky));
    EXPECT_EQ(screen.At(50, 20), To565(kGrass));
    EXPECT_EQ(screen.At(10, 35), To565(kGround));
    EXPECT_EQ(screen.At(31, 5), To565(kCoin));
}

TEST_F(TiledImportTest, MalformedMapsFailWithOneLineAndWriteNothing) {
    const std::string good = WriteExampleMap();
    struct Case {
        std::string text, expect;
    } cases[] = {
        {good.substr(0, 300), "Unable to parse XML"},
        {Replace(good, "compression=\"zlib\"", "compression=\"zstd\""), "zstd"},
        {Replace(good, "compression=\"gzip\">", "compression=\"gzip\">AAAA"), "decompress"},
        {Replace(good, "0,0,0,2,0", "0,0,0,99,0"), "tile 99 is in no tile set"},
        {Replace(good, "0,0,0,2,0", "0,0,0,2"), "the layer data holds 31 cells"},
        {Replace(good, "source=\"coin.png\"", "source=\"lost.png\""), "Unable to open"},
        {Replace(good, "source=\"classes.tsx\"", "source=\"lost.tsx\""), "Unable to open"},
        {Replace(good, "name=\"Back\"", "name=\"" + std::string(40, 'b') + "\""),
         "longer than 39 bytes"},
        {Replace(good, "0,0,0,0,0,0,0,0,\n0", "3,4,6,0,0,0,0,0,\n0"), "uses 4 tile sets"},
        {Replace(good, "infinite=\"0\"", "infinite=\"1\""), "infinite"},
        {Replace(good, "value=\"-50\"", "value=\"40000\""), "points 40000 is outside"},
        {Replace(good, "name=\"class\" type=\"int\" value=\"1\"", "name=\"class\" value=\"16\""),
         "class 16 is outside"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all("data");
        std::vector<std::string> lines = Import(c.text);
        ASSERT_FALSE(lines.empty()) << c.expect;
        EXPECT_NE(lines[0].find(c.expect), std::string::npos) << lines[0];
        EXPECT_FALSE(std::filesystem::exists("data")) << c.expect;
    }
}

TEST_F(TiledImportTest, ChecksNameWhatThePlayerBrainWillMiss) {
    // The example lacks the player's partners; with a known name,
    // two players, too many teleporters and an open bottom row, each
    // problem is its own line.
    std::string map = Replace(WriteExampleMap(), "name=\"Main\"", "name=\"UCB Main\"");
    map = Replace(map, "1,1,1,1,1,1,1,1\n", "1,1,1,1,1,1,2,2\n");
    map = Replace(map, "</objectgroup>\n</map>",
                  R"(<object id="9" name="teleport" gid="6" x="0" y="8"/>
  <object id="10" name="teleport" gid="6" x="0" y="8"/>
  <object id="11" name="teleport" gid="6" x="0" y="8"/>
  <object id="12" name="teleport" gid="6" x="0" y="8"/>
  <object id="13" name="Teleport" gid="4" x="0" y="8"/>
 </objectgroup>
</map>)");
    std::vector<std::string> lines = Import(map);
    ASSERT_FALSE(Mentions(lines, "error:")) << lines[0];
    for (const char* expect :
         {"no \"ora\" sprite", "no layer after the main layer", "no \"health meter\"",
          "no \"lives\"", "no \"digits\"", "no \"tool icon\"", "2 player sprites",
          "teleporter 4 has no destination (UCB Main has 3)",
          "teleporter 1 leads to (2388, 788), outside the map (128 x 64 pixels)",
          "under column 6, 7"})
        EXPECT_TRUE(Mentions(lines, expect)) << expect;
    EXPECT_FALSE(Mentions(lines, "teleporter 3 has no")) << "three destinations are known";
    for (const std::string& line : lines)
        EXPECT_EQ(line.rfind("warning: map.tmx", 0), 0u) << line;
}

} // namespace
} // namespace tiledtest
