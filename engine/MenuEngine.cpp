// The host of the menu plug-ins.
#include "engine/MenuEngine.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Modules.h"

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

// Preparing the page's surfaces, brains and plug-in needs the display; the
// first step asks for it and fails while there is none.
int MenuInit(int32_t) {
    if (!GetDXSurfaces(static_cast<int32_t>(gPage.screenWidth),
                       static_cast<int32_t>(gPage.screenHeight),
                       static_cast<int32_t>(gPage.colourDepth))) {
        MenuError("MenuInit()", "Unable to get surfaces!");
        return 0;
    }
    MenuError("MenuInit()", "Unable to create off-screen sysmem surface!");
    return 0;
}

void MenuPageCleanup() {
    CleanupPage(&gPage);
}

void MainMenuCleanup() {
    CleanupPage(&gMainMenuPage);
}
