#include "fuzz/FuzzSupport.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Window.h"

namespace fuzz {

platform::Window* MainWindow() {
    static platform::Window* window = [] {
        platform::WindowClass wc{};
        wc.proc = platform::DefWindowProc;
        wc.className = "VraskFuzz";
        platform::RegisterClass(&wc);
        return platform::CreateWindow(0, "VraskFuzz", "Fuzz", platform::WS_POPUP, 0, 0, 640, 480,
                                      nullptr, nullptr);
    }();
    gMainWindow = window;
    return window;
}

bool Display(int32_t width, int32_t height, int32_t bits) {
    MainWindow();
    if (!gDisplay.display && platform::CreateDisplay(&gDisplay.display) != platform::kOk)
        return false;
    return GetDXSurfaces(width, height, bits) == 1;
}

platform::Surface* PlainSurface(uint32_t width, uint32_t height) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;
    desc.width = width;
    desc.height = height;
    platform::Surface* surface = nullptr;
    gDisplay.display->CreateSurface(&desc, &surface, nullptr);
    return surface;
}

} // namespace fuzz
