// The game's one window and its message queue. The window system's own events
// are pumped inside input reads and flips (PumpEvents), so the window stays
// responsive while a screen runs without the game servicing its queue.
#pragma once

#include <cstdint>

namespace platform {

class Window;

constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;

constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_OWNDC = 0x0020;

constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;

constexpr uint32_t PM_NOREMOVE = 0;
constexpr uint32_t PM_REMOVE = 1;

// Stock resources a class names.
enum StockResource : int32_t {
    IDI_APPLICATION = 32512,
    IDI_WINLOGO = 32517,
    IDC_ARROW = 32512,
    BLACK_BRUSH = 4,
};

struct Message {
    Window* window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

using WindowProc = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

struct WindowClass {
    uint32_t style;
    WindowProc proc;
    int32_t icon;
    int32_t smallIcon;
    int32_t cursor;
    int32_t background;
    const char* menuName;
    const char* className;
};

bool RegisterClass(const WindowClass* windowClass);
Window* CreateWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                     int x, int y, int width, int height, Window* parent, void* menu);
bool ShowWindow(Window* window, int showCommand);
bool UpdateWindow(Window* window);
// Sends WM_DESTROY to the window's procedure, then closes it.
bool DestroyWindow(Window* window);
const char* WindowTitle(Window* window);
const char* WindowClassName(Window* window);

// Takes at most one message (PM_REMOVE takes it off the queue).
bool PeekMessage(Message* message, Window* window, uint32_t filterMin, uint32_t filterMax,
                 uint32_t remove);
bool TranslateMessage(const Message* message);
intptr_t DispatchMessage(const Message* message);
intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool PostMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int exitCode);

// Services the window system (focus, resizing, closing). Screens call it
// through input reads and flips.
void PumpEvents();

// True once the user asked the game to end: the window's close button, the
// desktop's quit, or SIGINT/SIGTERM once the window exists (a second signal
// ends the process at once). Every screen then leaves as Escape would have
// it leave.
bool QuitRequested();
// While a quit is pending the keyboard reads Escape alone, going down and up
// on alternate reads, so that a menu plug-in, which reads the keyboard
// itself, leaves too. Fills `keys` so and returns true; false, leaving
// `keys` alone, when no quit is pending.
bool QuitKeys(uint8_t keys[256]);

int ShowCursor(bool show); // the display counter after the change
bool SetCursorPos(int x, int y);
int GetSystemMetrics(int index);
bool SetForegroundWindow(Window* window);
Window* GetForegroundWindow();

} // namespace platform
