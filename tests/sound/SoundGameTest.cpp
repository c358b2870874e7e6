// The game program's sound set-up and shut-down, run as a player would run it
// on the headless backend.
#include "tests/sound/SoundTestUtil.h"
#include "tools/GameData.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace soundtest;

namespace {

struct GameRun {
    std::string errorText; // error.txt, empty when none was written
    std::string log;       // standard error: the boxes
};

GameRun RunGame(const std::string& name, const std::string& env) {
    std::string dir = std::filesystem::absolute(ScratchDir(name)).string();
    gamedata::GameFileDesc game;
    game.gameName = "Sound";
    game.pages = {"menu", "one"};
    EXPECT_TRUE(gamedata::WriteFile(dir + "/TolwickDunmarrow.gam", gamedata::BuildGameFile(game)));
    std::string command = "cd '" + dir + "' && env VRASK_BACKEND=headless VRASK_CLOCK=virtual " +
                          env + " timeout 60 '" VRASK_PROGRAM "' > /dev/null 2> stderr.txt";
    EXPECT_NE(std::system(command.c_str()), -1);
    GameRun run;
    std::vector<uint8_t> bytes;
    if (gamedata::ReadFileBytes(dir + "/error.txt", &bytes))
        run.errorText.assign(bytes.begin(), bytes.end());
    if (gamedata::ReadFileBytes(dir + "/stderr.txt", &bytes))
        run.log.assign(bytes.begin(), bytes.end());
    return run;
}

TEST(SoundGame, NoDriverEndsTheSetUpWithTheLibrarysReport) {
    GameRun run = RunGame("game_nodriver", "VRASK_FAULTS=CreateSoundDevice=no_driver");
    EXPECT_NE(run.errorText.find("Unable to create DirectSound interface: No Driver!"),
              std::string::npos)
        << run.errorText;
    EXPECT_NE(run.errorText.find("SoundFXInit() of SoundFX"), std::string::npos);
}

TEST(SoundGame, ABusyDeviceAsksUntilCancelled) {
    GameRun run = RunGame(
        "game_busy", "VRASK_FAULTS=CreateSoundDevice=allocated VRASK_MSGBOX=retry,retry,cancel");
    size_t boxes = 0;
    for (size_t at = 0;
         (at = run.log.find("The sound hardware is in use", at)) != std::string::npos; ++at)
        ++boxes;
    EXPECT_EQ(boxes, 3u) << run.log;
    EXPECT_NE(run.errorText.find("Unable to create DirectSound interface: Resources unavailable!"),
              std::string::npos)
        << run.errorText;
}

// With a device the set-up goes past the sound library, and the WAV-file
// output is completed at shut-down.
TEST(SoundGame, TheDeviceComesUpAndGoesDownWithTheGame) {
    std::string out = std::filesystem::absolute(ScratchDir("game_output")).string() + "/out.wav";
    GameRun run = RunGame("game_ok", "VRASK_AUDIO=wav:" + out);
    EXPECT_EQ(run.errorText.find("SoundFX"), std::string::npos) << run.errorText;
    std::vector<uint8_t> bytes;
    gamedata::WavInfo info;
    ASSERT_TRUE(gamedata::ReadFileBytes(out, &bytes));
    ASSERT_TRUE(gamedata::ReadWav(bytes, &info));
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.rate, 44100u);
    EXPECT_EQ(info.bits, 16);
    EXPECT_EQ(bytes.size(), 44 + info.data.size()); // the header tells the whole size
}

} // namespace
