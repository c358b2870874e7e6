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
    static platform::Surface* surface = [] {
        platform::SurfaceDesc desc{};
        desc.size = sizeof(desc);
        desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
        desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;
        desc.width = 96;
        desc.height = 64;
        platform::Surface* s = nullptr;
        gDisplay.display->CreateSurface(&desc, &s, nullptr);
        return s;
    }();
    fuzz::WriteFile("data/picture.bmp", data, size);
    gErrorInfo = ErrorInfo{};
    if (surface)
        ReLoadBitmap(surface, "data\\picture.bmp");
    gErrorInfo = ErrorInfo{};
    return 0;
}
