// The high-score screen.
#include "engine/HighScores.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"

// Not built yet: the screen asks for its mode and reports that it cannot run.
int HighScores(uint32_t) {
    if (!GetDXSurfaces(640, 480, 16))
        return 0;
    FillError(&gErrorInfo, kErrorFatal, "HighScores", "HighScoresInit()",
              "Unable to show the high scores!");
    return 0;
}
