#include "platform/Window.h"
#include "platform/Faults.h"
#include "platform/core/Backend.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace platform {

class Window {
  public:
    std::string className;
    std::string title;
    WindowProc proc = nullptr;
    bool open = true;
};

namespace {

struct WindowSystem {
    std::mutex lock;
    std::map<std::string, WindowClass> classes;
    std::deque<Message> queue;
    Window* main = nullptr;
    int cursorCount = 0;
};

volatile sig_atomic_t gSignalled;
std::atomic<bool> gCloseAsked;
std::atomic<uint32_t> gQuitReads;

void OnSignal(int) {
    gSignalled = 1;
}

// SIGINT and SIGTERM end the game as a close does. The handler runs once: a
// second signal takes its default course, for a game that does not listen.
void CatchQuitSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

WindowSystem& System() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

void Post(const Message& message) {
    WindowSystem& sys = System();
    std::lock_guard<std::mutex> guard(sys.lock);
    sys.queue.push_back(message);
}

} // namespace

bool RegisterClass(const WindowClass* windowClass) {
    if (!windowClass || !windowClass->className || !windowClass->proc || FaultHit("RegisterClass"))
        return false;
    WindowSystem& sys = System();
    std::lock_guard<std::mutex> guard(sys.lock);
    if (sys.classes.count(windowClass->className))
        return false; // already registered
    sys.classes[windowClass->className] = *windowClass;
    return true;
}

Window* CreateWindow(uint32_t, const char* className, const char* title, uint32_t, int, int,
                     int width, int height, Window*, void*) {
    if (!className || FaultHit("CreateWindow"))
        return nullptr;
    WindowSystem& sys = System();
    WindowProc proc;
    {
        std::lock_guard<std::mutex> guard(sys.lock);
        auto it = sys.classes.find(className);
        if (it == sys.classes.end())
            return nullptr;
        proc = it->second.proc;
    }
    if (!GetBackend()->OpenWindow(title ? title : "", width, height))
        return nullptr;
    CatchQuitSignals();
    auto* window = new Window;
    window->className = className;
    window->title = title ? title : "";
    window->proc = proc;
    std::lock_guard<std::mutex> guard(sys.lock);
    sys.main = window;
    return window;
}

bool ShowWindow(Window* window, int) {
    return window != nullptr;
}
bool UpdateWindow(Window* window) {
    return window != nullptr;
}

bool DestroyWindow(Window* window) {
    if (!window || !window->open)
        return false;
    window->proc(window, WM_DESTROY, 0, 0);
    window->open = false;
    GetBackend()->CloseWindow();
    // The handle stays valid (closed) so late posts to it are harmless.
    return true;
}

const char* WindowTitle(Window* window) {
    return window ? window->title.c_str() : "";
}
const char* WindowClassName(Window* window) {
    return window ? window->className.c_str() : "";
}

bool PeekMessage(Message* message, Window* window, uint32_t, uint32_t, uint32_t remove) {
    PumpEvents();
    WindowSystem& sys = System();
    std::lock_guard<std::mutex> guard(sys.lock);
    for (auto it = sys.queue.begin(); it != sys.queue.end(); ++it) {
        if (window && it->window && it->window != window)
            continue;
        *message = *it;
        if (remove & PM_REMOVE)
            sys.queue.erase(it);
        return true;
    }
    return false;
}

bool TranslateMessage(const Message* message) {
    return message != nullptr;
}

intptr_t DispatchMessage(const Message* message) {
    if (!message || !message->window || !message->window->open)
        return 0;
    return message->window->proc(message->window, message->message, message->wParam,
                                 message->lParam);
}

intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE)
        DestroyWindow(window);
    return 0;
}

bool PostMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Post(Message{window, message, wParam, lParam});
    return true;
}

void PostQuitMessage(int exitCode) {
    Post(Message{nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

void PumpEvents() {
    if (GetBackend()->Pump()) {
        gCloseAsked = true;
        WindowSystem& sys = System();
        Window* main;
        {
            std::lock_guard<std::mutex> guard(sys.lock);
            main = sys.main;
        }
        if (main)
            Post(Message{main, WM_CLOSE, 0, 0});
    }
}

bool QuitRequested() {
    return gSignalled != 0 || gCloseAsked;
}

bool QuitKeys(uint8_t keys[256]) {
    if (!QuitRequested())
        return false;
    std::memset(keys, 0, 256);
    if (gQuitReads++ % 2 == 0)
        keys[1] = 0x80; // Escape
    return true;
}

int ShowCursor(bool show) {
    WindowSystem& sys = System();
    int count;
    {
        std::lock_guard<std::mutex> guard(sys.lock);
        count = sys.cursorCount += show ? 1 : -1;
    }
    GetBackend()->SetCursorVisible(count >= 0);
    return count;
}

bool SetCursorPos(int x, int y) {
    GetBackend()->WarpCursor(x, y);
    return true;
}

int GetSystemMetrics(int index) {
    int width = 0, height = 0;
    GetBackend()->ScreenSize(&width, &height);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXMAXIMIZED:
        return width;
    case SM_CYSCREEN:
    case SM_CYMAXIMIZED:
        return height;
    default:
        return 0;
    }
}

bool SetForegroundWindow(Window* window) {
    return window != nullptr;
}

Window* GetForegroundWindow() {
    WindowSystem& sys = System();
    std::lock_guard<std::mutex> guard(sys.lock);
    return sys.main && GetBackend()->HasFocus() ? sys.main : nullptr;
}

} // namespace platform
