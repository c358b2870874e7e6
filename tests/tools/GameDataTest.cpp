#include "tools/GameData.h"

#include "common/ByteIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace gamedata;

namespace {

ByteReader At(const std::vector<uint8_t>& file, size_t offset) {
    return ByteReader(file.data() + offset, file.size() - offset);
}
uint16_t U16At(const std::vector<uint8_t>& file, size_t offset) {
    return At(file, offset).U16();
}
int16_t S16At(const std::vector<uint8_t>& file, size_t offset) {
    return At(file, offset).S16();
}
uint32_t U32At(const std::vector<uint8_t>& file, size_t offset) {
    return At(file, offset).U32();
}

// The raw 40-byte field, so padding and missing terminators are visible.
std::string FieldAt(const std::vector<uint8_t>& file, size_t offset, size_t size = kNameSize) {
    return std::string(file.begin() + offset, file.begin() + offset + size);
}
std::string Padded(const std::string& text, size_t size = kNameSize) {
    return text + std::string(size - text.size(), '\0');
}

TEST(GameFileTest, NamesSitAtFixedOffsets) {
    auto file = BuildGameFile({.gameName = "Quest", .pages = {"menu", "intro", "level1"}});
    ASSERT_EQ(file.size(), 46u + 40u * 3);
    EXPECT_EQ(FieldAt(file, 0, 4), "VRSK");
    EXPECT_EQ(FieldAt(file, 4), Padded("Quest"));
    EXPECT_EQ(U16At(file, 44), 3);
    EXPECT_EQ(FieldAt(file, 46), Padded("menu"));
    EXPECT_EQ(FieldAt(file, 86), Padded("intro"));
    EXPECT_EQ(FieldAt(file, 126), Padded("level1"));
}

TEST(GameFileTest, OverridesAndOddFieldsAreStoredAsGiven) {
    auto file =
        BuildGameFile({.identifier = "AB", .pages = {std::string(45, 'x')}, .pageCount = 7});
    ASSERT_EQ(file.size(), 86u);
    EXPECT_EQ(FieldAt(file, 0, 4), Padded("AB", 4));
    EXPECT_EQ(U16At(file, 44), 7);
    EXPECT_EQ(FieldAt(file, 46), std::string(40, 'x')); // no terminator

    auto empty = BuildGameFile({.pageCount = 2});
    EXPECT_EQ(empty.size(), 46u);
    EXPECT_EQ(U16At(empty, 44), 2);
}

TEST(LevelFileTest, CutsceneHeaderIsExactly162Bytes) {
    auto file = BuildLevelFile({.screenWidth = 800,
                                .screenHeight = 600,
                                .colourDepth = 24,
                                .unused1 = 0x1111,
                                .unused2 = 0x2222,
                                .unused3 = 0x33333333,
                                .cutsceneMarker = 1,
                                .movieFlag = 5,
                                .movieName = "intro.mpg",
                                .menuMarker = 1,
                                .menuModuleName = "menu.dll",
                                .useCdAudio = 1,
                                .cdTrack = 9,
                                .musicWave = "theme.wav"});
    ASSERT_EQ(file.size(), kLevelHeaderSize);
    EXPECT_EQ(U32At(file, 0), 800u);
    EXPECT_EQ(U32At(file, 4), 600u);
    EXPECT_EQ(U32At(file, 8), 24u);
    EXPECT_EQ(U16At(file, 12), 0);
    EXPECT_EQ(U16At(file, 14), 0x1111);
    EXPECT_EQ(U16At(file, 16), 0x2222);
    EXPECT_EQ(U32At(file, 18), 0x33333333u);
    EXPECT_EQ(U32At(file, 22), 1u);
    EXPECT_EQ(U32At(file, 26), 5u);
    EXPECT_EQ(FieldAt(file, 30), Padded("intro.mpg"));
    EXPECT_EQ(U32At(file, 70), 1u);
    EXPECT_EQ(FieldAt(file, 74), Padded("menu.dll"));
    EXPECT_EQ(U16At(file, 114), 0);
    EXPECT_EQ(U32At(file, 116), 1u);
    EXPECT_EQ(U16At(file, 120), 9);
    EXPECT_EQ(FieldAt(file, 122), Padded("theme.wav"));
}

TEST(LevelFileTest, LayerSectionsFollowOneAnotherAtTheirOffsets) {
    LayerDesc layer{.name = "ground",
                    .stepX = 2,
                    .stepY = 3,
                    .unused2 = 0xA0A0A0A0,
                    .unused3 = 0xB0B0B0B0,
                    .isMainLayer = 1,
                    .unused1 = 0xC0C0,
                    .hasMask = 1,
                    .opaque = 1,
                    .maskStride = -4,
                    .unused4 = 0x0404,
                    .unused5 = 0x0505,
                    .unused6 = 0x0606,
                    .columns = 3,
                    .rows = 2,
                    .tileWidth = 16,
                    .tileHeight = 8,
                    .tileMap = {0x2001, 0x0002}, // the rest is padded with zeros
                    .maskData = {0x00020001, 0, 0, 0, 0, 0x00600007},
                    .tileSets = {{.fileName = "tiles.bmp", .slot = 1}},
                    .sprites = {{.name = "hero",
                                 .sheetFile = "hero.bmp",
                                 .brainFile = "hero.dll",
                                 .spriteParam5 = 0x55,
                                 .spriteParam9 = 0x99,
                                 .spriteParam7 = 0x77,
                                 .isPlatform = 1,
                                 .isPlayer = 1,
                                 .spriteParam1 = 0x11,
                                 .spriteParam2 = 0x12,
                                 .spriteParam3 = 0x13,
                                 .points = -250,
                                 .spriteParam4 = -2,
                                 .spriteParam6 = 0x66,
                                 .spriteParam10 = 0x1010,
                                 .spriteParam8 = 0x88,
                                 .spriteParam11 = 0x1111,
                                 .spriteParam16 = 0x1616,
                                 .instances = {{.frame = 4, .locations = {{10, 20}, {30, 40}}}},
                                 .sequences = {{"walk", "walk2", 1, 2, 3, 4}},
                                 .sounds = {{"step", "step.wav", {5, 6, 7}}}}},
                    .layerSounds = {{.name = "river",
                                     .waveFile = "river.wav",
                                     .points = {{100, 200}},
                                     .columns = {1, 2},
                                     .rows = {3}}}};
    auto file = BuildLevelFile({.layers = {layer}});

    const size_t L = kLevelHeaderSize;
    EXPECT_EQ(U16At(file, 12), 1);
    EXPECT_EQ(FieldAt(file, L), Padded("ground"));
    EXPECT_EQ(U32At(file, L + 40), 2u);
    EXPECT_EQ(U32At(file, L + 44), 3u);
    EXPECT_EQ(U32At(file, L + 48), 0xA0A0A0A0u);
    EXPECT_EQ(U32At(file, L + 52), 0xB0B0B0B0u);
    EXPECT_EQ(U32At(file, L + 56), 1u);
    EXPECT_EQ(U16At(file, L + 60), 0xC0C0);
    EXPECT_EQ(U32At(file, L + 62), 1u);
    EXPECT_EQ(U32At(file, L + 66), 1u);
    EXPECT_EQ(S16At(file, L + 70), -4);
    EXPECT_EQ(U16At(file, L + 72), 0x0404);
    EXPECT_EQ(U16At(file, L + 74), 0x0505);
    EXPECT_EQ(U16At(file, L + 76), 0x0606);
    EXPECT_EQ(U16At(file, L + 78), 1);
    EXPECT_EQ(U32At(file, L + 80), 3u);
    EXPECT_EQ(U32At(file, L + 84), 2u);
    EXPECT_EQ(U32At(file, L + 88), 16u);
    EXPECT_EQ(U32At(file, L + 92), 8u);
    EXPECT_EQ(U16At(file, L + 96), 1);
    EXPECT_EQ(U16At(file, L + 98), 1);

    const size_t map = L + 100;
    EXPECT_EQ(U16At(file, map), 0x2001);
    EXPECT_EQ(U16At(file, map + 2), 0x0002);
    for (size_t i = 2; i < 6; ++i)
        EXPECT_EQ(U16At(file, map + 2 * i), 0) << "cell " << i;

    const size_t mask = map + 2 * 6;
    EXPECT_EQ(U32At(file, mask), 0x00020001u);
    EXPECT_EQ(U32At(file, mask + 4 * 5), 0x00600007u);

    const size_t tileSet = mask + 4 * 6;
    EXPECT_EQ(FieldAt(file, tileSet), Padded("tiles.bmp"));
    EXPECT_EQ(S16At(file, tileSet + 40), 1);

    const size_t S = tileSet + kTileSetEntrySize;
    EXPECT_EQ(FieldAt(file, S), Padded("hero"));
    EXPECT_EQ(FieldAt(file, S + 40), Padded("hero.bmp"));
    EXPECT_EQ(FieldAt(file, S + 80), Padded("hero.dll"));
    EXPECT_EQ(U16At(file, S + 120), 1);
    EXPECT_EQ(U16At(file, S + 122), 1);
    EXPECT_EQ(U16At(file, S + 124), 1);
    EXPECT_EQ(U32At(file, S + 126), 0x55u);
    EXPECT_EQ(U32At(file, S + 130), 0x99u);
    EXPECT_EQ(U32At(file, S + 134), 0x77u);
    EXPECT_EQ(U32At(file, S + 138), 1u);
    EXPECT_EQ(U32At(file, S + 142), 1u);
    EXPECT_EQ(U16At(file, S + 146), 0x11);
    EXPECT_EQ(U16At(file, S + 148), 0x12);
    EXPECT_EQ(U16At(file, S + 150), 0x13);
    EXPECT_EQ(S16At(file, S + 152), -250);
    EXPECT_EQ(S16At(file, S + 154), -2);
    EXPECT_EQ(U16At(file, S + 156), 0x66);
    EXPECT_EQ(U16At(file, S + 158), 0x1010);
    EXPECT_EQ(U16At(file, S + 160), 0x88);
    EXPECT_EQ(U16At(file, S + 162), 0x1111);
    EXPECT_EQ(U16At(file, S + 172), 0x1616);

    const size_t instance = S + kSpriteBlockSize;
    EXPECT_EQ(U16At(file, instance), 2);
    EXPECT_EQ(U32At(file, instance + 2), 4u);
    EXPECT_EQ(U32At(file, instance + 6), 10u);
    EXPECT_EQ(U32At(file, instance + 10), 20u);
    EXPECT_EQ(U32At(file, instance + 14), 30u);
    EXPECT_EQ(U32At(file, instance + 18), 40u);

    const size_t sequence = instance + 22;
    EXPECT_EQ(FieldAt(file, sequence), Padded("walk"));
    EXPECT_EQ(FieldAt(file, sequence + 40), Padded("walk2"));
    EXPECT_EQ(U16At(file, sequence + 80), 1);
    EXPECT_EQ(U16At(file, sequence + 82), 2);
    EXPECT_EQ(U32At(file, sequence + 84), 3u);
    EXPECT_EQ(U32At(file, sequence + 88), 4u);

    const size_t sound = sequence + kSequenceBlockSize;
    EXPECT_EQ(FieldAt(file, sound + 40), Padded("step.wav"));
    EXPECT_EQ(U16At(file, sound + 80), 3);
    EXPECT_EQ(U16At(file, sound + 82), 5);
    EXPECT_EQ(U16At(file, sound + 86), 7);

    const size_t layerSound = sound + 88;
    EXPECT_EQ(FieldAt(file, layerSound), Padded("river"));
    EXPECT_EQ(FieldAt(file, layerSound + 40), Padded("river.wav"));
    EXPECT_EQ(U16At(file, layerSound + 80), 1);
    EXPECT_EQ(U16At(file, layerSound + 82), 2);
    EXPECT_EQ(U16At(file, layerSound + 84), 1);
    EXPECT_EQ(U16At(file, layerSound + 86), 100);
    EXPECT_EQ(U16At(file, layerSound + 88), 200);
    EXPECT_EQ(U16At(file, layerSound + 90), 1);
    EXPECT_EQ(U16At(file, layerSound + 92), 2);
    EXPECT_EQ(U16At(file, layerSound + 94), 3);
    EXPECT_EQ(file.size(), layerSound + 96);
}

TEST(LevelFileTest, MaskSectionOnlyWhenMarkerIsOne) {
    for (uint32_t marker : {0u, 2u}) {
        LayerDesc layer{.hasMask = marker,
                        .columns = 2,
                        .rows = 1,
                        .tileMap = {1, 2, 3, 4}, // cut to two cells
                        .maskData = {9, 9},
                        .tileSets = {{.fileName = "t.bmp", .slot = 3}}};
        auto file = BuildLevelFile({.layers = {layer}});
        const size_t map = kLevelHeaderSize + kLayerBlockSize;
        ASSERT_EQ(file.size(), map + 4 + kTileSetEntrySize) << "marker " << marker;
        EXPECT_EQ(U32At(file, kLevelHeaderSize + 62), marker);
        EXPECT_EQ(U16At(file, map + 2), 2);
        EXPECT_EQ(FieldAt(file, map + 4), Padded("t.bmp"));
    }
}

TEST(LevelFileTest, CountOverridesAreWrittenAsGiven) {
    LayerDesc layer{.tileSetCount = 16,
                    .columns = 100000,
                    .rows = 100000,
                    .spriteCount = 2,
                    .layerSoundCount = 0xFFFF,
                    .storedCells = 0,
                    .sprites = {{.instanceCount = 9,
                                 .sequenceCount = 8,
                                 .soundCount = 7,
                                 .instances = {{.frame = 1, .locationCount = 0}},
                                 .sounds = {{.frames = {1}, .frameCount = 40}}}},
                    .layerSounds = {{.pointCount = 1, .columnCount = 2, .rowCount = 3}}};
    auto file = BuildLevelFile({.layerCount = 3, .menuPageCount = 4, .layers = {layer}});
    const size_t L = kLevelHeaderSize;
    EXPECT_EQ(U16At(file, 12), 3);
    EXPECT_EQ(U16At(file, 114), 4);
    EXPECT_EQ(U16At(file, L + 78), 16);
    EXPECT_EQ(U32At(file, L + 80), 100000u);
    EXPECT_EQ(U16At(file, L + 96), 2);
    EXPECT_EQ(U16At(file, L + 98), 0xFFFF);

    const size_t S = L + kLayerBlockSize; // no cells stored
    EXPECT_EQ(U16At(file, S + 120), 9);
    EXPECT_EQ(U16At(file, S + 122), 8);
    EXPECT_EQ(U16At(file, S + 124), 7);
    const size_t instance = S + kSpriteBlockSize;
    EXPECT_EQ(U16At(file, instance), 0);
    EXPECT_EQ(U32At(file, instance + 2), 1u);
    const size_t sound = instance + 6;
    EXPECT_EQ(U16At(file, sound + 80), 40);
    EXPECT_EQ(U16At(file, sound + 82), 1);
    const size_t layerSound = sound + 84;
    EXPECT_EQ(U16At(file, layerSound + 80), 1);
    EXPECT_EQ(U16At(file, layerSound + 82), 2);
    EXPECT_EQ(U16At(file, layerSound + 84), 3);
    EXPECT_EQ(file.size(), layerSound + 86);
}

TEST(LevelFileTest, MenuPagesFollowTheHeader) {
    auto file = BuildLevelFile(
        {.menuMarker = 1,
         .menuPages = {{.name = "main", .name2 = "main.bmp", .sprites = {{.name = "cursor"}}},
                       {.name = "options"}}});
    const size_t page = kLevelHeaderSize;
    EXPECT_EQ(U16At(file, 114), 2);
    EXPECT_EQ(FieldAt(file, page), Padded("main"));
    EXPECT_EQ(FieldAt(file, page + 40), Padded("main.bmp"));
    EXPECT_EQ(U16At(file, page + 80), 1);
    EXPECT_EQ(FieldAt(file, page + 82), Padded("cursor"));
    const size_t second = page + 82 + kSpriteBlockSize;
    EXPECT_EQ(FieldAt(file, second), Padded("options"));
    EXPECT_EQ(file.size(), second + 82);
}

TEST(WriteFileTest, CreatesParentDirectories) {
    auto root = std::filesystem::path(testing::TempDir()) / "gamedata_write";
    std::filesystem::remove_all(root);
    auto path = root / "data" / "sub" / "page.lvl";
    std::vector<uint8_t> bytes = {1, 0, 255, 7};
    ASSERT_TRUE(WriteFile(path.string(), bytes));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(back, bytes);
    std::filesystem::remove_all(root);
}

} // namespace
