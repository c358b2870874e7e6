// Golden replays of the demo game: each level played from start to end by
// its recorded input (demo/replays/<level>.txt) in a game of that level
// alone, and the whole game by one script, on headless with the virtual
// clock. What a run leaves is compared with demo/replays/<name>.expect: the
// score the high-score table took (the table starts empty, so any score
// enters it) and the hashes of the screenshots the script takes with the
// game's own key, which show the status display (health, lives, tools,
// score). VRASK_UPDATE_REPLAYS=1 rewrites the .expect files instead; see
// HACKING.md.
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kReplays = fs::path(VRASK_DEMO_DIR) / "replays";

std::string Hash(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(h));
    return text;
}

uint32_t TopScore() {
    std::vector<uint8_t> t = ReadBytes("data/QEXALL.000");
    return t.size() < 4 ? 0 : t[0] | t[1] << 8 | t[2] << 16 | uint32_t(t[3]) << 24;
}

// Plays <name>.txt over the demo game in a folder <name>, its page list
// replaced by `pages` when given, and returns what the run left in the form
// of an .expect file.
std::string Play(const std::string& name, const std::vector<std::string>& pages) {
    fs::create_directory(name);
    fs::current_path(name);
    fs::copy(fs::path(VRASK_GAME_DIR), ".", fs::copy_options::recursive);
    // What someone's play of the build's game left there.
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".bmp" || entry.path().filename() == "error.txt")
            fs::remove(entry.path());
    fs::remove("data/prefs.cfg");
    if (!pages.empty())
        gamedata::WriteFile("TolwickDunmarrow.gam",
                            gamedata::BuildGameFile({.gameName = "replay", .pages = pages}));
    gamedata::WriteFile("data/QEXALL.000", std::vector<uint8_t>(288, 0));
    fs::copy_file(kReplays / (name + ".txt"), "input.txt");
    RunResult run = RunProgram(fs::absolute("Vrask").string(), fs::current_path().string(),
                               {{"VRASK_BACKEND", "headless"},
                                {"VRASK_CLOCK", "virtual"},
                                {"VRASK_AUDIO", "null"},
                                {"VRASK_INPUT", "input.txt"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText.find("[msgbox]"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(fs::exists("error.txt")) << ReadText("error.txt");
    std::ostringstream out;
    out << "score " << TopScore() << "\n";
    for (int n = 0;; ++n) {
        char shot[32];
        std::snprintf(shot, sizeof(shot), "Tolwick%03d.bmp", n);
        if (!fs::exists(shot))
            break;
        out << "screenshot " << shot << " " << Hash(ReadBytes(shot)) << "\n";
    }
    fs::current_path("..");
    return out.str();
}

void Check(const std::string& name, const std::string& got) {
    fs::path expect = kReplays / (name + ".expect");
    const char* update = std::getenv("VRASK_UPDATE_REPLAYS");
    if (update && std::string(update) == "1") {
        WriteBytes(expect.string(), std::vector<uint8_t>(got.begin(), got.end()));
        return;
    }
    EXPECT_EQ(got, ReadText(expect.string()))
        << "the replay of " << name << " no longer plays as recorded; if the change is meant, "
        << "rerun with VRASK_UPDATE_REPLAYS=1 and look at the screenshots (HACKING.md)";
}

TEST(DemoReplayTest, EachLevelPlaysFromStartToEndAsRecorded) {
    ScratchDir dir;
    for (const char* level : {"meadow", "dusk"}) {
        SCOPED_TRACE(level);
        std::string got = Play(level, {"menu", level, "gameover"});
        // Completing the level put its score into the empty table.
        EXPECT_NE(got.rfind("score 0\n", 0), 0u) << got;
        Check(level, got);
    }
}

TEST(DemoReplayTest, TheWholeGamePlaysThroughBothLevelsToTheEndMenu) {
    ScratchDir dir;
    std::string got = Play("game", {});
    EXPECT_NE(got.rfind("score 0\n", 0), 0u) << got;
    Check("game", got);
}

} // namespace
