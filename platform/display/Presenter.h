// What a backend does with the visible picture: a presenter converts the
// visible buffer through the gamma ramp (ConvertForPresent) straight into
// its own XRGB8888 memory and shows it.
#pragma once

#include "platform/Display.h"
#include "platform/display/Pixels.h"

#include <cstdint>

namespace platform::display {

class Presenter {
  public:
    virtual ~Presenter() = default;
    // The game's display mode changed: the logical size of what is shown.
    virtual void SetMode(int width, int height) = 0;
    virtual void Present(const View& picture, const GammaRamp& ramp) = 0;
};

// Null when there is no window to present into.
Presenter* CreateSdlPresenter();

struct Viewport {
    int x, y, width, height;
};

// Where a width x height picture goes in a window: the largest whole scale
// that fits, centred; scaled down with its aspect kept when even 1 does not.
Viewport FitViewport(int windowWidth, int windowHeight, int width, int height);

// The picture through the ramp: each 8-bit channel c becomes ramp[c] >> 8.
// Rows of `out` are outStep bytes apart (0: packed).
void ConvertForPresent(const View& src, const GammaRamp& ramp, uint32_t* out,
                       ptrdiff_t outStep = 0);

} // namespace platform::display
