// The real program on the headless backend: how it starts and how it stops
// when it cannot play.
#include "common/ErrorInfo.h"
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class StartupTest : public testing::Test {
  protected:
    RunResult Run(std::vector<std::pair<std::string, std::string>> env = {}) {
        env.push_back({"VRASK_BACKEND", "headless"});
        env.push_back({"VRASK_CLOCK", "virtual"});
        return RunProgram(VRASK_PROGRAM, dir_.Path().string(), env);
    }

    static size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    ScratchDir dir_;
};

TEST_F(StartupTest, WithoutAGameFileItReportsOnceAndWritesErrorTxt) {
    RunResult run = Run({{"VRASK_MSGBOX", "ok"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Count(run.stderrText, "[msgbox] caption=\"Vrask Engine Notification\" "
                                    "style=0x00040010"),
              1u)
        << run.stderrText;
    const std::string expected = "ERROR - Unable to open TolwickDunmarrow.gam\r\n"
                                 "LOCATION - LoadGame() of GameEngine\r\n\r\n"
                                 "Please go to " VRASK_SUPPORT_WEB " for support \r\n"
                                 "or contact Korvid at support@korvid.example\r\n\r\n";
    EXPECT_EQ(ReadText("error.txt"), expected + std::string(1, '\0'));
}

TEST_F(StartupTest, AFailedSetUpLeavesTheUsersPreferencesAlone) {
    gamedata::GameFileDesc game{.gameName = "t", .pages = {"menu", "one", "over"}};
    ASSERT_TRUE(gamedata::WriteFile("TolwickDunmarrow.gam", gamedata::BuildGameFile(game)));
    std::vector<uint8_t> prefs(144, 9);
    ASSERT_TRUE(gamedata::WriteFile("data/prefs.cfg", prefs));
    RunResult run = Run();
    EXPECT_EQ(Count(run.stderrText, "[msgbox] caption="), 1u) << run.stderrText;
    // The game file names a main menu that is not there: set-up stops early.
    EXPECT_NE(ReadText("error.txt").find("ERROR - Unable to load main menu!"), std::string::npos);
    EXPECT_EQ(ReadBytes("data/prefs.cfg"), prefs);
}

TEST_F(StartupTest, InjectedFailureOfTheWindowClassEndsAtOnce) {
    RunResult run = Run({{"VRASK_FAULTS", "RegisterClass=fail"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Count(run.stderrText, "[msgbox]"), 0u);
    EXPECT_FALSE(fs::exists("error.txt"));
}

} // namespace
