// The game runner's walk over the pages, through stand-in screens.
#include "engine/GameFixture.h"
#include "engine/MenuEngine.h"

namespace {

using Calls = std::vector<std::string>;

class RunnerTest : public GameTest {
  protected:
    // Loads the game file and the main menu as set-up would.
    void Start() {
        ASSERT_EQ(LoadGame(kGameFileName), 1);
        ASSERT_EQ(MainMenuInit(), 1);
        gFrameControl.lives = 2;
        fake::script.calls.clear();
    }

    static Sprite* Player() {
        for (Layer* l = gPage.layers.ptr; l; l = l->next.ptr)
            if (l->players.ptr)
                return l->players.ptr;
        return nullptr;
    }
};

TEST_F(RunnerTest, FourPagesPlayOneAndTwoThenCompleteTheGame) {
    WriteGame({"menu", "one", "two", "over"});
    WritePage("one", Cutscene("one.mpg"));
    WritePage("two", Cutscene("two.mpg"));
    Start();
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::script.calls,
              (Calls{"Cutscene(data\\one.mpg,0,640x480x16,1,57)", "SoundFXClearCache",
                     "Cutscene(data\\two.mpg,0,640x480x16,1,57)", "HighScores(0)", "MainMenu(1)",
                     "SoundFXClearCache"}));
    EXPECT_EQ(gMenuControl.openAtExit, 1u);
}

TEST_F(RunnerTest, MainMenuComesBeforePageThreeAndCanQuit) {
    WriteGame({"menu", "one", "two", "three", "over"});
    WritePage("one", Cutscene("one.mpg"));
    WritePage("two", Cutscene("two.mpg"));
    Start();
    fake::script.mainMenuEngine = [] {
        gMenuControl.quitRequest = 1;
        return 1;
    };
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::Calls("MainMenu"), (Calls{"MainMenu(0)"}));
    EXPECT_EQ(fake::Calls("GetDXSurfaces"), (Calls{"GetDXSurfaces(640,480,16)"}));
    EXPECT_EQ(fake::Calls("Cutscene").size(), 2u);
    EXPECT_EQ(gMenuControl.openAtExit, 0u);
}

TEST_F(RunnerTest, JumpToPageThreeSkipsTheMainMenu) {
    WriteGame({"menu", "one", "two", "three", "four", "over"});
    WritePage("one", Cutscene("one.mpg"));
    WritePage("three", Cutscene("three.mpg"));
    WritePage("four", Cutscene("four.mpg"));
    Start();
    fake::script.cutscene = [](const std::string& path, unsigned, unsigned, unsigned) {
        if (path == "data\\one.mpg") {
            gMenuControl.jumpRequest = 1;
            gMenuControl.targetPage = 3;
        }
        return 1;
    };
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::Calls("Cutscene"), (Calls{"Cutscene(data\\one.mpg,0,640x480x16,1,57)",
                                              "Cutscene(data\\three.mpg,0,640x480x16,1,57)",
                                              "Cutscene(data\\four.mpg,0,640x480x16,1,57)"}));
    EXPECT_EQ(fake::Calls("MainMenu"), (Calls{"MainMenu(1)"})); // only after the last page
}

TEST_F(RunnerTest, ImpossibleJumpPlaysTheSamePageAgainAndKeepsLives) {
    WriteGame({"menu", "one", "two", "over"});
    WritePage("one", Cutscene("one.mpg"));
    WritePage("two", Cutscene("two.mpg"));
    Start();
    gFrameControl.lives = 1;
    int played = 0;
    fake::script.cutscene = [&](const std::string& path, unsigned, unsigned, unsigned) {
        if (path == "data\\one.mpg" && ++played == 1) {
            gMenuControl.jumpRequest = 1;
            gMenuControl.targetPage = 4; // not below the page count
        }
        return 1;
    };
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(played, 2);
    EXPECT_EQ(gFrameControl.lives, 1u);
    EXPECT_EQ(gMenuControl.jumpRequest, 0u);
}

TEST_F(RunnerTest, SmallCutscenesPlayDoubledAndLoopFlagFollowsTheMovieFlag) {
    WriteGame({"menu", "small", "big", "over"});
    WritePage("small", Cutscene("small.mpg", 320, 240, 1));
    WritePage("big", Cutscene("big.mpg", 640, 480, 0));
    Start();
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::Calls("Cutscene"), (Calls{"Cutscene(data\\small.mpg,3,640x480x16,1,57)",
                                              "Cutscene(data\\big.mpg,0,640x480x16,1,57)"}));
}

TEST_F(RunnerTest, GameOverPlaysTheLastPageThenHighScoresAndResumesAtPageThree) {
    WriteGame({"menu", "one", "two", "three", "over"});
    WritePage("one", Cutscene("one.mpg"));
    WritePage("two", Level());
    WritePage("three", Cutscene("three.mpg"));
    WritePage("over", Cutscene("over.mpg", 320, 240));
    Start();
    int levels = 0;
    fake::script.levelEngine = [&] {
        ++levels;
        Sprite* player = Player();
        EXPECT_EQ(player->score, 0);
        player->score = 1234;
        player->instances.ptr->alive = 0;
        gFrameControl.lives = 0;
        return 1;
    };
    int menus = 0;
    fake::script.mainMenuEngine = [&] {
        if (++menus == 1) {
            // Shown again before page 3 after the game over.
            EXPECT_EQ(gMenuControl.targetPage, 0u);
            EXPECT_EQ(gFrameControl.lives, 2u);
            gMenuControl.quitRequest = 1;
        }
        return 1;
    };
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(levels, 1);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(fake::script.calls,
              (Calls{"Cutscene(data\\one.mpg,0,640x480x16,1,57)", "SoundFXClearCache", "LoadScreen",
                     "LevelInit", "LoadScreenDone", "LevelEngine", "LevelTeardown",
                     "Cutscene(data\\over.mpg,2,640x480x16,1,57)", "HighScores(1234)",
                     "SoundFXClearCache", "GetDXSurfaces(640,480,16)", "MainMenu(0)"}));
}

TEST_F(RunnerTest, ScoreIsCarriedFromLevelToLevelWhileAlive) {
    WriteGame({"menu", "one", "two", "over"});
    WritePage("one", Level());
    WritePage("two", Level());
    Start();
    fake::script.levelEngine = [] {
        Player()->score += 100;
        Player()->instances.ptr->alive = 1;
        return 1;
    };
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::Calls("HighScores"), (Calls{"HighScores(200)"}));
}

TEST_F(RunnerTest, FailuresStopTheRunner) {
    WriteGame({"menu", "one", "over"});
    WritePage("one", Level());
    Start();
    fake::script.levelEngine = [] {
        Player()->instances.ptr->alive = 0;
        gFrameControl.lives = 0;
        return 1;
    };
    // The game-over page is missing: the loader's message stands.
    EXPECT_EQ(RunGame(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to open data\\over.lvl");
    EXPECT_STREQ(gErrorInfo.location, "LoadLevel()");

    ResetShell();
    WriteGame({"menu", "one", "over"});
    gamedata::LevelFileDesc level = Level();
    level.layers[0].isMainLayer = 0;
    WritePage("one", level);
    Start();
    EXPECT_EQ(RunGame(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to find the main layer of the level!");

    ResetShell();
    WriteGame({"menu", "one", "over"});
    WritePage("one", Cutscene("one.mpg"));
    Start();
    fake::script.cutscene = [](const std::string&, unsigned, unsigned, unsigned) { return 0; };
    EXPECT_EQ(RunGame(), 0);
}

TEST_F(RunnerTest, MenuPagesRunTheirPluginAndCleanUp) {
    WriteGame({"menu", "options", "over"});
    WritePage("options", Menu("options.dll"));
    Start();
    ASSERT_EQ(RunGame(), 1);
    EXPECT_EQ(fake::script.calls,
              (Calls{"LoadScreen", "MenuInit(0)", "LoadScreenDone", "MenuPageEngine",
                     "MenuPageCleanup", "HighScores(0)", "MainMenu(1)", "SoundFXClearCache"}));
}

} // namespace
