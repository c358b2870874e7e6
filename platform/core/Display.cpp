#include "platform/Display.h"
#include "platform/Faults.h"

namespace platform {

// No backend draws yet: creating the display fails honestly, and the game
// reports that it has no display object.
Result CreateDisplay(Display** out) {
    if (out)
        *out = nullptr;
    Result injected;
    if (FaultHit("CreateDisplay", &injected))
        return injected;
    return kNoDriver;
}

} // namespace platform
