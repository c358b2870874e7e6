// The game program with the CD library, run as a player would run it on the
// headless backend: the CD device comes first in the set-up.
#include "tests/cdaudio/CdTestUtil.h"
#include "tools/GameData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct GameRun {
    std::string errorText; // error.txt, empty when none was written
    std::string log;       // standard error and the debug output
};

GameRun RunGame(const std::filesystem::path& dir, const std::string& env) {
    gamedata::GameFileDesc game;
    game.gameName = "Cd";
    game.pages = {"menu", "one"};
    EXPECT_TRUE(gamedata::WriteFile((dir / "TolwickDunmarrow.gam").string(),
                                    gamedata::BuildGameFile(game)));
    std::string command = "cd '" + dir.string() +
                          "' && env VRASK_BACKEND=headless VRASK_CLOCK=virtual VRASK_AUDIO=null "
                          "VRASK_DEBUG_LOG=- " +
                          env + " timeout 60 '" VRASK_PROGRAM "' > /dev/null 2> stderr.txt";
    EXPECT_NE(std::system(command.c_str()), -1);
    GameRun run;
    std::vector<uint8_t> bytes;
    if (gamedata::ReadFileBytes((dir / "error.txt").string(), &bytes))
        run.errorText.assign(bytes.begin(), bytes.end());
    if (gamedata::ReadFileBytes((dir / "stderr.txt").string(), &bytes))
        run.log.assign(bytes.begin(), bytes.end());
    return run;
}

TEST(CdGame, AFailedCdDeviceEndsTheSetUpWithTheLibrarysReport) {
    cdtest::Scratch dir;
    GameRun run = RunGame(dir.Path(), "VRASK_FAULTS=mciOpen=no_driver");
    EXPECT_NE(run.errorText.find("The device's driver could not be loaded."), std::string::npos)
        << run.errorText;
    EXPECT_NE(run.errorText.find("CDAudioInit() of Discal"), std::string::npos) << run.errorText;
}

// No CD line: the set-up goes on past the CD and the sound libraries, and the
// reason is in the debug output, not in the report.
TEST(CdGame, AMissingCdLineIsOnlyTraced) {
    cdtest::Scratch dir;
    GameRun run = RunGame(dir.Path(), "VRASK_FAULTS=mixerGetLineInfo=1024");
    EXPECT_NE(run.log.find("CDAudioInit: Could not get the CD audio volume control"),
              std::string::npos)
        << run.log;
    EXPECT_NE(run.log.find("Couldn't get CD mixer line: MIXERR_INVALLINE!"), std::string::npos);
    EXPECT_EQ(run.errorText.find("Discal"), std::string::npos) << run.errorText;
    EXPECT_EQ(run.errorText.find("SoundFX"), std::string::npos) << run.errorText;
}

} // namespace
