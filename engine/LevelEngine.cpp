// The level main loop and tear-down.
#include "engine/LevelEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"

// The main loop needs the display, input and music; until they are built a
// level cannot run and says so.
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
