// Plays the player brain's whole crafted level from start to end in the
// current folder, through the entry's set-up, LevelInit, LevelEngine and the
// tear-down, on whichever backend the environment names. Prints the end:
// score, lives, tools, whether the player is still in play and the frames
// played; with VRASK_TEST_TRACE=<file> also every frame the watch saw.
//   pimbrel_play <frames before the watch ends it> <seconds to keep the window>
#include "brains/PimbrelData.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/LevelEngine.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "soundfx/SoundFX.h"
#include "support/GameWindow.h"

#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "pimbrel_play: %s: %s\n", what, gErrorInfo.message);
    return 1;
}

bool WriteGame(uint32_t frames) {
    gamedata::WavDesc wav;
    wav.samples = gamedata::Pcm16(std::vector<int16_t>(44100 * 2, 200));
    gamedata::GameFileDesc game;
    game.gameName = "Pimbrel play";
    game.pages = {"menu", "level", "over"};
    return pimbreltest::WriteData() &&
           gamedata::WriteFile("data/music.wav", gamedata::BuildWav(wav)) &&
           gamedata::WriteFile(kGameFileName, gamedata::BuildGameFile(game)) &&
           gamedata::WriteFile("data/level.lvl",
                               gamedata::BuildLevelFile(pimbreltest::FullLevel(frames)));
}

void Trace(const char* path) {
    FILE* out = std::fopen(path, "w");
    if (!out)
        return;
    int n = 0;
    for (const WatchFrame& f : WatchLog())
        std::fprintf(out,
                     "%d x %d y %d frame %u health %d lives %d tools %d score %d vis %d "
                     "jump %d/%d buttons %x inv %d\n",
                     ++n, f.player.x, f.player.y, f.player.frame, f.player.health, f.player.lives,
                     f.player.number, f.score, f.player.visible, f.player.jumping,
                     f.player.jumpTicks, f.buttons, f.player.invincible);
    std::fclose(out);
}

} // namespace

int main(int argc, char** argv) {
    uint32_t frames = argc > 1 ? uint32_t(std::atoi(argv[1])) : 3000;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    if (!WriteGame(frames))
        return Fail("cannot write the game folder");
    if (const char* missing = OpenGameWindowAndDisplay())
        return Fail(missing);
    if (!SoundFXInit(gMainWindow, &gErrorInfo, 2, 44100, 16))
        return Fail("sound");
    if (!InputInit())
        return Fail("InputInit");
    uint8_t prefs[256] = {};
    UserPrefsDefault(prefs);
    UserPrefsApply(prefs);
    gFrameControl.lives = 2; // as a new game starts
    if (!LoadGame(kGameFileName) || !LoadLevel(1))
        return Fail("loading the level");
    if (!LevelInit())
        return Fail("LevelInit");
    if (!LevelEngine())
        return Fail("LevelEngine");
    const SpriteInstance* p = gPlayerSprite->instances.ptr;
    std::printf("score %d lives %u tools %d alive %d frames %zu\n", gPlayerSprite->score,
                gFrameControl.lives, p->number, p->alive, WatchLog().size());
    std::fflush(stdout);
    if (const char* trace = std::getenv("VRASK_TEST_TRACE"))
        Trace(trace);
    for (int i = 0; i < seconds * 50; ++i) {
        platform::PumpEvents();
        platform::Sleep(20);
    }
    LevelTeardown();
    std::free(gPageNames);
    InputCleanup();
    SoundFXCleanup();
    gDisplay.display->Release();
    platform::DestroyWindow(gMainWindow);
    return 0;
}
