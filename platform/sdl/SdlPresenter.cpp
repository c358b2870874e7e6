// Shows the game's visible buffer in the window: a streaming texture of the
// mode's size, drawn at the largest whole scale that fits (letterboxed below
// 1), full screen or windowed, Alt+Enter switching between the two.
#include "platform/sdl/SdlPresenter.h"
#include "platform/Debug.h"
#include "platform/display/Presenter.h"
#include "platform/sdl/SdlHooks.h"

#include <vector>

namespace platform {
namespace {

struct PresenterState {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    int modeWidth = 640, modeHeight = 480;
    bool hasFrame = false;
    bool hooked = false;
};

PresenterState gState;

void Draw() {
    if (!gState.renderer)
        return;
    SDL_SetRenderDrawColor(gState.renderer, 0, 0, 0, 255);
    SDL_RenderClear(gState.renderer);
    if (gState.hasFrame && gState.texture) {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(gState.renderer, &w, &h);
        display::Viewport v = display::FitViewport(w, h, gState.textureWidth, gState.textureHeight);
        bool whole = v.width % gState.textureWidth == 0 && v.height % gState.textureHeight == 0;
        SDL_SetTextureScaleMode(gState.texture, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        SDL_Rect dst{v.x, v.y, v.width, v.height};
        SDL_RenderCopy(gState.renderer, gState.texture, nullptr, &dst);
    }
    SDL_RenderPresent(gState.renderer);
}

void ToggleFullScreen() {
    if (!gState.window)
        return;
    bool full = SDL_GetWindowFlags(gState.window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(gState.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (full)
        SDL_SetWindowSize(gState.window, gState.modeWidth, gState.modeHeight);
    DebugPrintf("Display: %s\n", full ? "windowed" : "full screen");
    Draw();
}

void OnEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && !event.key.repeat && (event.key.keysym.mod & KMOD_ALT) &&
        (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER)) {
        ToggleFullScreen();
    } else if (event.type == SDL_WINDOWEVENT &&
               (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        Draw();
    }
}

class SdlPresenter final : public display::Presenter {
  public:
    void SetMode(int width, int height) override {
        gState.modeWidth = width;
        gState.modeHeight = height;
        if (gState.window && !(SDL_GetWindowFlags(gState.window) & SDL_WINDOW_FULLSCREEN_DESKTOP))
            SDL_SetWindowSize(gState.window, width, height);
    }

    // The picture is converted straight into the streaming texture.
    void Present(const display::View& picture, const GammaRamp& ramp) override {
        if (!gState.renderer)
            return;
        int width = picture.width, height = picture.height;
        if (!gState.texture || gState.textureWidth != width || gState.textureHeight != height) {
            if (gState.texture)
                SDL_DestroyTexture(gState.texture);
            gState.texture = SDL_CreateTexture(gState.renderer, SDL_PIXELFORMAT_RGB888,
                                               SDL_TEXTUREACCESS_STREAMING, width, height);
            if (!gState.texture) {
                DebugPrintf("Display: cannot create texture: %s\n", SDL_GetError());
                return;
            }
            gState.textureWidth = width;
            gState.textureHeight = height;
        }
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(gState.texture, nullptr, &pixels, &pitch) != 0) {
            DebugPrintf("Display: cannot lock texture: %s\n", SDL_GetError());
            return;
        }
        display::ConvertForPresent(picture, ramp, static_cast<uint32_t*>(pixels), pitch);
        SDL_UnlockTexture(gState.texture);
        gState.hasFrame = true;
        Draw();
    }
};

} // namespace

void SdlPresenterWindowOpened(SDL_Window* window) {
    gState.window = window;
    gState.renderer = SDL_CreateRenderer(window, -1, 0);
    if (!gState.renderer)
        DebugPrintf("Display: cannot create renderer: %s\n", SDL_GetError());
    if (!gState.hooked) {
        SdlAddEventHook(OnEvent);
        gState.hooked = true;
    }
    gState.hasFrame = false;
    Draw();
}

void SdlPresenterWindowClosing() {
    if (gState.texture)
        SDL_DestroyTexture(gState.texture);
    if (gState.renderer)
        SDL_DestroyRenderer(gState.renderer);
    gState.texture = nullptr;
    gState.renderer = nullptr;
    gState.window = nullptr;
    gState.hasFrame = false;
}

namespace display {

Presenter* CreateSdlPresenter() {
    return new SdlPresenter;
}

} // namespace display

} // namespace platform
