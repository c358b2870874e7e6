// Input devices, the input state and the action bits.
#include "engine/InputEngine.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "platform/Debug.h"
#include "platform/Input.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t kKeyEscape = 0x01;
constexpr int32_t kAxisThreshold = 5;

// Joysticks plugged in as of the last enumeration.
uint64_t gArrivalsSeen = 0;

void InputError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "InputEngine", location, message);
}

int InitFailed(const char* message) {
    InputError("InputInit()", message);
    InputCleanup();
    return 0;
}

void Release(platform::InputDevice** device) {
    if (*device) {
        (*device)->Unacquire();
        (*device)->Release();
        *device = nullptr;
    }
}

// Acquires a lost device again, one debugger line a try, for as long as it
// answers that the input is lost.
void Reacquire(platform::InputDevice* device, const char* screenName, const char* what) {
    platform::Result r;
    do {
        r = device->Acquire();
        platform::DebugPrintf("\n%s had to reacquire %s!\n", screenName, what);
    } while (r == platform::kInputLost);
}

// The state of a stick at rest: the axes at 0 (the centre of the range the
// set-up gives x and y), hats centred, no button down.
void CentreJoystick(JoyState2* state) {
    *state = JoyState2{};
    for (uint32_t& pov : state->pov)
        pov = 0xFFFFFFFF;
}

// Opens the joysticks as the set-up does, once one has been plugged in while
// none was open. A failure here costs the joystick, not the game: the record
// is left as it was and the debugger told.
void TakeUpJoysticks(const char* screenName) {
    InputState& s = gInputState;
    gArrivalsSeen = platform::JoystickArrivals();
    ErrorInfo before = gErrorInfo;
    int failed = 0;
    if (s.input->EnumDevices(platform::DIDEVTYPE_JOYSTICK, JoystickEnumerate, &failed,
                             platform::DIEDFL_ATTACHEDONLY) != platform::kOk ||
        failed == 1) {
        platform::DebugPrintf("\n%s could not take up a joystick: %s\n", screenName,
                              failed == 1 ? gErrorInfo.message : "enumeration failed");
        gErrorInfo = before;
        JoystickListFree();
        s.joystickCount = 0;
        return;
    }
    if (s.joystickCount == 0)
        return;
    s.joystick1.device = s.joystickList->device;
    s.joystick2.device = s.joystickCount > 1 ? s.joystickList->next->device : nullptr;
    s.joystickPresent = 1;
    platform::DebugPrintf("\n%s took up a joystick!\n", screenName);
}

bool KeyDown(uint8_t code) {
    return code != 0 && (gInputState.keysNow[code] & 0x80);
}

} // namespace

int InputInit() {
    InputState& s = gInputState;
    s.input = nullptr;
    s.keyboard = nullptr;
    s.mouse = nullptr;
    s.joystick1.device = nullptr;
    s.joystick2.device = nullptr;
    s.joystickList = nullptr;
    s.joystickListBlock = nullptr;
    s.joystickPresent = 0;
    s.joystickCount = 0;

    if (platform::CreateInput(gInstance, platform::DIRECTINPUT_VERSION, &s.input) !=
        platform::kOk) {
        s.input = nullptr;
        InputError("InputInit()", "Unable to create DirectInput object!");
        return 0;
    }

    if (s.input->CreateDevice(platform::GUID_SysKeyboard, &s.keyboard) != platform::kOk)
        return InitFailed("Unable to create keyboard object!");
    if (s.keyboard->SetDataFormat(platform::DataFormat::Keyboard) != platform::kOk)
        return InitFailed("Unable to set keyboard data format!");
    if (s.keyboard->SetCooperativeLevel(gMainWindow, platform::DISCL_EXCLUSIVE |
                                                         platform::DISCL_FOREGROUND |
                                                         platform::DISCL_NOWINKEY) != platform::kOk)
        return InitFailed("Unable to set keyboard cooperative level!");
    if (s.keyboard->Acquire() != platform::kOk)
        return InitFailed("Unable to acquire keyboard!");

    if (s.input->CreateDevice(platform::GUID_SysMouse, &s.mouse) != platform::kOk)
        return InitFailed("Unable to create mouse device!");
    if (s.mouse->SetDataFormat(platform::DataFormat::Mouse2) != platform::kOk)
        return InitFailed("Unable to set mouse data format!");
    if (s.mouse->SetCooperativeLevel(gMainWindow, platform::DISCL_EXCLUSIVE |
                                                      platform::DISCL_FOREGROUND) != platform::kOk)
        return InitFailed("Unable to set mouse cooperative level!");
    if (s.mouse->Acquire() != platform::kOk)
        return InitFailed("Unable to acquire mouse!");

    int failed = 0;
    if (s.input->EnumDevices(platform::DIDEVTYPE_JOYSTICK, JoystickEnumerate, &failed,
                             platform::DIEDFL_ATTACHEDONLY) != platform::kOk)
        return InitFailed("Unable to enumerate joystick devices!");
    if (failed == 1) {
        InputCleanup(); // the callback has said what went wrong
        return 0;
    }
    gArrivalsSeen = platform::JoystickArrivals();
    if (s.joystickCount == 0)
        return 1;
    s.joystick1.device = s.joystickList->device;
    if (s.joystickCount > 1)
        s.joystick2.device = s.joystickList->next->device;
    s.joystickPresent = 1;
    return 1;
}

int InputCleanup() {
    InputState& s = gInputState;
    Release(&s.keyboard);
    Release(&s.mouse);
    JoystickListFree();
    // The slots point at devices the list has just released.
    s.joystick1.device = nullptr;
    s.joystick2.device = nullptr;
    s.joystickPresent = 0;
    s.joystickCount = 0;
    if (s.input) {
        s.input->Release();
        s.input = nullptr;
    }
    return 1;
}

int JoystickEnumerate(const InputDeviceInstance* instance, void* context) {
    int* failed = static_cast<int*>(context);
    *failed = 0;
    platform::InputDevice* device = nullptr;
    const char* message = nullptr;

    platform::PropRange rangeX{
        {sizeof(rangeX), platform::DIJOFS_X, platform::DIPH_BYOFFSET}, -10000, 10000};
    platform::PropRange rangeY{
        {sizeof(rangeY), platform::DIJOFS_Y, platform::DIPH_BYOFFSET}, -10000, 10000};
    platform::PropDword deadZone{{sizeof(deadZone), 0, platform::DIPH_DEVICE}, 6000};
    platform::PropDword saturation{{sizeof(saturation), 0, platform::DIPH_DEVICE}, 10000};

    if (gInputState.input->CreateDevice(instance->instanceGuid, &device) != platform::kOk) {
        device = nullptr;
        message = "Unable to create joystick device!";
    } else if (device->SetDataFormat(platform::DataFormat::Joystick2) != platform::kOk) {
        message = "Unable to set joystick data format!";
    } else if (device->SetCooperativeLevel(gMainWindow, platform::DISCL_EXCLUSIVE |
                                                            platform::DISCL_FOREGROUND) !=
               platform::kOk) {
        message = "Unable to set joystick cooperative level!";
    } else if (device->SetProperty(platform::DIPROP_RANGE, &rangeX.header) != platform::kOk) {
        message = "Unable to set joystick range (x)!";
    } else if (device->SetProperty(platform::DIPROP_RANGE, &rangeY.header) != platform::kOk) {
        message = "Unable to set joystick range (y)!";
    } else if (device->SetProperty(platform::DIPROP_DEADZONE, &deadZone.header) != platform::kOk) {
        message = "Unable to set joystick dead zone!";
    } else if (device->SetProperty(platform::DIPROP_SATURATION, &saturation.header) !=
               platform::kOk) {
        message = "Unable to set joystick saturation!";
    } else if (device->Acquire() != platform::kOk) {
        message = "Unable to acquire joystick!";
    } else if (!AddJoystick(device, instance)) {
        message = "Unable to add joystick to list!";
    }

    if (message) {
        // The device is not in the list, so nothing else would release it.
        if (device) {
            device->Unacquire();
            device->Release();
        }
        *failed = 1;
        InputError("JoystickEnumerate()", message);
        return platform::DIENUM_STOP;
    }
    ++gInputState.joystickCount;
    return platform::DIENUM_CONTINUE;
}

int AddJoystick(platform::InputDevice* device, const InputDeviceInstance* instance) {
    void* block = nullptr;
    auto* node = static_cast<JoystickNode*>(AllocAligned(&block, sizeof(JoystickNode)));
    if (!node) {
        InputError("AddJoystick()", "Unable to obtain memory for joystick list!");
        return 0;
    }
    if (!gInputState.joystickList) {
        gInputState.joystickList = node;
        gInputState.joystickListBlock = block;
    } else {
        JoystickNode* last = gInputState.joystickList;
        while (last->next)
            last = last->next;
        last->next = node;
        last->nextBlock = block;
    }
    node->device = device;
    node->instance = *instance;
    return 1;
}

int JoystickListFree() {
    JoystickNode* node = gInputState.joystickList;
    void* block = gInputState.joystickListBlock;
    while (node) {
        Release(&node->device);
        JoystickNode* next = node->next;
        void* nextBlock = node->nextBlock;
        std::free(block);
        node = next;
        block = nextBlock;
    }
    gInputState.joystickList = nullptr;
    gInputState.joystickListBlock = nullptr;
    return 1;
}

void InputReadDevices(const char* screenName) {
    InputState& s = gInputState;
    // A device taken away reads as let go: keys held when the focus went (or
    // a stick held when it was unplugged) would otherwise stay down for good.
    if (s.keyboard &&
        s.keyboard->GetDeviceState(sizeof(s.keysNow), s.keysNow) == platform::kInputLost) {
        std::memset(s.keysNow, 0, sizeof(s.keysNow));
        Reacquire(s.keyboard, screenName, "keyboard");
    }
    if (s.joystickPresent != 1 && s.input && platform::JoystickArrivals() != gArrivalsSeen)
        TakeUpJoysticks(screenName);
    if (s.joystickPresent == 1 && s.joystick1.device) {
        platform::InputDevice* joystick = s.joystick1.device;
        if (joystick->Poll() == platform::kInputLost)
            Reacquire(joystick, screenName, "joystick");
        if (joystick->GetDeviceState(sizeof(s.joystick1.state), &s.joystick1.state) ==
            platform::kInputLost) {
            CentreJoystick(&s.joystick1.state);
            Reacquire(joystick, screenName, "joystick");
        }
    }
}

bool InputBindingDown(uint32_t entry) {
    if (entry >= 16)
        return false;
    const KeyBinding& binding = gInputState.keyBindings[entry];
    return KeyDown(binding.first) || KeyDown(binding.second);
}

int HighScoresGetInput(uint32_t* bits) {
    InputReadDevices("HighScores");
    uint32_t input = 0;
    if (gInputState.joystickPresent == 1) {
        const JoyState2& joy = gInputState.joystick1.state;
        if (joy.buttons[0])
            input |= kActionAttack;
        if (joy.buttons[1])
            input |= kActionJump;
        if (joy.x > kAxisThreshold)
            input |= kActionRight;
        else if (joy.x < -kAxisThreshold)
            input |= kActionLeft;
        if (joy.y > kAxisThreshold)
            input |= kActionDown;
        else if (joy.y < -kAxisThreshold)
            input |= kActionUp;
    }
    if (InputBindingDown(kBindAttack))
        input |= kActionAttack;
    if (InputBindingDown(kBindJump))
        input |= kActionJump;
    if (InputBindingDown(kBindDown))
        input |= kActionDown;
    else if (InputBindingDown(kBindUp))
        input |= kActionUp;
    if (InputBindingDown(kBindLeft))
        input |= kActionLeft;
    else if (InputBindingDown(kBindRight))
        input |= kActionRight;
    if (KeyDown(kKeyEscape))
        input |= kActionEscape;
    *bits = input;
    return 1;
}
