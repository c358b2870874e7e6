// A menu plug-in for tests. Each call is written to standard error as
// "[menu] ..." so an end-to-end test can follow the run. Loaded under a name
// starting with "Main" it is the main menu: shown before the first game page
// (caller context 0) it quits the game, unless VRASK_TEST_MENU_JUMP names a
// page to jump to the first time, and sets the music volume to
// VRASK_TEST_MENU_VOLUME when that is set. Any other page just returns, after
// VRASK_TEST_MENU_HOLD milliseconds when that is set (to look at the screen).
#include "common/InputState.h"
#include "common/Level.h"
#include "common/MenuControl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
MenuControl* gControl;
PageRecord* gPageRecord;
int gJumps;
bool gMain;
} // namespace

EXPORT int32_t MenuInit(DisplayHandles* display, InputState*, PageRecord* page, ErrorInfo*,
                        MenuControl* control) {
    gControl = control;
    gPageRecord = page;
    gMain = std::strncmp(page->menuModuleName, "Main", 4) == 0;
    std::fprintf(stderr, "[menu] init %s %ux%u surfaces=%s\n", page->menuModuleName,
                 page->screenWidth, page->screenHeight,
                 display && display->primary && display->back ? "yes" : "no");
    return 1;
}

#ifndef NO_ENGINE
EXPORT int32_t MenuEngine() {
    std::fprintf(stderr, "[menu] engine context=%u\n", gControl->callerContext);
    if (const char* hold = std::getenv("VRASK_TEST_MENU_HOLD"); hold && !gMain)
        usleep(static_cast<useconds_t>(std::atoi(hold)) * 1000);
    if (const char* volume = std::getenv("VRASK_TEST_MENU_VOLUME"); volume && gMain)
        gControl->musicVolume = static_cast<uint32_t>(std::atoi(volume));
    if (gMain && gControl->callerContext == 0) {
        const char* jump = std::getenv("VRASK_TEST_MENU_JUMP");
        if (jump && gJumps++ == 0) {
            gControl->jumpRequest = 1;
            gControl->targetPage = static_cast<uint16_t>(std::atoi(jump));
        } else {
            gControl->quitRequest = 1;
        }
    }
    return 1;
}
#endif

#ifndef NO_CLEANUP
EXPORT int32_t MenuCleanup() {
    std::fprintf(stderr, "[menu] cleanup\n");
    return 1;
}
#endif
