// The platform layer's configuration, read once from the environment.
#pragma once

namespace platform {

enum class Backend { Sdl, Headless };

struct Settings {
    Backend backend;
    bool windowed;     // VRASK_WINDOWED=1
    bool virtualClock; // VRASK_CLOCK=virtual
};

const Settings& GetSettings();
bool IsHeadless();

} // namespace platform
