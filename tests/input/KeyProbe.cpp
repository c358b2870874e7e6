// Opens the game's window and keyboard and prints every change of the
// keyboard state as "<read> down|up 0x<scan code>", and "<read> focus
// lost|back" when the keyboard is taken away and acquired again, until
// Escape goes down or 3000 reads have passed. The read after B goes down
// comes a second late, so that keys can be tapped between two reads. argv[1] names the window. The
// key test drives it with xdotool under Xvfb, then replays its recording.
#include "platform/Clock.h"
#include "platform/Input.h"
#include "platform/Window.h"

#include <cstdio>
#include <cstring>

namespace {

intptr_t Proc(platform::Window* window, uint32_t message, uintptr_t w, intptr_t l) {
    return platform::DefWindowProc(window, message, w, l);
}

} // namespace

int main(int argc, char** argv) {
    const char* title = argc > 1 ? argv[1] : "Vrask key probe";
    platform::WindowClass wc{};
    wc.proc = Proc;
    wc.className = "VraskKeyProbe";
    platform::RegisterClass(&wc);
    platform::Window* window = platform::CreateWindow(0, "VraskKeyProbe", title, platform::WS_POPUP,
                                                      0, 0, 640, 480, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "cannot open the window\n");
        return 1;
    }
    platform::InputSystem* input = nullptr;
    platform::InputDevice* keyboard = nullptr;
    if (platform::CreateInput(nullptr, platform::DIRECTINPUT_VERSION, &input) != platform::kOk ||
        input->CreateDevice(platform::GUID_SysKeyboard, &keyboard) != platform::kOk ||
        keyboard->SetDataFormat(platform::DataFormat::Keyboard) != platform::kOk ||
        keyboard->SetCooperativeLevel(window, platform::DISCL_EXCLUSIVE |
                                                  platform::DISCL_FOREGROUND) != platform::kOk) {
        std::fprintf(stderr, "cannot set up the keyboard\n");
        return 1;
    }
    // The window may come up behind: wait until it has the focus.
    platform::Result r;
    int tries = 0;
    while ((r = keyboard->Acquire()) == platform::kOtherAppHasPrio && ++tries < 2000) {
        platform::PumpEvents();
        platform::Sleep(10);
    }
    if (r != platform::kOk) {
        std::fprintf(stderr, "cannot acquire the keyboard: %s\n", platform::ResultName(r));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    uint8_t before[256] = {};
    uint8_t now[256] = {};
    bool lost = false;
    for (int read = 0; read < 3000; ++read) {
        r = keyboard->GetDeviceState(sizeof(now), now);
        if (r == platform::kInputLost) {
            if (!lost)
                std::printf("%d focus lost\n", read);
            lost = true;
            while ((r = keyboard->Acquire()) == platform::kInputLost) {
            }
            if (r == platform::kOk) {
                std::printf("%d focus back\n", read);
                lost = false;
            }
        }
        for (int code = 0; code < 256; ++code)
            if ((now[code] ^ before[code]) & 0x80)
                std::printf("%d %s 0x%02X\n", read, now[code] & 0x80 ? "down" : "up", code);
        std::fflush(stdout);
        if (now[0x01] & 0x80)
            break;
        // B going down makes one slow frame, long enough for a whole tap.
        bool slow = (now[0x30] & 0x80) && !(before[0x30] & 0x80);
        std::memcpy(before, now, sizeof(now));
        platform::Sleep(slow ? 1000 : 10);
    }
    keyboard->Unacquire();
    keyboard->Release();
    input->Release();
    platform::DestroyWindow(window);
    return 0;
}
