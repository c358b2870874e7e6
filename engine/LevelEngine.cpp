// Level set-up, the level main loop and tear-down.
#include "engine/LevelEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"

// Not built yet: the level asks for its mode and reports that it cannot run.
int LevelInit() {
    if (!GetDXSurfaces(static_cast<int32_t>(gPage.screenWidth),
                       static_cast<int32_t>(gPage.screenHeight),
                       static_cast<int32_t>(gPage.colourDepth)))
        return 0;
    FillError(&gErrorInfo, kErrorFatal, "LevelEngine", "LevelInit()", "Unable to start the level!");
    return 0;
}

int LevelEngine() {
    FillError(&gErrorInfo, kErrorFatal, "LevelEngine", "LevelEngine()", "Unable to run the level!");
    return 0;
}

// Frees every layer and releases the display surfaces.
void LevelTeardown() {
    FreeLevel();
    if (gDisplay.primary) {
        gDisplay.primary->Release();
        gDisplay.primary = nullptr;
        gDisplay.back = nullptr;
    }
}
