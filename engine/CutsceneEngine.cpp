// Movies of cutscene pages.
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"

// The movie player is not built yet: the page asks for its display mode and
// then reports that it cannot play.
int CutsceneEngine(const char* fileName, uint32_t, uint32_t width, uint32_t height,
                   uint32_t colourDepth, uint32_t, uint32_t) {
    if (!GetDXSurfaces(static_cast<int32_t>(width), static_cast<int32_t>(height),
                       static_cast<int32_t>(colourDepth)))
        return 0;
    FillError2(&gErrorInfo, kErrorFatal, "CutsceneEngine", "CutsceneEngine()",
               "Unable to play movie ", fileName);
    return 0;
}
