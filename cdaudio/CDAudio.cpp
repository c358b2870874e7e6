// The CD audio library.
//
// The CD device is not built yet: like a drive without a disc, set-up
// succeeds and there is nothing to play or release.
#include "cdaudio/CDAudio.h"

namespace {
ErrorInfo* gRecord;
} // namespace

extern "C" int32_t CDAudioInit(platform::Window*, ErrorInfo* record) {
    gRecord = record;
    return 1;
}

extern "C" int32_t CDAudioCleanup() {
    gRecord = nullptr;
    return 1;
}
