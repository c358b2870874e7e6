// The process-wide input record. The menu plug-in reads it in place, so its
// field order and widths are part of that contract.
#pragma once

#include "PlatformTypes.h"

#include <cstddef>
#include <cstdint>

struct Guid {
    uint8_t bytes[16];
};

// Extended joystick state: axes, sliders, hats, 128 buttons, then the
// velocity, acceleration and force blocks.
struct JoyState2 {
    int32_t x, y, z, rx, ry, rz;
    int32_t slider[2];
    uint32_t pov[4];
    uint8_t buttons[128];
    int32_t vx, vy, vz, vrx, vry, vrz;
    int32_t vslider[2];
    int32_t ax, ay, az, arx, ary, arz;
    int32_t aslider[2];
    int32_t fx, fy, fz, frx, fry, frz;
    int32_t fslider[2];
};
static_assert(sizeof(JoyState2) == 272);
static_assert(offsetof(JoyState2, buttons) == 48);

// Extended mouse state: three relative axes and eight buttons.
struct MouseState2 {
    int32_t x, y, z;
    uint8_t buttons[8];
};
static_assert(sizeof(MouseState2) == 20);

// Description of an attached input device, as enumeration reports it.
struct InputDeviceInstance {
    uint32_t size;
    Guid instanceGuid;
    Guid productGuid;
    uint32_t devType;
    char instanceName[260];
    char productName[260];
    Guid ffDriverGuid;
    uint16_t usagePage;
    uint16_t usage;
};

struct JoystickNode {
    platform::InputDevice* device;
    InputDeviceInstance instance;
    void* nextBlock;
    JoystickNode* next;
};

struct KeyBinding {
    uint8_t first;
    uint8_t second; // 0 = none
    uint8_t zero[2];
};
static_assert(sizeof(KeyBinding) == 4);

struct JoystickSlot {
    platform::InputDevice* device;
    JoyState2 state;
    JoyState2 previous;
};

struct InputState {
    platform::InputSystem* input;
    platform::InputDevice* keyboard;
    uint8_t keysNow[256]; // bit 7 set = down, indexed by scan code
    uint8_t keysBefore[256];
    int32_t joystickPresent;
    uint16_t joystickCount;
    KeyBinding keyBindings[16];
    KeyBinding secondBindings[16];
    platform::InputDevice* mouse;
    MouseState2 mouseState;
    JoystickSlot joystick1;
    JoystickSlot joystick2;
    JoystickNode* joystickList;
    void* joystickListBlock;
};

static_assert(offsetof(InputState, keysNow) == 16);
static_assert(offsetof(InputState, keysBefore) == 272);
static_assert(offsetof(InputState, joystickPresent) == 528);
static_assert(offsetof(InputState, joystickCount) == 532);
static_assert(offsetof(InputState, keyBindings) == 534);
static_assert(offsetof(InputState, secondBindings) == 598);
static_assert(sizeof(InputState::keyBindings) == 64 && sizeof(InputState::secondBindings) == 64);
static_assert(offsetof(InputState, mouseState) == offsetof(InputState, mouse) + sizeof(void*));
static_assert(offsetof(InputState, joystick2) ==
              offsetof(InputState, joystick1) + sizeof(void*) + 2 * sizeof(JoyState2));
static_assert(offsetof(JoystickSlot, state) == sizeof(void*) &&
              offsetof(JoystickSlot, previous) == sizeof(void*) + sizeof(JoyState2));
static_assert(offsetof(InputState, joystickListBlock) ==
              offsetof(InputState, joystickList) + sizeof(void*));
static_assert(offsetof(JoyState2, pov) == 32 && offsetof(JoyState2, vx) == 176);
static_assert(offsetof(MouseState2, buttons) == 12);
// The device description keeps the layout enumeration hands out.
static_assert(sizeof(InputDeviceInstance) == 580);
static_assert(offsetof(InputDeviceInstance, instanceName) == 40 &&
              offsetof(InputDeviceInstance, productName) == 300 &&
              offsetof(InputDeviceInstance, ffDriverGuid) == 560 &&
              offsetof(InputDeviceInstance, usagePage) == 576);
static_assert(offsetof(JoystickNode, instance) == sizeof(void*) &&
              offsetof(JoystickNode, next) == offsetof(JoystickNode, nextBlock) + sizeof(void*));
