#include "platform/Debug.h"
#include "platform/Platform.h"
#include "platform/core/Backend.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace platform {
namespace {

bool EnvIs(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v && std::strcmp(v, value) == 0;
}

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

Settings ReadSettings() {
    Settings s{};
    const char* backend = std::getenv("VRASK_BACKEND");
    if (backend && std::strcmp(backend, "headless") == 0)
        s.backend = Backend::Headless;
    else if (backend && std::strcmp(backend, "sdl") == 0)
        s.backend = Backend::Sdl;
    else
        s.backend = HasDisplay() ? Backend::Sdl : Backend::Headless;
    s.windowed = EnvIs("VRASK_WINDOWED", "1");
    s.virtualClock = EnvIs("VRASK_CLOCK", "virtual");
    return s;
}

Settings& MutableSettings() {
    static Settings settings = ReadSettings();
    return settings;
}

} // namespace

const Settings& GetSettings() {
    return MutableSettings();
}

BackendImpl* GetBackend() {
    static std::unique_ptr<BackendImpl> backend;
    static std::once_flag once;
    std::call_once(once, [] {
        if (MutableSettings().backend == Backend::Sdl) {
            backend.reset(CreateSdlBackend());
            if (!backend) {
                OutputDebugString("Platform: no display available, running headless\n");
                MutableSettings().backend = Backend::Headless;
            }
        }
        if (!backend)
            backend.reset(CreateHeadlessBackend());
    });
    return backend.get();
}

bool IsHeadless() {
    GetBackend();
    return GetSettings().backend == Backend::Headless;
}

} // namespace platform
