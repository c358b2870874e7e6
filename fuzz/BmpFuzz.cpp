// BMP pictures through the platform loader and onto a surface, the way menu
// pages and the high-score background are shown.
#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Display.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("bmp");
    if (!fuzz::Display(640, 480, 16))
        return 0;
    static platform::Surface* surface = fuzz::PlainSurface(96, 64);
    fuzz::WriteFile("data/picture.bmp", data, size);
    gErrorInfo = ErrorInfo{};
    if (surface)
        ReLoadBitmap(surface, "data\\picture.bmp");
    gErrorInfo = ErrorInfo{};
    return 0;
}
