// Entry, one-time set-up, the game runner over the pages, and shutdown.
#include "engine/GameEngine.h"
#include "cdaudio/CDAudio.h"
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "engine/MenuEngine.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Window.h"
#include "soundfx/SoundFX.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kLivesAtStart = 2;
constexpr uint32_t kFirstGamePage = 3;
constexpr uint32_t kSkipKeyEscape = 1;
constexpr uint32_t kSkipKeySpace = 57;

void RunnerError(const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "GameEngine", "RunGame()", message);
}

// Plays the current page as a cutscene: a 320 by 240 movie is shown doubled
// in a 640 by 480 mode.
int PlayCutscene() {
    char path[5 + sizeof(gPage.movieName)];
    std::snprintf(path, sizeof(path), "data\\%s", gPage.movieName);
    if (!platform::NameStaysInside(gPage.movieName)) {
        FillError2(&gErrorInfo, kErrorFatal, "CutsceneEngine", "CutsceneEngine()",
                   "Unable to open ", path);
        return 0;
    }
    uint32_t flags = 0;
    if (gPage.movieFlag == 1)
        flags |= kCutsceneLoop;
    if (gPage.screenWidth == 320 && gPage.screenHeight == 240) {
        flags |= kCutsceneDouble;
        gPage.screenWidth *= 2;
        gPage.screenHeight *= 2;
    }
    return CutsceneEngine(path, flags, gPage.screenWidth, gPage.screenHeight, gPage.colourDepth,
                          kSkipKeyEscape, kSkipKeySpace);
}

int PlayMenuPage() {
    if (!LoadScreen() || !MenuInit(0))
        return 0;
    if (gPage.menuInit)
        gPage.menuInit(&gDisplay, &gInputState, &gPage, &gErrorInfo, &gMenuControl);
    if (!LoadScreenDone())
        return 0;
    if (!gPage.menuEngine || !gPage.menuEngine())
        return 0;
    MenuPageCleanup();
    return 1;
}

// Plays a level; sets *gameOver when the player died with no lives left.
int PlayLevel(int32_t* score, bool* gameOver) {
    if (!LoadScreen() || !LevelInit())
        return 0;
    Layer* main = gPage.layers.ptr;
    while (main && main->isMainLayer == 0)
        main = main->next.ptr;
    if (!main) {
        RunnerError("Unable to find the main layer of the level!");
        return 0;
    }
    Sprite* player = main->players.ptr;
    if (!player) {
        RunnerError("Unable to find the player sprite of the level!");
        return 0;
    }
    player->score = *score;
    if (!LoadScreenDone() || !LevelEngine())
        return 0;
    SpriteInstance* instance = player->instances.ptr;
    if (instance && instance->alive == 0 && gFrameControl.lives == 0)
        *gameOver = true;
    *score = player->score;
    LevelTeardown();
    return 1;
}

int CallMainMenu(uint32_t callerContext) {
    gMenuControl.cleared = 0;
    gMenuControl.callerContext = callerContext;
    return gMainMenuPage.menuEngine();
}

} // namespace

intptr_t VraskWindowProc(platform::Window* window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) {
    if (message == platform::WM_DESTROY) {
        platform::PostQuitMessage(0);
        return 0;
    }
    return platform::DefWindowProc(window, message, wParam, lParam);
}

int WinMain(void* instance, void*, const char*, int showCommand) {
    gMainWindow = nullptr;
    gInstance = nullptr;
    platform::Message message{};
    bool quit = false;

    platform::WindowClass windowClass{};
    windowClass.style =
        platform::CS_VREDRAW | platform::CS_HREDRAW | platform::CS_DBLCLKS | platform::CS_OWNDC;
    windowClass.proc = VraskWindowProc;
    windowClass.icon = platform::IDI_APPLICATION;
    windowClass.smallIcon = platform::IDI_WINLOGO;
    windowClass.cursor = platform::IDC_ARROW;
    windowClass.background = platform::BLACK_BRUSH;
    windowClass.className = "Vrask Engine";
    if (!platform::RegisterClass(&windowClass))
        return 0;

    platform::Window* window = platform::CreateWindow(
        0, "Vrask Engine", "Korvid Vrask Engine", platform::WS_POPUP | platform::WS_VISIBLE,
        platform::CW_USEDEFAULT, platform::CW_USEDEFAULT,
        platform::GetSystemMetrics(platform::SM_CXSCREEN),
        platform::GetSystemMetrics(platform::SM_CYMAXIMIZED), nullptr, nullptr);
    platform::ShowWindow(window, showCommand);
    platform::UpdateWindow(window);
    gMainWindow = window;
    gInstance = instance;

    gErrorInfo.code = 0;

    if (!LoadGame(kGameFileName)) {
        ShutdownOnError();
        quit = true;
    } else if (!GameInit()) {
        ShutdownOnError();
        quit = true;
    }

    if (!quit) {
        if (platform::PeekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE)) {
            platform::TranslateMessage(&message);
            platform::DispatchMessage(&message);
        }
        // The runner holds the whole game, so this runs once.
        if (!RunGame())
            ShutdownOnError();
    }

    GameShutdown();
    // A game the user closed opens nothing on its way out.
    if (gMenuControl.openAtExit == 1 && !platform::QuitRequested())
        OpenBrowser(gMenuControl.documentToOpen);
    return static_cast<int>(message.wParam);
}

int GameInit() {
    gDisplay = DisplayHandles{};
    if (!CDAudioInit(gMainWindow, &gErrorInfo))
        return 0;
    if (!SoundFXInit(gMainWindow, &gErrorInfo, 2, 44100, 16))
        return 0;
    if (platform::CreateDisplay(&gDisplay.display) != platform::kOk) {
        FillError(&gErrorInfo, kErrorFatal, "GameEngine", "GameInit()",
                  "Unable to Create Direct Draw object!");
        return 0;
    }
    if (gDisplay.display->SetCooperativeLevel(
            gMainWindow, platform::DDSCL_FULLSCREEN | platform::DDSCL_ALLOWREBOOT |
                             platform::DDSCL_EXCLUSIVE | platform::DDSCL_ALLOWMODEX) !=
        platform::kOk) {
        FillError(&gErrorInfo, kErrorFatal, "GameEngine", "GameInit()",
                  "Unable to set cooperative level!");
        return 0;
    }
    if (!InputInit() || !MainMenuInit())
        return 0;
    if (gMainMenuPage.menuInit)
        gMainMenuPage.menuInit(&gDisplay, &gInputState, &gMainMenuPage, &gErrorInfo, &gMenuControl);
    if (!LoadScreenInit() || !LoadUserPrefs())
        return 0;
    gFrameControl.lives = kLivesAtStart;
    return 1;
}

int RunGame() {
    uint32_t page = 1;
    int32_t score = 0;
    bool quit = false;
    platform::ShowCursor(false);
    platform::SetCursorPos(0, 0);

    while (!quit) {
        bool gameOver = false;
        // A close of the window, also one during start-up, ends the game as
        // the main menu's quit does.
        if (platform::QuitRequested())
            break;

        // The main menu comes before the first page of a game, unless the
        // menu itself asked for that page.
        if (gMainMenuPage.menuEngine && page == kFirstGamePage &&
            gMenuControl.targetPage != kFirstGamePage) {
            if (!GetDXSurfaces(static_cast<int32_t>(gMainMenuPage.screenWidth),
                               static_cast<int32_t>(gMainMenuPage.screenHeight),
                               static_cast<int32_t>(gMainMenuPage.colourDepth)))
                return 0;
            if (!CallMainMenu(0))
                return 0;
            if (gMenuControl.jumpRequest == 1) {
                gMenuControl.jumpRequest = 0;
                if (gMenuControl.targetPage < gPageCount)
                    page = gMenuControl.targetPage;
            } else if (gMenuControl.quitRequest == 1) {
                quit = true;
                continue;
            }
        }

        if (!LoadLevel(page))
            return 0;

        switch (gPage.type) {
        case kPageCutscene:
            if (!PlayCutscene())
                return 0;
            break;
        case kPageMenu:
            if (!PlayMenuPage())
                return 0;
            break;
        case kPageLevel:
            if (!PlayLevel(&score, &gameOver))
                return 0;
            break;
        default:
            break;
        }

        if (gameOver && !platform::QuitRequested()) {
            if (!LoadLevel(gPageCount - 1) || !PlayCutscene() ||
                !HighScores(static_cast<uint32_t>(score)))
                return 0;
            page = 2; // advanced to the first game page below
            gMenuControl.targetPage = 0;
            score = 0;
            gFrameControl.lives = kLivesAtStart;
        }

        if (platform::QuitRequested()) {
            quit = true;
        } else if (gMenuControl.jumpRequest == 1) {
            gMenuControl.jumpRequest = 0;
            if (gMenuControl.targetPage < gPageCount) {
                page = gMenuControl.targetPage;
                score = 0;
                gFrameControl.lives = kLivesAtStart;
            }
        } else if (gMenuControl.quitRequest == 1) {
            quit = true;
        } else if (++page >= gPageCount - 1) {
            // The last page is the game-over page: the game is complete.
            if (!HighScores(static_cast<uint32_t>(score)))
                return 0;
            gMenuControl.openAtExit = 1;
            if (gMainMenuPage.menuEngine && !CallMainMenu(1))
                return 0;
            quit = true;
        }

        SoundFXClearCache();
    }

    platform::ShowCursor(true);
    platform::PostMessage(gMainWindow, platform::WM_QUIT, 0, 0);
    return 1;
}

void GameShutdown() {
    InputCleanup();
    MainMenuCleanup();
    std::free(gPageNames);
    gPageNames = nullptr;
    gPageCount = 0;
    CDAudioCleanup();
    SoundFXCleanup();
    LoadScreenCleanup();
    // The surfaces go with the display object that made them.
    if (gDisplay.primary) {
        gDisplay.primary->Release();
        gDisplay.primary = nullptr;
        gDisplay.back = nullptr;
    }
    if (gDisplay.display) {
        gDisplay.display->Release();
        gDisplay.display = nullptr;
    }
    // Preferences never loaded this run are not written over the user's file.
    if (gErrorInfo.code == 0 && UserPrefsLoaded())
        SaveUserPrefs();
}
