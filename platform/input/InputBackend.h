// What the input code shares inside the platform layer: the backend's live
// devices, the process-wide input hub (script, recording, focus, read count)
// and the scan-code names.
#pragma once

#include "common/InputState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::input {

constexpr int kAxes = 8; // x y z rx ry rz slider0 slider1
constexpr int kPovs = 4;
constexpr int kButtons = 128;
constexpr uint32_t kPovCentred = 0xFFFFFFFF;

// A joystick as the hardware has it: axes as a position in -10000..10000 of
// the travel (0 = centre), hats in hundredths of a degree, buttons 0x80 down.
struct RawJoystick {
    int32_t axes[kAxes];
    uint32_t pov[kPovs];
    uint8_t buttons[kButtons];
};
RawJoystick CentredJoystick();

class LiveJoystick {
  public:
    virtual ~LiveJoystick() = default;
    // False once the joystick is unplugged.
    virtual bool Read(RawJoystick* out) = 0;
};

// The live devices of a backend.
class InputBackend {
  public:
    virtual ~InputBackend() = default;
    virtual void ReadKeyboard(uint8_t keys[256]) = 0;
    // Motion since the last call, buttons 0x80 down.
    virtual void ReadMouse(MouseState2* out) = 0;
    virtual bool HasFocus() = 0;
    // Counts every loss of the focus, so that a loss and return between two
    // reads is still seen.
    virtual uint64_t FocusLosses() = 0;
    // Attached joysticks; the backend keeps their order stable.
    virtual void ListJoysticks(std::vector<InputDeviceInstance>* out) = 0;
    // Null when the joystick is no longer attached.
    virtual LiveJoystick* OpenJoystick(const Guid& instance) = 0;
    // Counts the joysticks plugged in since the backend started.
    virtual uint64_t JoystickArrivals() { return 0; }
};

InputBackend* CreateSdlInputBackend();
InputBackend* CreateHeadlessInputBackend();

// DirectInput-style name of a scan code ("SPACE", "UP"), or null.
const char* ScanCodeName(uint8_t code);
// Accepts a name (with or without the DIK_ prefix, any case) or a hex code
// ("0x39"); false for anything else or for code 0.
bool ParseScanCode(const std::string& text, uint8_t* code);

// The scan code of an SDL scancode (given as int so that no SDL type leaks
// out of the sdl folder); 0 when the key has none.
uint8_t ScanCodeFromSdl(int sdlScancode);

} // namespace platform::input
