// What each backend provides to the platform core.
#pragma once

#include <cstdint>

namespace platform {

class BackendImpl {
  public:
    virtual ~BackendImpl() = default;
    virtual const char* Name() const = 0;
    // Shows a box and returns the button pressed (an ID* value), or 0 when no
    // box can be shown.
    virtual int ShowMessageBox(const char* text, const char* caption, uint32_t style) = 0;
    // The native side of the game's window.
    virtual bool OpenWindow(const char* title, int width, int height) = 0;
    virtual void CloseWindow() = 0;
    // Services the window system; true when the user asked to close the window.
    virtual bool Pump() = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void WarpCursor(int x, int y) = 0;
    virtual void ScreenSize(int* width, int* height) = 0;
    virtual bool HasFocus() = 0;
};

BackendImpl* GetBackend();
BackendImpl* CreateHeadlessBackend();
// Null when the real backend cannot start (no display); the core then falls
// back to the headless one and says so in the debug log.
BackendImpl* CreateSdlBackend();

} // namespace platform
