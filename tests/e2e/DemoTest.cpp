// The small demo game the build assembles, played from a script on the
// headless backend: through the story to the main menu, once more, and out.
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(DemoTest, TheStoryPlaysTwiceAndEscapeQuitsCleanly) {
    ScratchDir dir;
    fs::copy_file(fs::path(VRASK_GAME_DIR) / "TolwickDunmarrow.gam", "TolwickDunmarrow.gam");
    fs::create_directories("data");
    for (const auto& entry : fs::directory_iterator(fs::path(VRASK_GAME_DIR) / "data"))
        if (entry.path().filename() != "prefs.cfg")
            fs::copy_file(entry.path(), fs::path("data") / entry.path().filename());
    // Each screen reads the keyboard once a frame: keys are held a few reads.
    WriteBytes("input.txt", [] {
        std::string s = "# story, story, main menu: again; story, story, main menu: quit\n";
        int at = 5;
        for (const char* key : {"RETURN", "RETURN", "RETURN", "RETURN", "RETURN", "ESCAPE"}) {
            s += std::to_string(at) + " down " + key + "\n";
            s += std::to_string(at + 3) + " up " + key + "\n";
            at += 10;
        }
        return std::vector<uint8_t>(s.begin(), s.end());
    }());
    RunResult run = RunProgram(fs::path(VRASK_GAME_DIR) / "Vrask", dir.Path().string(),
                               {{"VRASK_BACKEND", "headless"},
                                {"VRASK_CLOCK", "virtual"},
                                {"VRASK_AUDIO", "null"},
                                {"VRASK_INPUT", "input.txt"},
                                {"VRASK_RECORD", "record.txt"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText.find("[msgbox]"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(fs::exists("error.txt"));
    EXPECT_EQ(ReadBytes("data/prefs.cfg").size(), 144u);
    // The last key read was the Escape that ended the game.
    std::string record = ReadText("record.txt");
    EXPECT_NE(record.find("55 down ESCAPE"), std::string::npos) << record;
}

} // namespace
