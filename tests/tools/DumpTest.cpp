// The dump tool names each nested record by kind and index, and follows a file
// cut short up to where it ends, naming the record it ended in.
#include "support/ScratchDir.h"
#include "tools/GameData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace gamedata;

std::string Dump(const std::string& path) {
    std::string out;
    FILE* pipe = popen((std::string(VRASK_DUMP) + " " + path).c_str(), "r");
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0;)
        out.append(chunk, n);
    if (pipe)
        pclose(pipe);
    return out;
}

TEST(DumpTest, NestedRecordsAreNamedAndACutFileNamesTheRecordItEndsIn) {
    ScratchDir dir;
    SpriteDesc hero{.name = "hero", .spriteParam5 = 123456};
    hero.instances = {{.frame = 1, .locations = {{3, 4}}},
                      {.frame = 2, .locations = {{5, 6}, {7, 8}}}};
    LayerDesc layer{.name = "Main", .columns = 1, .rows = 1};
    layer.tileMap = {1};
    layer.sprites = {hero};
    LevelFileDesc level;
    level.layers = {layer};
    std::vector<uint8_t> bytes = BuildLevelFile(level);
    ASSERT_TRUE(WriteFile("whole.lvl", bytes));
    std::string out = Dump("whole.lvl");
    for (const char* expect :
         {"\n  sprite 0 at offset", "\n    instance 1 at offset", "\n      location 1       7, 8\n",
          "spriteParam5     123456 (0x0001e240)\n", "spriteParam1     0 (0x0000)\n"})
        EXPECT_NE(out.find(expect), std::string::npos) << expect << "\n" << out;
    EXPECT_EQ(out.find("location 2"), std::string::npos);

    // The last location loses its y.
    bytes.resize(bytes.size() - 4);
    ASSERT_TRUE(WriteFile("cut.lvl", bytes));
    out = Dump("cut.lvl");
    EXPECT_NE(out.find("inside layer 0, sprite 0, instance 1, location 1 (offset " +
                       std::to_string(bytes.size() - 4) + ", 8 bytes needed, 4 left)"),
              std::string::npos)
        << out;
}

} // namespace
