// Whole runs of the program that reach the high-score screen after the last
// page: it opens over its data, writes the default table and closes on
// Escape; a missing font stops the game with the report.
#include "highscores/HighScoresFixture.h"
#include "support/RunProgram.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class HighScoresRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories("data");
        fs::copy_file(TEST_MENU_PATH, "data/MainMenu.so");
        fs::copy_file(TEST_MENU_PATH, "data/PageMenu.so");
        gamedata::GameFileDesc game{.gameName = "test", .pages = {"main", "first", "over"}};
        ASSERT_TRUE(gamedata::WriteFile("TolwickDunmarrow.gam", gamedata::BuildGameFile(game)));
        for (const char* name : {"main", "first"}) {
            gamedata::LevelFileDesc d;
            d.menuMarker = 1;
            d.menuModuleName = std::string(name) == "main" ? "MainMenu.dll" : "PageMenu.dll";
            d.menuPages.push_back({.name = name, .name2 = "missing.bmp"});
            ASSERT_TRUE(gamedata::WriteFile("data/" + std::string(name) + ".lvl",
                                            gamedata::BuildLevelFile(d)));
        }
        WriteBytes("data/QEXAGS.012", hstest::FontFile(hstest::kDigitShape));
        WriteBytes("data/QEXAGS.013", hstest::FontFile(hstest::kDigitShape));
        WriteBytes("data/QEXAGS.014", hstest::FontFile(hstest::kLetterShape));
        WriteBytes("data/QEXAGS.015", hstest::FontFile(hstest::kEditShape));
        WriteBytes("data/QEXAGB.000", hstest::BackgroundFile());
        WriteBytes("data/QEXASW.000", hstest::MusicFile());
        // Escape tapped over and over: the screen is the only one reading.
        std::string script;
        for (int at = 2; at < 60; at += 4)
            script +=
                std::to_string(at) + " down ESCAPE\n" + std::to_string(at + 2) + " up ESCAPE\n";
        WriteBytes("input.txt", std::vector<uint8_t>(script.begin(), script.end()));
    }

    RunResult Run() {
        return RunProgram(VRASK_PROGRAM, dir_.Path().string(),
                          {{"VRASK_BACKEND", "headless"},
                           {"VRASK_CLOCK", "virtual"},
                           {"VRASK_AUDIO", "null"},
                           {"VRASK_INPUT", "input.txt"},
                           {"VRASK_RECORD", "record.txt"}});
    }

    ScratchDir dir_;
};

TEST_F(HighScoresRunTest, TheEndOfTheGameShowsTheTableAndWritesTheDefaults) {
    RunResult run = Run();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText.find("[msgbox]"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(fs::exists("error.txt"));
    std::vector<uint8_t> table = ReadBytes("data/QEXALL.000");
    ASSERT_EQ(table.size(), 288u);
    EXPECT_EQ(table[0] | table[1] << 8 | table[2] << 16, 250000);
    // The screen read the keyboard until the first Escape.
    std::string record = ReadText("record.txt");
    EXPECT_NE(record.find("down ESCAPE"), std::string::npos) << record;
    // The main menu after the last page, then out.
    EXPECT_NE(run.stderrText.find("[menu] engine context=1"), std::string::npos) << run.stderrText;
}

TEST_F(HighScoresRunTest, AMissingFontStopsTheGameWithTheReport) {
    fs::remove("data/QEXAGS.014");
    RunResult run = Run();
    // The fatal way out is clean on the sanitizer build too.
    EXPECT_EQ(run.stderrText.find("Sanitizer"), std::string::npos) << run.stderrText;
    std::string report = ReadText("error.txt");
    EXPECT_NE(report.find("ERROR - Unable to open QEXAGS.014"), std::string::npos) << report;
    EXPECT_NE(report.find("LOCATION - LoadSprite() of Layers"), std::string::npos) << report;
    EXPECT_FALSE(fs::exists("data/QEXALL.000")); // the table was never reached
}

} // namespace
