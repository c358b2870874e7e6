// Display surfaces and bitmap utilities.
//
// Until the display is built the display object cannot be created, so these
// report that there are no surfaces; nothing here pretends to draw.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"

#include <cstdlib>
#include <cstring>

namespace {

void UtilsError(uint16_t code, const char* location, const char* message) {
    FillError(&gErrorInfo, code, "VraskUtils", location, message);
}

void* gLoadScreenBlock;
Sprite* gLoadScreenSprite;

} // namespace

int GetDXSurfaces(int32_t, int32_t, int32_t) {
    if (!gDisplay.display) {
        UtilsError(kErrorFatal, "GetDXSurfaces()",
                   "Unable to obtain surfaces: No DirectDraw object!");
        return 0;
    }
    UtilsError(kErrorFatal, "GetDXSurfaces()", "Unable to set display mode!");
    return 0;
}

int ReLoadBitmap(platform::Surface*, const char* fileName) {
    FillError2(&gErrorInfo, kErrorFatal, "VraskUtils", "ReLoadBitmap()",
               "Unable to load bitmap:", fileName);
    return 0;
}

int ReLoadSprite(Sprite*) {
    UtilsError(kErrorFatal, "ReLoadSprite()", "Unable to create sprite DIBSection!");
    return 0;
}

int CopyBitmapToSurface(platform::Surface* surface, platform::Bitmap* bitmap, int32_t, int32_t,
                        int32_t, int32_t) {
    if (!surface || !bitmap) {
        UtilsError(kErrorFatal, "CopyBitmapToSurface()", "Unable to copy: no surface or bitmap!");
        return 0;
    }
    UtilsError(kErrorFatal, "CopyBitmapToSurface()", "Unable to obtain surface DC!");
    return 0;
}

int TakeScreenshot() {
    UtilsError(kErrorWarning, "TakeScreenshot()", "Unable to get surface description!");
    return 0;
}

int OpenBrowser(const char* target) {
    if (!target)
        return 0;
    // No shell yet: the launch fails without a result code of its own.
    UtilsError(kErrorWarning, "OpenBrowser()", "");
    return 0;
}

int LoadScreenInit() {
    gLoadScreenSprite = nullptr;
    void* block = nullptr;
    auto* sprite = static_cast<Sprite*>(AllocAligned(&block, sizeof(Sprite)));
    if (!sprite)
        return 0;
    CopyField(sprite->sheetFile, "qexags.012");
    if (LoadSprite(sprite, 0) != 1) {
        std::free(block);
        return 0;
    }
    gLoadScreenBlock = block;
    gLoadScreenSprite = sprite;
    return 1;
}

int LoadScreen() {
    return GetDXSurfaces(640, 480, 16);
}

int LoadScreenDone() {
    return 1;
}

void LoadScreenCleanup() {
    if (!gLoadScreenSprite)
        return;
    if (gLoadScreenSprite->surface)
        gLoadScreenSprite->surface->Release();
    std::free(gLoadScreenBlock);
    gLoadScreenBlock = nullptr;
    gLoadScreenSprite = nullptr;
}
