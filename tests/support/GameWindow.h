// What the entry does before a screen can run, for the drivers that show one
// screen by itself: the game's window, the display object and its level.
#pragma once

#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "platform/Display.h"
#include "platform/Window.h"

// 0 when all is there, else what is missing.
inline const char* OpenGameWindowAndDisplay() {
    platform::WindowClass windowClass{};
    windowClass.proc = VraskWindowProc;
    windowClass.className = "Vrask Engine";
    platform::RegisterClass(&windowClass);
    gMainWindow = platform::CreateWindow(
        0, "Vrask Engine", "Korvid Vrask Engine", platform::WS_POPUP | platform::WS_VISIBLE, 0, 0,
        platform::GetSystemMetrics(platform::SM_CXSCREEN),
        platform::GetSystemMetrics(platform::SM_CYMAXIMIZED), nullptr, nullptr);
    if (!gMainWindow)
        return "no window";
    if (platform::CreateDisplay(&gDisplay.display) != platform::kOk)
        return "no display object";
    gDisplay.display->SetCooperativeLevel(
        gMainWindow, platform::DDSCL_FULLSCREEN | platform::DDSCL_EXCLUSIVE |
                         platform::DDSCL_ALLOWREBOOT | platform::DDSCL_ALLOWMODEX);
    return nullptr;
}
