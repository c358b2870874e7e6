// The real backend: an SDL window on the desktop, SDL message boxes.
#include "platform/Debug.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/core/Backend.h"
#include "platform/sdl/SdlHooks.h"
#include "platform/sdl/SdlPresenter.h"

#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <vector>

#include <SDL.h>
#include <SDL_syswm.h>

namespace platform {
namespace {

SDL_Window* gWindow;
std::mutex gHookLock;
std::vector<SdlEventHook> gHooks;

// A window can be destroyed under the game (a window manager's or a tool's
// close): the X server then answers later calls on it, or on what SDL looks
// up through it, with BadWindow or BadDrawable, which Xlib's default handler
// turns into an exit. Those are only logged, as is any error once the game's
// window is known gone; its destruction reads as a close.
using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);
XErrorHandlerFn gPreviousXHandler;
std::atomic<unsigned long> gXWindow;
std::atomic<bool> gXWindowGone;
std::atomic<bool> gXErrorLogged;

int OnXError(Display* display, XErrorEvent* error) {
    if (gXWindow != 0 && error->resourceid == gXWindow)
        gXWindowGone = true;
    bool missing = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (!missing && !gXWindowGone)
        return gPreviousXHandler ? gPreviousXHandler(display, error) : 0;
    if (!gXErrorLogged.exchange(true))
        DebugPrintf("Platform: the window is gone (X error %d)\n", error->error_code);
    return 0;
}

// The X window behind the SDL one; the renderer may have made a new one.
unsigned long XWindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

void WatchXWindow(SDL_Window* window) {
    if (XWindowOf(window) == 0)
        return;
    // Xlib is SDL's, loaded by it; the game does not link it.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    auto setHandler = xlib ? reinterpret_cast<XErrorHandlerFn (*)(XErrorHandlerFn)>(
                                 dlsym(xlib, "XSetErrorHandler"))
                           : nullptr;
    if (!setHandler) {
        DebugPrintf("Platform: no X error handler: %s\n", dlerror());
        return;
    }
    gXWindow = XWindowOf(window);
    XErrorHandlerFn previous = setHandler(OnXError);
    if (previous != OnXError)
        gPreviousXHandler = previous;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void SyncX(Display* display) {
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (auto sync = xlib ? reinterpret_cast<int (*)(Display*, int)>(dlsym(xlib, "XSync")) : nullptr)
        sync(display, 0);
}

bool XWindowDestroyed(const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg ||
        event.syswm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    if (x.type != DestroyNotify || gXWindow == 0 || x.xdestroywindow.window != gXWindow)
        return false;
    gXWindowGone = true;
    return true;
}

class SdlBackend final : public BackendImpl {
  public:
    ~SdlBackend() override {
        CloseWindow();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    const char* Name() const override { return "sdl"; }

    int ShowMessageBox(const char* text, const char* caption, uint32_t style) override {
        struct Choice {
            int id;
            const char* label;
        };
        static const Choice kSets[][3] = {
            {{IDOK, "OK"}, {0, nullptr}, {0, nullptr}},
            {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {0, nullptr}},
            {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}},
            {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}},
            {{IDYES, "Yes"}, {IDNO, "No"}, {0, nullptr}},
            {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}, {0, nullptr}},
        };
        uint32_t set = style & 0xF;
        if (set >= sizeof(kSets) / sizeof(kSets[0]))
            set = 0;
        SDL_MessageBoxButtonData buttons[3];
        int count = 0;
        for (const Choice& c : kSets[set]) {
            if (!c.label)
                break;
            buttons[count].flags = 0;
            if (count == 0)
                buttons[count].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (c.id == IDCANCEL || (count > 0 && set <= MB_OKCANCEL))
                buttons[count].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            buttons[count].buttonid = c.id;
            buttons[count].text = c.label;
            ++count;
        }
        if (set == MB_OK)
            buttons[0].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        uint32_t flags = 0;
        switch (style & 0xF0) {
        case MB_ICONHAND:
            flags = SDL_MESSAGEBOX_ERROR;
            break;
        case MB_ICONEXCLAMATION:
            flags = SDL_MESSAGEBOX_WARNING;
            break;
        case MB_ICONASTERISK:
        case MB_ICONQUESTION:
            flags = SDL_MESSAGEBOX_INFORMATION;
            break;
        default:
            break;
        }
        // A full-screen window would hide the box; step out of full screen.
        if (window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP))
            SDL_SetWindowFullscreen(window_, 0);
        SDL_MessageBoxData data{};
        data.flags = flags;
        data.window = window_;
        data.title = caption;
        data.message = text;
        data.numbuttons = count;
        data.buttons = buttons;
        int pressed = 0;
        if (SDL_ShowMessageBox(&data, &pressed) != 0) {
            DebugPrintf("Platform: message box failed: %s\n", SDL_GetError());
            return 0;
        }
        return pressed > 0 ? pressed : 0;
    }

    bool OpenWindow(const char* title, int width, int height) override {
        if (window_)
            return true;
        uint32_t flags = SDL_WINDOW_SHOWN;
        if (GetSettings().windowed) {
            flags |= SDL_WINDOW_RESIZABLE;
            width = 640;
            height = 480;
        } else {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        }
        window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                   height, flags);
        if (!window_) {
            DebugPrintf("Platform: cannot create window: %s\n", SDL_GetError());
            return false;
        }
        gWindow = window_;
        WatchXWindow(window_);
        SdlPresenterWindowOpened(window_);
        TakeFocus();
        return true;
    }

    void CloseWindow() override {
        if (window_) {
            if (!presenterStopped_)
                SdlPresenterWindowClosing();
            SDL_SysWMinfo info;
            SDL_VERSION(&info.version);
            bool x11 = SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11;
            SDL_DestroyWindow(window_);
            // A window destroyed under the game answers its destruction with
            // an error: collected here, while the game's handler is in place.
            if (x11)
                SyncX(info.info.x11.display);
            gXWindow = 0;
            window_ = nullptr;
            gWindow = nullptr;
        }
    }

    bool Pump() override {
        bool closeRequested = false;
        if (gXWindow != 0 && window_)
            gXWindow = XWindowOf(window_);
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT || XWindowDestroyed(event))
                closeRequested = true;
            StopDrawingIfGone();
            std::vector<SdlEventHook> hooks;
            {
                std::lock_guard<std::mutex> guard(gHookLock);
                hooks = gHooks;
            }
            for (SdlEventHook hook : hooks)
                hook(event);
        }
        if (StopDrawingIfGone())
            closeRequested = true;
        return closeRequested;
    }

    void SetCursorVisible(bool visible) override {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    void WarpCursor(int x, int y) override {
        if (window_)
            SDL_WarpMouseInWindow(window_, x, y);
    }

    void ScreenSize(int* width, int* height) override {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            *width = mode.w;
            *height = mode.h;
        } else {
            *width = 640;
            *height = 480;
        }
    }

    bool HasFocus() override {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS);
    }

  private:
    // Nothing is drawn into a window that is gone: the GL driver's threads
    // would write into buffers the server no longer has. True once it is.
    bool StopDrawingIfGone() {
        if (gXWindowGone && !presenterStopped_) {
            SdlPresenterWindowClosing();
            presenterStopped_ = true;
        }
        return presenterStopped_;
    }

    // A new window comes up in front, as the game expects of its own: its
    // devices are acquired for the foreground right after. Without a window
    // manager (a bare X server) nobody else would give it the focus.
    void TakeFocus() {
        SDL_RaiseWindow(window_);
        SDL_SetWindowInputFocus(window_);
        uint32_t start = SDL_GetTicks();
        while (!HasFocus() && SDL_GetTicks() - start < 1000) {
            Pump();
            SDL_Delay(5);
        }
        if (!HasFocus())
            DebugPrintf("Platform: the window did not get the focus\n");
    }

    SDL_Window* window_ = nullptr;
    bool presenterStopped_ = false;
};

} // namespace

SDL_Window* SdlMainWindow() {
    return gWindow;
}

void SdlAddEventHook(SdlEventHook hook) {
    std::lock_guard<std::mutex> guard(gHookLock);
    gHooks.push_back(hook);
}

BackendImpl* CreateSdlBackend() {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // SIGINT and SIGTERM are the platform's own, on either backend.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        DebugPrintf("Platform: SDL video unavailable: %s\n", SDL_GetError());
        return nullptr;
    }
    return new SdlBackend;
}

} // namespace platform
