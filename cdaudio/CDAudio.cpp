// The CD audio library.
//
// The CD device is not built yet: like a drive without a disc, set-up
// succeeds, nothing plays and there is no volume control.
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

extern "C" int32_t CDAudioPlay(uint16_t) {
    FillError(gRecord, kErrorFatal, "CDAudio", "CDAudioPlay()", "Unable to play CD track!");
    return 0;
}

extern "C" int32_t CDAudioStop() { return 1; }
extern "C" int32_t CDAudioRefresh() { return 1; }

extern "C" int32_t CDAudioSetVolume(uint16_t) {
    FillError(gRecord, kErrorFatal, "CDAudio", "CDAudioSetVolume()", "Unable to set CD volume!");
    return 0;
}

extern "C" uint16_t CDAudioGetVolume() { return 0; }
extern "C" int32_t CDAudioMixerAvailable() { return 0; }
