#include "engine/FakeScreens.h"

#include "cdaudio/CDAudio.h"
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "engine/MenuEngine.h"
#include "engine/VraskUtils.h"
#include "soundfx/SoundFX.h"

#include <cstring>

namespace fake {

Script script;

void Reset() {
    script = Script{};
}

std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& c : script.calls)
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

namespace {
void Log(const std::string& call) {
    script.calls.push_back(call);
}

int MainMenuEngineEntry() {
    Log("MainMenu(" + std::to_string(gMenuControl.callerContext) + ")");
    return script.mainMenuEngine ? script.mainMenuEngine() : 1;
}

int MenuPageEngineEntry() {
    Log("MenuPageEngine");
    return script.menuPageEngine ? script.menuPageEngine() : 1;
}
} // namespace

} // namespace fake

using fake::script;

int GetDXSurfaces(int32_t w, int32_t h, int32_t bpp) {
    fake::Log("GetDXSurfaces(" + std::to_string(w) + "," + std::to_string(h) + "," +
              std::to_string(bpp) + ")");
    return 1;
}
int ReLoadBitmap(platform::Surface*, const char*) {
    return 1;
}
int ReLoadSprite(Sprite*) {
    return 1;
}
int CopyBitmapToSurface(platform::Surface*, platform::Bitmap*, int32_t, int32_t, int32_t, int32_t) {
    return 1;
}
int TakeScreenshot() {
    return 1;
}
int OpenBrowser(const char* target) {
    fake::Log(std::string("OpenBrowser(") + (target ? target : "null") + ")");
    return 1;
}
int LoadScreenInit() {
    fake::Log("LoadScreenInit");
    return 1;
}
int LoadScreen() {
    fake::Log("LoadScreen");
    return 1;
}
int LoadScreenDone() {
    fake::Log("LoadScreenDone");
    return 1;
}
void LoadScreenCleanup() {
    fake::Log("LoadScreenCleanup");
}

platform::Surface* GetSurfaceFromBitmap(platform::Bitmap*, int) {
    return nullptr;
}
int LoadTileSet(TileSet* tileSet) {
    fake::Log(std::string("LoadTileSet(") + tileSet->fileName + ")");
    return 1;
}
int LoadSprite(Sprite* sprite, int) {
    fake::Log(std::string("LoadSprite(") + sprite->sheetFile + ")");
    sprite->frameWidth = 20;
    sprite->frameHeight = 30;
    return 1;
}

int MainMenuInit() {
    fake::Log("MainMenuInit");
    if (script.mainMenuInit)
        return script.mainMenuInit();
    std::memset(&gMainMenuPage, 0, sizeof(gMainMenuPage));
    gMainMenuPage.type = kPageMenu;
    gMainMenuPage.screenWidth = 640;
    gMainMenuPage.screenHeight = 480;
    gMainMenuPage.colourDepth = 16;
    gMainMenuPage.menuEngine = fake::MainMenuEngineEntry;
    return 1;
}
int MenuInit(int32_t isMainMenu) {
    fake::Log("MenuInit(" + std::to_string(isMainMenu) + ")");
    gPage.menuEngine = fake::MenuPageEngineEntry;
    return 1;
}
void MenuPageCleanup() {
    fake::Log("MenuPageCleanup");
}
void MainMenuCleanup() {
    fake::Log("MainMenuCleanup");
}

int CutsceneEngine(const char* fileName, uint32_t flags, uint32_t width, uint32_t height,
                   uint32_t colourDepth, uint32_t key1, uint32_t key2) {
    fake::Log("Cutscene(" + std::string(fileName) + "," + std::to_string(flags) + "," +
              std::to_string(width) + "x" + std::to_string(height) + "x" +
              std::to_string(colourDepth) + "," + std::to_string(key1) + "," +
              std::to_string(key2) + ")");
    return script.cutscene ? script.cutscene(fileName, flags, width, height) : 1;
}

int HighScores(uint32_t score) {
    fake::Log("HighScores(" + std::to_string(score) + ")");
    return script.highScores ? script.highScores(score) : 1;
}

// Weak, so that a test linking the real level set-up gets that instead.
__attribute__((weak)) int LevelInit() {
    fake::Log("LevelInit");
    if (script.levelInit)
        return script.levelInit();
    // Stand in for the brain host: the player sprite moves to its own list.
    for (Layer* layer = gPage.layers.ptr; layer; layer = layer->next.ptr) {
        PtrPair<Sprite>* link = &layer->sprites;
        while (link->ptr) {
            Sprite* sprite = link->ptr;
            if (sprite->isPlayer == 1) {
                PtrPair<Sprite> moved = *link;
                *link = sprite->next;
                sprite->next = {};
                layer->players = moved;
                break;
            }
            link = &sprite->next;
        }
    }
    return 1;
}

int LevelEngine() {
    fake::Log("LevelEngine");
    return script.levelEngine ? script.levelEngine() : 1;
}

void LevelTeardown() {
    fake::Log("LevelTeardown");
    FreeLevel();
}

int InputInit() {
    return 1;
}
int InputCleanup() {
    return 1;
}
int HighScoresGetInput(uint32_t* bits) {
    *bits = 0;
    return 1;
}

extern "C" {
int32_t SoundFXInit(platform::Window*, ErrorInfo*, uint16_t, uint16_t, uint16_t) {
    return 1;
}
int32_t SoundFXCleanup() {
    return 1;
}
int32_t SoundFXClearCache() {
    fake::Log("SoundFXClearCache");
    return 1;
}
int32_t CDAudioInit(platform::Window*, ErrorInfo*) {
    return 1;
}
int32_t CDAudioCleanup() {
    return 1;
}
}
