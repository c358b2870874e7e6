// Runs a crafted level from start to end in the current folder: a game
// folder with two layers, wave music and the test brains (the player walks
// right and asks for a scroll step every frame), then the entry's set-up,
// LevelInit, LevelEngine and LevelTeardown. Takes a screenshot of the last
// frame and keeps it on screen for a while. Used by the Xvfb and the
// headless checks.
//   level_show <frames> <seconds to keep the last frame>
// With VRASK_TEST_LEVEL_CD=1 the level plays CD music instead: a one-second
// tone as data/cdaudio/track02.wav. VRASK_TEST_LEVEL_WORK_US=<n> makes the bees'
// brain busy for n microseconds a frame (scripts/pacing.sh).
#include "cdaudio/CDAudio.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/LevelEngine.h"
#include "engine/VraskUtils.h"
#include "level/CraftedLevel.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Window.h"
#include "soundfx/SoundFX.h"
#include "support/GameWindow.h"
#include "tools/WavData.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "level_show: %s: %s\n", what, gErrorInfo.message);
    return 1;
}

bool WriteGameFolder(uint16_t frames) {
    namespace fs = std::filesystem;
    fs::create_directories("data");
    for (const char* brain : {"TestPlayer", "TestBrain"}) {
        std::error_code error;
        fs::copy_file(std::string(TEST_BRAIN_DIR) + "/" + brain + ".so",
                      std::string("data/") + brain + ".so", fs::copy_options::overwrite_existing,
                      error);
        if (error)
            return false;
    }
    if (!leveltest::WriteCraftedPictures())
        return false;
    // Two seconds of a 440 Hz tone, looped by the player.
    std::vector<int16_t> samples;
    for (int i = 0; i < 44100 * 2; ++i) {
        auto v = int16_t(8000 * std::sin(2 * 3.14159265 * 440 * i / 44100));
        samples.push_back(v);
        samples.push_back(v);
    }
    gamedata::WavDesc wav;
    wav.samples = gamedata::Pcm16(samples);
    if (!gamedata::WriteFile("data/music.wav", gamedata::BuildWav(wav)))
        return false;

    bool cd = std::getenv("VRASK_TEST_LEVEL_CD") != nullptr;
    if (cd) {
        std::vector<int16_t> tone;
        for (int i = 0; i < 44100; ++i) {
            auto v = int16_t(8000 * std::sin(2 * 3.14159265 * 660 * i / 44100));
            tone.push_back(v);
            tone.push_back(v);
        }
        gamedata::WavDesc track;
        track.samples = gamedata::Pcm16(tone);
        if (!gamedata::WriteFile("data/cdaudio/track02.wav", gamedata::BuildWav(track)))
            return false;
    }

    gamedata::SpriteDesc hero = leveltest::SpriteOf("Hero", "TestPlayer.dll", 64, 200);
    hero.isPlayer = 1;
    hero.spriteParam2 = kRequestScrollRight;
    hero.spriteParam3 = frames;
    hero.spriteParam4 = 4; // keeps pace with the main layer's step
    gamedata::LevelFileDesc d = leveltest::CraftedLevel(hero);
    d.screenWidth = 640;
    d.screenHeight = 480;
    if (cd) {
        d.useCdAudio = 1;
        d.cdTrack = 2;
    }
    d.layers[0].stepX = 2;
    d.layers[0].columns = 60;
    d.layers[0].rows = 30;
    d.layers[0].tileMap.assign(60 * 30, 0x2001);
    auto& main = d.layers[1];
    main.columns = 120;
    main.rows = 30;
    main.tileMap.clear();
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 120; ++c)
            main.tileMap.push_back((r + c) % 3 == 0 ? 0 : uint16_t(0x2000 | ((r * 5 + c) % 4 + 1)));
    gamedata::SpriteDesc bees = leveltest::SpriteOf("Bee", "TestBrain.dll", 100, 100);
    for (uint32_t i = 1; i < 20; ++i)
        bees.instances.push_back({.frame = i % 3, .locations = {{100 + i * 70, 60 + i * 17}}});
    if (const char* work = std::getenv("VRASK_TEST_LEVEL_WORK_US"))
        bees.spriteParam9 = uint32_t(std::strtoul(work, nullptr, 10));
    main.sprites.push_back(bees);

    gamedata::GameFileDesc game;
    game.gameName = "Level show";
    game.pages = {"menu", "level", "over"};
    return gamedata::WriteFile(kGameFileName, gamedata::BuildGameFile(game)) &&
           gamedata::WriteFile("data/level.lvl", gamedata::BuildLevelFile(d));
}

} // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 270;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    if (!WriteGameFolder(uint16_t(frames)))
        return Fail("cannot write the game folder");

    if (const char* missing = OpenGameWindowAndDisplay())
        return Fail(missing);
    if (!CDAudioInit(gMainWindow, &gErrorInfo) ||
        !SoundFXInit(gMainWindow, &gErrorInfo, 2, 44100, 16))
        return Fail("sound");
    if (!InputInit())
        return Fail("InputInit");
    gMenuControl.musicOn = 1;
    gMenuControl.musicVolume = 100;
    gMenuControl.effectsVolume = 100;

    if (!LoadGame(kGameFileName) || !LoadLevel(1))
        return Fail("loading the level");
    if (!LevelInit())
        return Fail("LevelInit");
    if (!LevelEngine())
        return Fail("LevelEngine");
    TakeScreenshot(); // the last frame, as the primary surface holds it
#if defined(__SANITIZE_ADDRESS__)
    std::printf("sanitized build\n"); // too slow for the frame rate to mean anything
#endif
    std::printf("level done\n");
    std::fflush(stdout);
    for (int i = 0; i < seconds * 50; ++i) {
        platform::PumpEvents();
        platform::Sleep(20);
    }
    LevelTeardown();
    std::free(gPageNames);
    InputCleanup();
    SoundFXCleanup();
    CDAudioCleanup();
    gDisplay.display->Release();
    platform::DestroyWindow(gMainWindow);
    return 0;
}
