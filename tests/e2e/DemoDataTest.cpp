// The demo game's data, checked page by page through the engine's own paths
// on headless, so that a missing sound or picture shows here rather than
// when a player reaches it: each level set up as the game does it (tile
// sets, sheets, masks, brains initialised, which obtains their sounds, the
// music started), each menu page's plug-in, sprites and pictures, each
// cutscene's movie opened, and the loading and high-score screens' files.
#include "cdaudio/CDAudio.h"
#include "engine/CutsceneEngine.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "engine/MenuEngine.h"
#include "engine/VraskUtils.h"
#include "platform/Modules.h"
#include "platform/Movie.h"
#include "soundfx/SoundFX.h"
#include "support/GameWindow.h"
#include "support/ScratchDir.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What went wrong, each line naming the page or screen; the record is
// cleared for the next step.
struct Problems {
    std::vector<std::string> lines;

    void Add(const std::string& where, const std::string& what = "") {
        lines.push_back(where + ": " + what + (what.empty() ? "" : " ") + gErrorInfo.message);
        gErrorInfo = {};
    }
    std::string Text() const {
        std::string all;
        for (const std::string& line : lines)
            all += line + "\n";
        return all;
    }
};

std::string DataPath(const char* name) {
    return std::string("data\\") + name;
}

void CheckLevel(const std::string& page, Problems* problems) {
    if (!LevelInit()) {
        // The record does not name a brain that failed to load; the loader does.
        bool module = std::strstr(gErrorInfo.message, "DLL") != nullptr;
        problems->Add(page, module ? platform::ModuleLastError() : "");
        return;
    }
    if (gPage.useCdAudio == 0) {
        std::string music = DataPath(gPage.musicWave);
        if (!SoundFXWavPlay(music.c_str()))
            problems->Add(page, "music " + music + ":");
        SoundFXWavStop();
    } else {
        if (!CDAudioPlay(uint16_t(gPage.cdTrack)))
            problems->Add(page, "CD track " + std::to_string(gPage.cdTrack) + ":");
        CDAudioStop();
    }
}

// The plug-in, its sprites and the page pictures, then the plug-in's own
// set-up as the runner calls it. A missing picture only leaves a page
// blank in the game, so it is looked for here on its own.
void CheckMenu(const std::string& page, bool mainMenu, Problems* problems) {
    if (!MenuInit(mainMenu ? 1 : 0)) {
        problems->Add(page);
        return;
    }
    for (MenuPage* p = gPage.menuPages.ptr; p; p = p->next.ptr)
        if (!ReLoadBitmap(p->surface, DataPath(p->name2).c_str()))
            problems->Add(page);
    if (gPage.menuInit &&
        !gPage.menuInit(&gDisplay, &gInputState, &gPage, &gErrorInfo, &gMenuControl))
        problems->Add(page, "its plug-in's set-up:");
}

void CheckMovie(const std::string& page, Problems* problems) {
    std::string movie = DataPath(gPage.movieName);
    platform::MultiMediaStream* stream = nullptr;
    if (RenderFileToMMStream(movie.c_str(), &stream, gDisplay.display) != platform::kOk)
        problems->Add(page, movie + ":");
    if (stream)
        stream->Release();
}

// Checks the game in the current folder, as the game program would find it.
Problems CheckGame() {
    Problems problems;
    gErrorInfo = {};
    // The window and the display object stay for the process, as the game's do.
    if (!gMainWindow)
        if (const char* missing = OpenGameWindowAndDisplay()) {
            problems.lines.push_back(missing);
            return problems;
        }
    if (!CDAudioInit(gMainWindow, &gErrorInfo) ||
        !SoundFXInit(gMainWindow, &gErrorInfo, 2, 44100, 16) || !InputInit() ||
        !LoadGame(kGameFileName)) {
        problems.Add("set-up");
        return problems;
    }
    if (!LoadScreenInit())
        problems.Add("the loading screen");
    for (uint32_t index = 0; index < gPageCount; ++index) {
        std::string page = "page " + std::string(gPageNames + index * kPageNameSize);
        if (!LoadLevel(index)) {
            problems.Add(page);
            // What the reader kept of the page; the game stops here instead.
            FreeLevel();
            FreeMenuPages(&gPage);
            continue;
        }
        switch (gPage.type) {
        case kPageCutscene:
            CheckMovie(page, &problems);
            break;
        case kPageMenu:
            CheckMenu(page, index == 0, &problems);
            MenuPageCleanup();
            break;
        case kPageLevel:
            CheckLevel(page, &problems);
            LevelTeardown();
            break;
        default:
            problems.lines.push_back(page + ": of no known type");
        }
        SoundFXClearCache();
    }
    if (!HighScoresInit())
        problems.Add("the high-score screen");
    HighScoresCleanup();

    LoadScreenCleanup();
    InputCleanup();
    SoundFXCleanup();
    CDAudioCleanup();
    std::free(gPageNames);
    gPageNames = nullptr;
    gPageCount = 0;
    if (gDisplay.primary)
        gDisplay.primary->Release();
    gDisplay.primary = nullptr;
    gDisplay.back = nullptr;
    return problems;
}

void CopyGame() {
    fs::copy(VRASK_GAME_DIR, ".", fs::copy_options::recursive);
    fs::remove("data/prefs.cfg");
    fs::remove("data/QEXALL.000");
}

TEST(DemoDataTest, EveryFileThePagesLevelsAndBrainsNameIsThereAndLoads) {
    ScratchDir dir;
    CopyGame();
    Problems problems = CheckGame();
    EXPECT_TRUE(problems.lines.empty()) << problems.Text();
}

// A file taken away is named by the check: a sound the player's brain
// obtains, and the sheet of the tool pickups.
TEST(DemoDataTest, AMissingSoundOrSheetIsNamed) {
    ScratchDir dir;
    CopyGame();
    for (const char* file : {"QEXASW.012", "tool.spr"}) {
        SCOPED_TRACE(file);
        fs::path path = fs::path("data") / file;
        fs::rename(path, "aside");
        Problems problems = CheckGame();
        fs::rename("aside", path);
        ASSERT_FALSE(problems.lines.empty());
        EXPECT_NE(problems.Text().find(file), std::string::npos) << problems.Text();
    }
}

} // namespace
