// The host of the menu plug-ins.
#include "engine/MenuEngine.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Modules.h"

#include <cstdio>
#include <cstring>

namespace {

void MenuError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "MenuEngine", location, message);
}

void CleanupPage(PageRecord* page) {
    if (page->menuPages.ptr)
        FreeMenuPages(page);
    if (page->menuCleanup)
        page->menuCleanup();
    if (page->menuModule)
        platform::ModuleUnload(static_cast<platform::Module*>(page->menuModule));
    std::memset(page, 0, sizeof(*page));
}

} // namespace

int MainMenuInit() {
    std::memset(&gMainMenuPage, 0, sizeof(gMainMenuPage));
    if (!LoadLevel(0)) {
        MenuError("MainMenuInit()", "Unable to load main menu!");
        return 0;
    }
    if (gPage.type != kPageMenu) {
        MenuError("MainMenuInit()", "Unable to load main menu: not a menu type!");
        return 0;
    }
    if (!MenuInit(1))
        return 0;
    gMainMenuPage = gPage;
    std::memset(&gPage, 0, sizeof(gPage));
    if (gDisplay.primary) {
        gDisplay.primary->Release(); // the back buffer goes with its chain
        gDisplay.primary = nullptr;
        gDisplay.back = nullptr;
    }
    return 1;
}

namespace {

// Menu sprites' brains live under "\game\data\", from the root; where the
// game is installed elsewhere they are taken from its own data folder.
platform::Module* LoadMenuBrain(const char* brainFile) {
    if (!platform::NameStaysInside(brainFile))
        return nullptr;
    char path[12 + sizeof(Sprite::brainFile)];
    std::snprintf(path, sizeof(path), "\\game\\data\\%s", brainFile);
    if (platform::Module* module = platform::ModuleLoad(path))
        return module;
    std::snprintf(path, sizeof(path), "data\\%s", brainFile);
    return platform::ModuleLoad(path);
}

// Loads a menu sprite's sheet and brain; every brain takes the six-argument
// form, so a brain marked as a player's is refused.
bool PrepareMenuSprite(Sprite* sprite, int32_t isMainMenu) {
    if (!LoadSprite(sprite, isMainMenu))
        return false;
    if (!sprite->brainFile[0]) {
        sprite->brainModule = nullptr;
        sprite->think = nullptr;
        return true;
    }
    platform::Module* module = LoadMenuBrain(sprite->brainFile);
    if (!module) {
        MenuError("MenuInit()", "Unable to load brain DLL!");
        return false;
    }
    auto init = reinterpret_cast<BrainInitializeFn>(platform::ModuleSymbol(module, "Initialize"));
    // A player brain has no six-argument entry to call.
    if (!init || platform::ModuleSymbol(module, kPlayerBrainMark)) {
        MenuError("MenuInit()", "Unable to get brain Initialization function!");
        platform::ModuleUnload(module);
        return false;
    }
    if (!init(gPage.layers.ptr, sprite, &gFrameControl, gPage.screenWidth, gPage.screenHeight,
              &gErrorInfo)) {
        platform::ModuleUnload(module);
        return false;
    }
    sprite->think = reinterpret_cast<BrainThinkFn>(platform::ModuleSymbol(module, "Think"));
    sprite->labotamize =
        reinterpret_cast<BrainLabotamizeFn>(platform::ModuleSymbol(module, "Labotamize"));
    if (!sprite->think || !sprite->labotamize) {
        MenuError("MenuInit()",
                  sprite->think ? "Labotomy function failed!" : "Unable to get brain AI function!");
        platform::ModuleUnload(module);
        sprite->think = nullptr;
        sprite->labotamize = nullptr;
        return false;
    }
    sprite->brainModule = module;
    return true;
}

bool PreparePageSurface(MenuPage* page, int32_t isMainMenu) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps =
        platform::DDSCAPS_OFFSCREENPLAIN | (isMainMenu == 1 ? platform::DDSCAPS_SYSTEMMEMORY : 0);
    desc.width = gPage.screenWidth;
    desc.height = gPage.screenHeight;
    platform::Surface* surface = nullptr;
    if (gDisplay.display->CreateSurface(&desc, &surface, nullptr) != platform::kOk) {
        MenuError("MenuInit()", "Unable to create off-screen sysmem surface!");
        return false;
    }
    page->surface = surface;
    char path[5 + sizeof(page->name2)];
    std::snprintf(path, sizeof(path), "data\\%s", page->name2);
    // A page without its picture still runs, so its failure must not stay
    // in the record: shutdown would take it for an error and skip saving
    // the preferences.
    // A name outside the game folder is refused (and traced) like a missing
    // picture.
    ErrorInfo before = gErrorInfo;
    if (platform::NameStaysInside(page->name2) && !ReLoadBitmap(surface, path)) {
        char line[sizeof(gErrorInfo.message) + 2];
        std::snprintf(line, sizeof(line), "\n%s\n", gErrorInfo.message);
        platform::OutputDebugString(line);
        gErrorInfo = before;
    }
    return true;
}

bool LoadMenuPlugin() {
    if (!gPage.menuModuleName[0]) {
        MenuError("MenuInit()", "Unable to load menu dll: no dll specified!");
        return false;
    }
    char path[5 + sizeof(gPage.menuModuleName)];
    std::snprintf(path, sizeof(path), "data\\%s", gPage.menuModuleName);
    bool inside = platform::NameStaysInside(gPage.menuModuleName);
    platform::Module* module = inside ? platform::ModuleLoad(path) : nullptr;
    if (!module) {
        FillError2(&gErrorInfo, kErrorFatal, "MenuEngine", "MenuInit()", "Unable to load menu DLL!",
                   inside ? platform::ModuleLastError() : " Its name leaves the game folder.");
        return false;
    }
    static const char* const kMissing[] = {"Unable to get MenuInit function pointer!",
                                           "Unable to get MenuEngine function pointer!",
                                           "Unable to get MenuCleanup function pointer!"};
    void* entries[3] = {platform::ModuleSymbol(module, "MenuInit"),
                        platform::ModuleSymbol(module, "MenuEngine"),
                        platform::ModuleSymbol(module, "MenuCleanup")};
    for (int i = 0; i < 3; ++i) {
        if (!entries[i]) {
            MenuError("MenuInit()", kMissing[i]);
            platform::ModuleUnload(module);
            return false;
        }
    }
    gPage.menuModule = module;
    gPage.menuInit = reinterpret_cast<MenuInitFn>(entries[0]);
    gPage.menuEngine = reinterpret_cast<MenuEngineFn>(entries[1]);
    gPage.menuCleanup = reinterpret_cast<MenuCleanupFn>(entries[2]);
    return true;
}

} // namespace

int MenuInit(int32_t isMainMenu) {
    if (!GetDXSurfaces(static_cast<int32_t>(gPage.screenWidth),
                       static_cast<int32_t>(gPage.screenHeight),
                       static_cast<int32_t>(gPage.colourDepth))) {
        MenuError("MenuInit()", "Unable to get surfaces!");
        return 0;
    }
    for (MenuPage* page = gPage.menuPages.ptr; page; page = page->next.ptr)
        for (Sprite* sprite = page->sprites.ptr; sprite; sprite = sprite->next.ptr)
            if (!PrepareMenuSprite(sprite, isMainMenu))
                return 0;
    for (MenuPage* page = gPage.menuPages.ptr; page; page = page->next.ptr)
        if (!PreparePageSurface(page, isMainMenu))
            return 0;
    return LoadMenuPlugin() ? 1 : 0;
}

void MenuPageCleanup() {
    CleanupPage(&gPage);
}

void MainMenuCleanup() {
    CleanupPage(&gMainMenuPage);
}
