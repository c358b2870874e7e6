// The sdl backend's window side of presenting: the window tells the presenter
// when it opens and before it closes. Only platform/ includes this.
#pragma once

#include <SDL.h>

namespace platform {

// Creates the renderer and shows black until the game presents.
void SdlPresenterWindowOpened(SDL_Window* window);
void SdlPresenterWindowClosing();

} // namespace platform
