// The display object and its surfaces.
#pragma once

#include "platform/Object.h"
#include "platform/Result.h"

#include <cstdint>

namespace platform {

class Window;

constexpr uint32_t DDSCL_FULLSCREEN = 0x01;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x02;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;
constexpr uint32_t DDSCL_ALLOWMODEX = 0x40;

class Surface : public Object {};

// A device-independent bitmap; DeleteObject is its Release.
class Bitmap : public Object {};

class Display : public Object {
  public:
    virtual Result SetCooperativeLevel(Window* window, uint32_t flags) = 0;
};

// Creates the display object of the current backend.
Result CreateDisplay(Display** out);

} // namespace platform
