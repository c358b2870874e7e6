// Forward names of the platform objects that shared records hold by pointer.
#pragma once

namespace platform {
class Display;
class Surface;
class Bitmap;
class InputSystem;
class InputDevice;
class SoundBuffer;
} // namespace platform

// The display handles, in the order the menu plug-in receives them.
struct DisplayHandles {
    platform::Display* display;
    platform::Surface* primary; // flip chain with two back buffers
    platform::Surface* back;    // attached to primary; never released alone
};
