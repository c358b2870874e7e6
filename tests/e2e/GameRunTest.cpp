// Whole runs of the real program on the headless backend over small crafted
// games whose pages are menus run by a test plug-in.
#include "common/ErrorInfo.h"
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class GameRunTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories("data");
        fs::copy_file(TEST_MENU_PATH, "data/MainMenu.so");
        fs::copy_file(TEST_MENU_PATH, "data/PageMenu.so");
        fs::copy_file(TEST_MENU_NO_CLEANUP_PATH, "data/NoCleanup.so");
        // The loading screen's picture.
        gamedata::SpriteSheetFileDesc sheet;
        sheet.frameWidth = 100;
        sheet.frameHeight = 50;
        sheet.bitmap = {.width = 100,
                        .height = 50,
                        .bitCount = 24,
                        .pixels =
                            gamedata::DibRows(100, 50, 24, [](int, int) { return 0x00FF8000u; })};
        sheet.frames.push_back({});
        ASSERT_TRUE(gamedata::WriteFile("data/QEXAGS.012", gamedata::BuildSpriteSheetFile(sheet)));
    }

    void Game(const std::vector<std::string>& pages) {
        gamedata::GameFileDesc game{.gameName = "test", .pages = pages};
        ASSERT_TRUE(gamedata::WriteFile("TolwickDunmarrow.gam", gamedata::BuildGameFile(game)));
    }

    static void MenuPage(const std::string& name, const std::string& plugin) {
        gamedata::LevelFileDesc d;
        d.menuMarker = 1;
        d.menuModuleName = plugin;
        d.menuPages.push_back({.name = "main", .name2 = "missing.bmp"});
        ASSERT_TRUE(gamedata::WriteFile("data/" + name + ".lvl", gamedata::BuildLevelFile(d)));
    }

    RunResult Run(std::vector<std::pair<std::string, std::string>> env = {}) {
        env.push_back({"VRASK_BACKEND", "headless"});
        env.push_back({"VRASK_CLOCK", "virtual"});
        env.push_back({"VRASK_AUDIO", "null"});
        return RunProgram(VRASK_PROGRAM, dir_.Path().string(), env);
    }

    ScratchDir dir_;
};

TEST_F(GameRunTest, MenusRunAndTheMainMenuEndsTheGameCleanly) {
    Game({"main", "first", "second", "third", "over"});
    MenuPage("main", "MainMenu.dll");
    MenuPage("first", "PageMenu.dll");
    MenuPage("second", "PageMenu.dll");
    RunResult run = Run();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText.find("[msgbox]"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(fs::exists("error.txt"));
    // Set-up (the main menu's surfaces are let go once it is loaded), two
    // menu pages, then the main menu before page 3 quits.
    const std::string expected = "[menu] init MainMenu.dll 640x480 surfaces=no\n"
                                 "[menu] init PageMenu.dll 640x480 surfaces=yes\n"
                                 "[menu] engine context=0\n"
                                 "[menu] cleanup\n"
                                 "[menu] init PageMenu.dll 640x480 surfaces=yes\n"
                                 "[menu] engine context=0\n"
                                 "[menu] cleanup\n"
                                 "[menu] engine context=0\n"
                                 "[menu] cleanup\n";
    EXPECT_EQ(run.stderrText, expected);
    // A clean run saves the preferences it created.
    EXPECT_EQ(ReadBytes("data/prefs.cfg").size(), 144u);
}

// The pages' pictures are missing, which the menu host lets go: an option
// changed in the menu still reaches the preferences file.
TEST_F(GameRunTest, AnOptionChangedInTheMenuIsSaved) {
    Game({"main", "first", "second", "third", "over"});
    MenuPage("main", "MainMenu.dll");
    MenuPage("first", "PageMenu.dll");
    MenuPage("second", "PageMenu.dll");
    RunResult run = Run({{"VRASK_TEST_MENU_VOLUME", "77"}});
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    std::vector<uint8_t> prefs = ReadBytes("data/prefs.cfg");
    ASSERT_EQ(prefs.size(), 144u);
    EXPECT_EQ(prefs[8], 77); // the music volume
}

TEST_F(GameRunTest, AMenuPluginWithoutCleanupIsRefused) {
    Game({"main", "first", "over"});
    MenuPage("main", "NoCleanup.dll");
    RunResult run = Run();
    EXPECT_NE(ReadText("error.txt")
                  .find("ERROR - Unable to get MenuCleanup function pointer!\r\n"
                        "LOCATION - MenuInit() of MenuEngine"),
              std::string::npos)
        << run.stderrText;
}

// A player brain's entry takes the page first: a menu, which calls every
// brain with six arguments, must refuse it rather than call it.
TEST_F(GameRunTest, AMenuSpriteNamingAPlayerBrainIsRefused) {
    fs::copy_file(TEST_PLAYER_PATH, "data/Hero.so");
    fs::copy_file("data/QEXAGS.012", "data/Hero.spr");
    Game({"main", "first", "over"});
    gamedata::LevelFileDesc d;
    d.menuMarker = 1;
    d.menuModuleName = "MainMenu.dll";
    d.menuPages.push_back(
        {.name = "main",
         .name2 = "missing.bmp",
         .sprites = {{.name = "Hero", .sheetFile = "Hero.spr", .brainFile = "Hero.dll"}}});
    ASSERT_TRUE(gamedata::WriteFile("data/main.lvl", gamedata::BuildLevelFile(d)));
    RunResult run = Run();
    EXPECT_NE(ReadText("error.txt")
                  .find("ERROR - Unable to get brain Initialization function!\r\n"
                        "LOCATION - MenuInit() of MenuEngine"),
              std::string::npos)
        << run.stderrText;
}

TEST_F(GameRunTest, AMissingMenuPluginIsReportedWithTheLoadersReason) {
    Game({"main", "first", "over"});
    MenuPage("main", "Absent.dll");
    Run();
    std::string report = ReadText("error.txt");
    EXPECT_NE(report.find("ERROR - Unable to load menu DLL!data/Absent.dll"), std::string::npos)
        << report;
}

// A plug-in or a movie that exists outside data\, named with ".." or by an
// absolute path, is refused with its message, never loaded.
TEST_F(GameRunTest, PluginsAndMoviesNamedOutsideTheGameFolderAreRefused) {
    fs::copy_file(TEST_MENU_PATH, "Outside.so");
    std::string absolute = "/tmp/vrask-" + std::to_string(getpid()) + ".so";
    fs::copy_file(TEST_MENU_PATH, absolute, fs::copy_options::overwrite_existing);
    for (const std::string& plugin : {std::string("..\\Outside.dll"), absolute}) {
        Game({"main", "first", "over"});
        MenuPage("main", plugin);
        RunResult run = Run();
        EXPECT_EQ(run.stderrText.find("[menu] init"), std::string::npos) << plugin;
        EXPECT_NE(ReadText("error.txt")
                      .find("ERROR - Unable to load menu DLL! Its name leaves "
                            "the game folder.\r\n"),
                  std::string::npos)
            << plugin << ReadText("error.txt");
        fs::remove("error.txt");
    }
    fs::remove(absolute);

    Game({"main", "film", "over"});
    MenuPage("main", "MainMenu.dll");
    ASSERT_TRUE(gamedata::WriteFile("intro.avi", {1, 2, 3}));
    gamedata::LevelFileDesc film;
    film.cutsceneMarker = 1;
    film.movieName = "..\\intro.avi";
    ASSERT_TRUE(gamedata::WriteFile("data/film.lvl", gamedata::BuildLevelFile(film)));
    Run();
    EXPECT_NE(ReadText("error.txt").find("ERROR - Unable to open data\\..\\intro.avi\r\n"),
              std::string::npos)
        << ReadText("error.txt");
}

TEST_F(GameRunTest, PageZeroMustBeAMenu) {
    Game({"main", "first", "over"});
    gamedata::LevelFileDesc cutscene;
    cutscene.cutsceneMarker = 1;
    ASSERT_TRUE(gamedata::WriteFile("data/main.lvl", gamedata::BuildLevelFile(cutscene)));
    Run();
    EXPECT_NE(ReadText("error.txt").find("ERROR - Unable to load main menu: not a menu type!"),
              std::string::npos);
}

} // namespace

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof(buffer), p))
            out += buffer;
        pclose(p);
    }
    return out;
}

// The real window on the sdl backend under a private X server: the loading
// screen's picture shows where the primary surface has it, centred on a
// 1024 x 768 screen (its orange is the 16-bit mode's 255, 130, 0).
TEST_F(GameRunTest, TheLoadingScreenShowsInARealWindow) {
    std::string tools = Shell("command -v Xvfb; command -v import; command -v convert");
    if (std::count(tools.begin(), tools.end(), '\n') < 3)
        GTEST_SKIP() << "needs Xvfb and imagemagick";
    Game({"main", "first", "second", "third", "over"});
    MenuPage("main", "MainMenu.dll");
    MenuPage("first", "PageMenu.dll");
    MenuPage("second", "PageMenu.dll");
    std::string dir = dir_.Path().string();
    std::string display = Shell("sh -c 'exec 3>" + dir +
                                "/display; Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "
                                ">/dev/null 2>&1 & echo $!'");
    int xvfb = std::atoi(display.c_str());
    std::string number;
    for (int i = 0; i < 100 && number.empty(); ++i) {
        usleep(100000);
        number = ReadText(dir + "/display");
    }
    ASSERT_FALSE(number.empty());
    std::string x = ":" + number.substr(0, number.find('\n'));
    std::string game =
        Shell("cd " + dir + " && DISPLAY=" + x +
              " VRASK_BACKEND=sdl VRASK_AUDIO=null VRASK_TEST_MENU_HOLD=4000 "
              "ASAN_OPTIONS=detect_leaks=0 " VRASK_PROGRAM " >game.log 2>&1 & echo $!");
    std::string pixel;
    for (int i = 0; i < 40 && pixel.find("255,130,0") == std::string::npos; ++i) {
        usleep(250000);
        pixel = Shell("DISPLAY=" + x + " import -window root " + dir + "/shot.png 2>/dev/null && " +
                      "convert " + dir + "/shot.png -format '%[pixel:p{511,358}]' info:");
    }
    Shell("kill -9 " + std::to_string(std::atoi(game.c_str())) + " 2>/dev/null; kill " +
          std::to_string(xvfb));
    EXPECT_NE(pixel.find("255,130,0"), std::string::npos) << pixel;
}

} // namespace
