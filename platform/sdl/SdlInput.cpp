// Live input on the sdl backend: the keyboard by scan code, the mouse, SDL
// joysticks and game controllers, and the window's focus.
#include "platform/Debug.h"
#include "platform/Files.h"
#include "platform/UserFiles.h"
#include "platform/input/InputBackend.h"
#include "platform/sdl/SdlHooks.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>

namespace platform::input {
namespace {

// Beside the preferences.
constexpr const char* kMappingsFile = "data\\gamecontrollerdb.txt";

struct ScanPair {
    SDL_Scancode sdl;
    uint8_t code;
};

// Every key of the keyboard, by its position; letters and digits are
// filled in below.
constexpr ScanPair kScanCodes[] = {
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_NONUSHASH, 0x2B},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},
    {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},
    {SDL_SCANCODE_SYSREQ, 0xB7},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_ENTER, 0x9C},
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_KP_COMMA, 0xB3},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_APPLICATION, 0xDD},
    {SDL_SCANCODE_POWER, 0xDE},
    {SDL_SCANCODE_SLEEP, 0xDF},
    {SDL_SCANCODE_MUTE, 0xA0},
    {SDL_SCANCODE_VOLUMEUP, 0xB0},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_MODE, 0xB8},
    {SDL_SCANCODE_AUDIONEXT, 0x99},
    {SDL_SCANCODE_AUDIOPREV, 0x90},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2},
    {SDL_SCANCODE_MEDIASELECT, 0xED},
    {SDL_SCANCODE_MAIL, 0xEC},
    {SDL_SCANCODE_CALCULATOR, 0xA1},
    {SDL_SCANCODE_COMPUTER, 0xEB},
    {SDL_SCANCODE_AC_SEARCH, 0xE5},
    {SDL_SCANCODE_AC_HOME, 0xB2},
    {SDL_SCANCODE_AC_BACK, 0xEA},
    {SDL_SCANCODE_AC_FORWARD, 0xE9},
    {SDL_SCANCODE_AC_STOP, 0xE8},
    {SDL_SCANCODE_AC_REFRESH, 0xE7},
    {SDL_SCANCODE_AC_BOOKMARKS, 0xE6},
};

struct ScanTable {
    uint8_t code[SDL_NUM_SCANCODES] = {};
    ScanTable() {
        static const uint8_t kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                             0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                             0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        for (int i = 0; i < 26; ++i)
            code[SDL_SCANCODE_A + i] = kLetters[i];
        for (int i = 0; i < 10; ++i) // 1..9 then 0, as on the keyboard
            code[SDL_SCANCODE_1 + i] = static_cast<uint8_t>(0x02 + i);
        for (const ScanPair& p : kScanCodes)
            code[p.sdl] = p.code;
    }
};

const ScanTable& Scan() {
    static const ScanTable table;
    return table;
}

std::atomic<uint64_t> gFocusLosses{0};
std::atomic<int32_t> gMouseX{0}, gMouseY{0}, gMouseZ{0};
// Keys pressed since the last read, by scan code: a key pressed and let go
// between two reads is gone from SDL's keyboard state, but the game must
// still see it down once.
std::atomic<uint8_t> gPressed[256];
std::atomic<uint64_t> gArrivals{0};

void OnEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (!event.key.repeat && event.key.keysym.scancode < SDL_NUM_SCANCODES)
            if (uint8_t code = Scan().code[event.key.keysym.scancode])
                gPressed[code] = 0x80;
        break;
    case SDL_JOYDEVICEADDED:
        ++gArrivals;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            ++gFocusLosses;
            for (auto& pressed : gPressed)
                pressed = 0;
        }
        break;
    case SDL_MOUSEMOTION:
        gMouseX += event.motion.xrel;
        gMouseY += event.motion.yrel;
        break;
    case SDL_MOUSEWHEEL:
        gMouseZ += event.wheel.y * 120;
        break;
    default:
        break;
    }
}

int32_t Axis(int16_t v) {
    return v >= 0 ? v * 10000 / 32767 : v * 10000 / 32768;
}
int32_t Trigger(int16_t v) {
    return std::max<int32_t>(0, v) * 20000 / 32767 - 10000;
}

uint32_t HatAngle(bool up, bool right, bool down, bool left) {
    if (up && right)
        return 4500;
    if (right && down)
        return 13500;
    if (down && left)
        return 22500;
    if (left && up)
        return 31500;
    if (up)
        return 0;
    if (right)
        return 9000;
    if (down)
        return 18000;
    if (left)
        return 27000;
    return kPovCentred;
}

void MakeGuid(Guid* guid, SDL_JoystickID id) {
    std::memset(guid->bytes, 0, sizeof(guid->bytes));
    std::memcpy(guid->bytes, "VRASKSDL", 8);
    std::memcpy(guid->bytes + 8, &id, sizeof(id));
}

class SdlJoystick final : public LiveJoystick {
  public:
    SdlJoystick(SDL_GameController* pad, SDL_Joystick* joystick) : pad_(pad), joy_(joystick) {}
    ~SdlJoystick() override {
        if (pad_)
            SDL_GameControllerClose(pad_);
        else if (joy_)
            SDL_JoystickClose(joy_);
    }

    bool Read(RawJoystick* out) override {
        *out = CentredJoystick();
        if (pad_) {
            if (!SDL_GameControllerGetAttached(pad_))
                return false;
            auto axis = [&](SDL_GameControllerAxis a) {
                return SDL_GameControllerGetAxis(pad_, a);
            };
            out->axes[0] = Axis(axis(SDL_CONTROLLER_AXIS_LEFTX));
            out->axes[1] = Axis(axis(SDL_CONTROLLER_AXIS_LEFTY));
            out->axes[2] = Trigger(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT));
            out->axes[3] = Axis(axis(SDL_CONTROLLER_AXIS_RIGHTX));
            out->axes[4] = Axis(axis(SDL_CONTROLLER_AXIS_RIGHTY));
            out->axes[5] = Trigger(axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
            static const SDL_GameControllerButton kButtons[] = {
                SDL_CONTROLLER_BUTTON_A,
                SDL_CONTROLLER_BUTTON_B,
                SDL_CONTROLLER_BUTTON_X,
                SDL_CONTROLLER_BUTTON_Y,
                SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                SDL_CONTROLLER_BUTTON_BACK,
                SDL_CONTROLLER_BUTTON_START,
                SDL_CONTROLLER_BUTTON_LEFTSTICK,
                SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                SDL_CONTROLLER_BUTTON_GUIDE,
            };
            for (size_t i = 0; i < sizeof(kButtons) / sizeof(kButtons[0]); ++i)
                out->buttons[i] = SDL_GameControllerGetButton(pad_, kButtons[i]) ? 0x80 : 0;
            auto down = [&](SDL_GameControllerButton b) {
                return SDL_GameControllerGetButton(pad_, b) != 0;
            };
            out->pov[0] = HatAngle(
                down(SDL_CONTROLLER_BUTTON_DPAD_UP), down(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                down(SDL_CONTROLLER_BUTTON_DPAD_DOWN), down(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
            return true;
        }
        if (!SDL_JoystickGetAttached(joy_))
            return false;
        int axes = std::min(SDL_JoystickNumAxes(joy_), kAxes);
        for (int i = 0; i < axes; ++i)
            out->axes[i] = Axis(SDL_JoystickGetAxis(joy_, i));
        int buttons = std::min(SDL_JoystickNumButtons(joy_), kButtons);
        for (int i = 0; i < buttons; ++i)
            out->buttons[i] = SDL_JoystickGetButton(joy_, i) ? 0x80 : 0;
        int hats = std::min(SDL_JoystickNumHats(joy_), kPovs);
        for (int i = 0; i < hats; ++i) {
            uint8_t h = SDL_JoystickGetHat(joy_, i);
            out->pov[i] =
                HatAngle(h & SDL_HAT_UP, h & SDL_HAT_RIGHT, h & SDL_HAT_DOWN, h & SDL_HAT_LEFT);
        }
        return true;
    }

  private:
    SDL_GameController* pad_;
    SDL_Joystick* joy_;
};

class SdlInput final : public InputBackend {
  public:
    explicit SdlInput(bool joysticks) : joysticks_(joysticks) {}

    void ReadKeyboard(uint8_t keys[256]) override {
        int count = 0;
        const uint8_t* state = SDL_GetKeyboardState(&count);
        count = std::min(count, static_cast<int>(SDL_NUM_SCANCODES));
        for (int i = 0; i < count; ++i)
            if (state[i] && Scan().code[i])
                keys[Scan().code[i]] = 0x80;
        for (int code = 1; code < 256; ++code)
            keys[code] |= gPressed[code].exchange(0);
    }

    void ReadMouse(MouseState2* out) override {
        out->x = gMouseX.exchange(0);
        out->y = gMouseY.exchange(0);
        out->z = gMouseZ.exchange(0);
        uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
        for (int i = 0; i < 5; ++i)
            out->buttons[i] = (buttons & SDL_BUTTON(i + 1)) ? 0x80 : 0;
        // The game's second button is the right one, the third the middle.
        std::swap(out->buttons[1], out->buttons[2]);
    }

    bool HasFocus() override {
        SDL_Window* window = SdlMainWindow();
        return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS);
    }

    uint64_t FocusLosses() override { return gFocusLosses; }

    void ListJoysticks(std::vector<InputDeviceInstance>* out) override {
        int count = joysticks_ ? SDL_NumJoysticks() : 0;
        for (int i = 0; i < count; ++i) {
            SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
            if (id < 0)
                continue;
            InputDeviceInstance info{};
            info.size = sizeof(info);
            MakeGuid(&info.instanceGuid, id);
            SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(i);
            std::memcpy(info.productGuid.bytes, product.data, sizeof(info.productGuid.bytes));
            bool pad = SDL_IsGameController(i);
            info.devType = 4 | ((pad ? 5u : 2u) << 8);
            const char* name =
                pad ? SDL_GameControllerNameForIndex(i) : SDL_JoystickNameForIndex(i);
            std::snprintf(info.instanceName, sizeof(info.instanceName), "%s",
                          name ? name : "Joystick");
            std::snprintf(info.productName, sizeof(info.productName), "%s",
                          name ? name : "Joystick");
            info.usagePage = 1;
            info.usage = pad ? 5 : 4;
            out->push_back(info);
        }
    }

    LiveJoystick* OpenJoystick(const Guid& instance) override {
        int count = joysticks_ ? SDL_NumJoysticks() : 0;
        for (int i = 0; i < count; ++i) {
            Guid guid;
            MakeGuid(&guid, SDL_JoystickGetDeviceInstanceID(i));
            if (std::memcmp(guid.bytes, instance.bytes, 16) != 0)
                continue;
            if (SDL_IsGameController(i)) {
                if (SDL_GameController* pad = SDL_GameControllerOpen(i))
                    return new SdlJoystick(pad, nullptr);
            }
            if (SDL_Joystick* joystick = SDL_JoystickOpen(i))
                return new SdlJoystick(nullptr, joystick);
            DebugPrintf("Input: cannot open joystick %d: %s\n", i, SDL_GetError());
            return nullptr;
        }
        return nullptr;
    }

    uint64_t JoystickArrivals() override { return gArrivals; }

  private:
    bool joysticks_;
};

// Controller mappings: the user's file beside the preferences, then
// SDL_GAMECONTROLLERCONFIG once more so that the variable wins over the file
// (SDL read it alone at start-up).
void LoadMappings() {
    char path[4096];
    std::string file = UserFileToRead(kMappingsFile, UserFolder::Config);
    if (FileExists(file.c_str()) && ResolvePath(file.c_str(), path, sizeof(path))) {
        int added = SDL_GameControllerAddMappingsFromFile(path);
        if (added < 0)
            DebugPrintf("Input: cannot read controller mappings %s: %s\n", path, SDL_GetError());
        else
            DebugPrintf("Input: %d controller mappings from %s\n", added, path);
    }
    if (const char* config = std::getenv("SDL_GAMECONTROLLERCONFIG")) {
        std::string lines = config;
        for (size_t at = 0; at < lines.size();) {
            size_t end = lines.find('\n', at);
            std::string line = lines.substr(at, end == std::string::npos ? end : end - at);
            at = end == std::string::npos ? lines.size() : end + 1;
            if (!line.empty() && line[0] != '#' && SDL_GameControllerAddMapping(line.c_str()) < 0)
                DebugPrintf("Input: SDL_GAMECONTROLLERCONFIG: %s\n", SDL_GetError());
        }
    }
}

} // namespace

} // namespace platform::input

namespace platform {
namespace {
// Virtual joysticks the tests plug in, opened to set their state.
std::vector<SDL_Joystick*> gVirtual;

int VirtualIndex(SDL_Joystick* joystick) {
    SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id)
            return i;
    return -1;
}
} // namespace

int PlugVirtualJoystick(const char* name, int axes, int buttons, char* guid) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        return -1;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = static_cast<Uint16>(buttons);
    // Mappings tell controllers apart by vendor and product: one product
    // number a name.
    uint16_t product = 0;
    for (const char* c = name; *c; ++c)
        product = static_cast<uint16_t>(product * 31 + static_cast<unsigned char>(*c));
    desc.vendor_id = 0x1209; // a vendor number free for tests
    desc.product_id = product;
    desc.name = name;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    SDL_Joystick* joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
    if (!joystick) {
        DebugPrintf("Input: no virtual joystick: %s\n", SDL_GetError());
        return -1;
    }
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, 33);
    gVirtual.push_back(joystick);
    return static_cast<int>(gVirtual.size() - 1);
}

bool SetVirtualJoystick(int handle, bool axis, int which, int value) {
    if (handle < 0 || static_cast<size_t>(handle) >= gVirtual.size() || !gVirtual[handle])
        return false;
    SDL_Joystick* joystick = gVirtual[handle];
    int r = axis ? SDL_JoystickSetVirtualAxis(joystick, which, static_cast<Sint16>(value))
                 : SDL_JoystickSetVirtualButton(joystick, which, static_cast<Uint8>(value));
    return r == 0;
}

void UnplugVirtualJoystick(int handle) {
    if (handle < 0 || static_cast<size_t>(handle) >= gVirtual.size() || !gVirtual[handle])
        return;
    int index = VirtualIndex(gVirtual[handle]);
    SDL_JoystickClose(gVirtual[handle]);
    gVirtual[handle] = nullptr;
    if (index >= 0)
        SDL_JoystickDetachVirtual(index);
}

} // namespace platform

namespace platform::input {

uint8_t ScanCodeFromSdl(int sdlScancode) {
    if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES)
        return 0;
    return Scan().code[sdlScancode];
}

InputBackend* CreateSdlInputBackend() {
    // Without joysticks the keyboard still works; say so and go on.
    bool joysticks = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!joysticks)
        DebugPrintf("Input: SDL joysticks unavailable: %s\n", SDL_GetError());
    else
        LoadMappings();
    SdlAddEventHook(OnEvent);
    return new SdlInput(joysticks);
}

} // namespace platform::input
