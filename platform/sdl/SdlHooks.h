// What the other parts of the sdl backend (display, input, sound) share:
// the window and a hook into the event pump. Only platform/ includes this.
#pragma once

#include <SDL.h>

namespace platform {

// The game's window, or null before it is created.
SDL_Window* SdlMainWindow();

// Hooks see every event the pump takes, in the order they were added.
using SdlEventHook = void (*)(const SDL_Event& event);
void SdlAddEventHook(SdlEventHook hook);

} // namespace platform
