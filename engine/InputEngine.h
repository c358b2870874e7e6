// Input devices, the input state and the action bits.
#pragma once

#include "common/InputState.h"

#include <cstdint>

// Action bits of a frame.
constexpr uint32_t kActionLeft = 0x01;
constexpr uint32_t kActionRight = 0x02;
constexpr uint32_t kActionUp = 0x04;
constexpr uint32_t kActionDown = 0x08;
constexpr uint32_t kActionJump = 0x10;
constexpr uint32_t kActionAttack = 0x20;
constexpr uint32_t kActionToggle = 0x100;
constexpr uint32_t kActionEscape = 0x200;

// Key-binding entries the game gives a meaning to.
enum : uint32_t {
    kBindAttack = 0,
    kBindUp = 2,
    kBindDown = 3,
    kBindLeft = 4,
    kBindRight = 5,
    kBindJump = 6,
};

int InputInit();
int InputCleanup();
int JoystickEnumerate(const InputDeviceInstance* instance, void* context);
int AddJoystick(platform::InputDevice* device, const InputDeviceInstance* instance);
int JoystickListFree();

// The device reads every screen makes once a frame: the keyboard into
// keysNow and, when present, the first joystick into its slot. A lost device
// reads as let go (no key down, the stick centred with no button) and is
// acquired again, with a debugger line naming the screen for each try.
void InputReadDevices(const char* screenName);
// True when either key of a binding entry is down in keysNow.
bool InputBindingDown(uint32_t entry);

int HighScoresGetInput(uint32_t* bits);
