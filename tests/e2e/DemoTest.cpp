// The demo game the build assembles, played from a script on the headless
// backend: the opening movie skipped, the story turned through, the main
// menu's settings changed and kept in the preferences, its high-score table
// looked at, the game started, and left from the menu inside the first level.
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

void CopyGame() {
    fs::copy_file(fs::path(VRASK_GAME_DIR) / "TolwickDunmarrow.gam", "TolwickDunmarrow.gam");
    fs::copy(fs::path(VRASK_GAME_DIR) / "data", "data", fs::copy_options::recursive);
    fs::remove("data/prefs.cfg");
    fs::remove("data/QEXALL.000");
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

TEST(DemoTest, TheMenuKeepsItsSettingsAndStartsTheGame) {
    ScratchDir dir;
    CopyGame();
    // Each screen reads the keyboard once a frame; a key is held 3 reads.
    std::string script = "# opening, story, main menu, the first level, its menu: quit\n";
    for (auto [at, key] : std::vector<std::pair<int, const char*>>{
             {10, "SPACE"},                                     // skip the opening
             {100, "RETURN"}, {110, "RETURN"}, {120, "SPACE"},  // three story pictures
             {140, "DOWN"},   {150, "RETURN"},                  // music off
             {160, "DOWN"},   {170, "LEFT"},                    // music volume 40
             {180, "DOWN"},   {190, "RIGHT"},                   // effects volume 80
             {200, "DOWN"},   {210, "RETURN"}, {220, "ESCAPE"}, // the table and back
             {230, "UP"},     {240, "UP"},     {250, "UP"},
             {260, "UP"},     {270, "RETURN"},    // start
             {300, "ESCAPE"},                     // the menu, in the first level
             {310, "UP"},     {320, "RETURN"}}) { // quit
        script += std::to_string(at) + " down " + key + "\n";
        script += std::to_string(at + 3) + " up " + key + "\n";
    }
    WriteBytes("input.txt", std::vector<uint8_t>(script.begin(), script.end()));
    RunResult run = RunProgram(fs::path(VRASK_GAME_DIR) / "Vrask", dir.Path().string(),
                               {{"VRASK_BACKEND", "headless"},
                                {"VRASK_CLOCK", "virtual"},
                                {"VRASK_AUDIO", "null"},
                                {"VRASK_INPUT", "input.txt"},
                                {"VRASK_RECORD", "record.txt"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText.find("[msgbox]"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(fs::exists("error.txt"));
    std::vector<uint8_t> prefs = ReadBytes("data/prefs.cfg");
    ASSERT_EQ(prefs.size(), 144u);
    EXPECT_EQ(Word(prefs, 0), 0u);  // music off
    EXPECT_EQ(Word(prefs, 8), 40u); // music volume
    EXPECT_EQ(Word(prefs, 12), 80u);
    // The game ended in the level's menu, on the last key of the script; a
    // menu that went astray would have quit earlier or waited for more.
    std::string record = ReadText("record.txt");
    EXPECT_NE(record.find("320 down RETURN"), std::string::npos) << record;
    EXPECT_EQ(record.find("323 up RETURN"), std::string::npos) << record;
}

} // namespace
