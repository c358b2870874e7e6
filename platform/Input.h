// Keyboard, mouse and joysticks. An input object lists the attached devices
// and creates them; a device is given a data format and a cooperative level,
// acquired, then polled and read as a fixed-size snapshot.
//
// Devices acquired in the foreground are taken away when the window loses
// the focus: the next read answers kInputLost, and acquiring while the window
// is in the background answers kOtherAppHasPrio.
//
// A joystick device whose joystick is unplugged reads kInputLost and
// acquires kUnplugged until that joystick, or another that no device is
// made on, is plugged in: the acquire then takes it up.
//
// VRASK_INPUT=<file> drives the keyboard and faked joysticks from a script,
// VRASK_RECORD=<file> writes what was read in the same format, and
// VRASK_JOYSTICKS=<n> attaches n faked joysticks (docs/input.md).
#pragma once

#include "common/InputState.h"
#include "platform/Object.h"
#include "platform/Result.h"

#include <cstdint>

namespace platform {

class Window;

constexpr uint32_t DIRECTINPUT_VERSION = 0x0700;

// Device types, as enumeration filters and in InputDeviceInstance::devType
// (low byte).
constexpr uint32_t DIDEVTYPE_MOUSE = 2;
constexpr uint32_t DIDEVTYPE_KEYBOARD = 3;
constexpr uint32_t DIDEVTYPE_JOYSTICK = 4;
constexpr uint32_t DIEDFL_ATTACHEDONLY = 0x1;

constexpr int DIENUM_STOP = 0;
constexpr int DIENUM_CONTINUE = 1;

// Cooperative levels: one of exclusive / non-exclusive and one of
// foreground / background.
constexpr uint32_t DISCL_EXCLUSIVE = 0x01;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x02;
constexpr uint32_t DISCL_FOREGROUND = 0x04;
constexpr uint32_t DISCL_BACKGROUND = 0x08;
constexpr uint32_t DISCL_NOWINKEY = 0x10;

enum class DataFormat {
    Keyboard,  // 256 bytes, one per scan code, 0x80 = down
    Mouse2,    // MouseState2, relative axes
    Joystick2, // JoyState2, absolute axes
};

// Properties. A header addresses the whole device (DIPH_DEVICE, object 0)
// or one axis by its offset in the data format (DIPH_BYOFFSET).
constexpr uint32_t DIPROP_RANGE = 4;
constexpr uint32_t DIPROP_DEADZONE = 5;
constexpr uint32_t DIPROP_SATURATION = 6;
constexpr uint32_t DIPH_DEVICE = 0;
constexpr uint32_t DIPH_BYOFFSET = 1;

struct PropHeader {
    uint32_t size; // of the whole property record
    uint32_t object;
    uint32_t how;
};
struct PropRange {
    PropHeader header;
    int32_t min;
    int32_t max;
};
struct PropDword {
    PropHeader header;
    uint32_t data; // dead zone and saturation: 0 to 10000 of the travel
};

// Axis offsets in the extended joystick state.
constexpr uint32_t DIJOFS_X = 0;
constexpr uint32_t DIJOFS_Y = 4;
constexpr uint32_t DIJOFS_Z = 8;
constexpr uint32_t DIJOFS_RX = 12;
constexpr uint32_t DIJOFS_RY = 16;
constexpr uint32_t DIJOFS_RZ = 20;
constexpr uint32_t DIJOFS_SLIDER0 = 24;
constexpr uint32_t DIJOFS_SLIDER1 = 28;

extern const Guid GUID_SysKeyboard;
extern const Guid GUID_SysMouse;

class InputDevice : public Object {
  public:
    virtual Result SetDataFormat(DataFormat format) = 0;
    virtual Result SetCooperativeLevel(Window* window, uint32_t flags) = 0;
    virtual Result SetProperty(uint32_t property, const PropHeader* header) = 0;
    virtual Result Acquire() = 0;
    virtual Result Unacquire() = 0;
    virtual Result Poll() = 0;
    // Copies the snapshot; `size` must be that of the data format. On any
    // failure the buffer is left as it was.
    virtual Result GetDeviceState(uint32_t size, void* data) = 0;
};

// Returns DIENUM_CONTINUE or DIENUM_STOP.
using EnumDevicesCallback = int (*)(const InputDeviceInstance* instance, void* context);

class InputSystem : public Object {
  public:
    virtual Result CreateDevice(const Guid& instance, InputDevice** out) = 0;
    // Lists the attached devices of a type, in a stable order; devices
    // plugged in since the last enumeration are listed after the others.
    virtual Result EnumDevices(uint32_t devType, EnumDevicesCallback callback, void* context,
                               uint32_t flags) = 0;
};

// `instance` is the program's instance handle (unused). Fails with
// kBadFormat or kNotFound when VRASK_INPUT cannot be used, and with the
// file's result when VRASK_RECORD cannot be created.
Result CreateInput(void* instance, uint32_t version, InputSystem** out);

// Counts the joysticks plugged in since the start (live ones, or the
// script's plug lines): a program that opened none can enumerate again when
// it changes.
uint64_t JoystickArrivals();

// For tests: replaces the input script with `text` (null: live input),
// restarts the read count, and sets the number of faked joysticks used
// when the script names none. False, with the reason in the debug log,
// when the script does not parse.
bool SetInputScript(const char* text, uint32_t fakeJoysticks = 0);
// For tests: starts recording to `path` (null: stops and closes the file).
bool SetInputRecord(const char* path);
// For tests on the sdl backend: a joystick of SDL's virtual driver, with
// `axes` axes and `buttons` buttons, plugged in. Returns its handle for the
// calls below, or -1 when SDL offers none; `guid` (33 bytes) receives the
// GUID that controller mappings name it by.
int PlugVirtualJoystick(const char* name, int axes, int buttons, char* guid);
// Moves an axis (-32768 to 32767) or presses (1) or lets go (0) a button.
bool SetVirtualJoystick(int handle, bool axis, int which, int value);
void UnplugVirtualJoystick(int handle);

// For tests: the number of input objects (systems and devices) alive.
uint32_t InputObjectsAlive();

} // namespace platform
