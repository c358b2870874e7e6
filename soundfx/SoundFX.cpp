// The sound-effects library.
//
// The sound device is not built yet: the library keeps the error record and
// stays silent; nothing is cached, so there is nothing to clear or release.
#include "soundfx/SoundFX.h"

namespace {
ErrorInfo* gRecord;
} // namespace

extern "C" int32_t SoundFXInit(platform::Window*, ErrorInfo* record, uint16_t, uint16_t, uint16_t) {
    gRecord = record;
    return 1;
}

extern "C" int32_t SoundFXClearCache() {
    return 1;
}

extern "C" int32_t SoundFXCleanup() {
    gRecord = nullptr;
    return 1;
}
