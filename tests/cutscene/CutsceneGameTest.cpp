// Whole runs of the program over a game whose first page is a movie.
#include "cutscene/MovieMaker.h"
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class CutsceneGameTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!cutscenetest::HaveFfmpeg())
            GTEST_SKIP() << "the ffmpeg tool is not installed";
        fs::create_directories("data");
        fs::copy_file(TEST_MENU_PATH, "data/MainMenu.so");
        fs::copy_file(TEST_MENU_PATH, "data/PageMenu.so");
        gamedata::SpriteSheetFileDesc sheet;
        sheet.frameWidth = 10;
        sheet.frameHeight = 10;
        sheet.bitmap = {.width = 10,
                        .height = 10,
                        .bitCount = 24,
                        .pixels = gamedata::DibRows(10, 10, 24, [](int, int) { return 0u; })};
        sheet.frames.push_back({});
        ASSERT_TRUE(gamedata::WriteFile("data/QEXAGS.012", gamedata::BuildSpriteSheetFile(sheet)));
        gamedata::GameFileDesc game{.gameName = "test",
                                    .pages = {"main", "intro", "first", "third", "over"}};
        ASSERT_TRUE(gamedata::WriteFile("TolwickDunmarrow.gam", gamedata::BuildGameFile(game)));
        for (const char* name : {"main", "first"}) {
            gamedata::LevelFileDesc d;
            d.menuMarker = 1;
            d.menuModuleName = std::string(name) == "main" ? "MainMenu.dll" : "PageMenu.dll";
            d.menuPages.push_back({.name = "main", .name2 = "missing.bmp"});
            ASSERT_TRUE(gamedata::WriteFile("data/" + std::string(name) + ".lvl",
                                            gamedata::BuildLevelFile(d)));
        }
        // A 320 x 240 page: played doubled in a 640 x 480 mode, at 32 bits so
        // that the log tells its mode from the menus'.
        gamedata::LevelFileDesc intro;
        intro.cutsceneMarker = 1;
        intro.colourDepth = 32;
        intro.screenWidth = 320;
        intro.screenHeight = 240;
        intro.movieName = "intro.avi";
        ASSERT_TRUE(gamedata::WriteFile("data/intro.lvl", gamedata::BuildLevelFile(intro)));
    }

    RunResult Run() {
        return RunProgram(VRASK_PROGRAM, dir_.Path().string(),
                          {{"VRASK_BACKEND", "headless"},
                           {"VRASK_CLOCK", "virtual"},
                           {"VRASK_AUDIO", "null"},
                           {"VRASK_DEBUG_LOG", "debug.log"}});
    }

    ScratchDir dir_;
};

TEST_F(CutsceneGameTest, MoviePageIsPlayedAndTheGameGoesOn) {
    ASSERT_TRUE(cutscenetest::MakeMovie("data/INTRO.AVI", "green", 320, 240, 15));
    RunResult run = Run();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(fs::exists("error.txt")) << ReadText("error.txt");
    EXPECT_EQ(run.stderrText, "[menu] init MainMenu.dll 640x480 surfaces=no\n"
                              "[menu] init PageMenu.dll 640x480 surfaces=yes\n"
                              "[menu] engine context=0\n"
                              "[menu] cleanup\n"
                              "[menu] engine context=0\n"
                              "[menu] cleanup\n");
    EXPECT_NE(ReadText("debug.log").find("Display: mode 640x480x32"), std::string::npos);
}

TEST_F(CutsceneGameTest, MissingMovieStopsTheGameWithItsName) {
    RunResult run = Run();
    std::string report = ReadText("error.txt");
    EXPECT_NE(report.find("ERROR - Unable to open data\\intro.avi"), std::string::npos) << report;
    EXPECT_NE(report.find("LOCATION - CutsceneEngine() of CutsceneEngine"), std::string::npos)
        << report;
}

} // namespace
