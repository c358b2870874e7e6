// The CD audio library's state, shared with its tests.
#pragma once

#include "common/ErrorInfo.h"
#include "platform/AudioMixer.h"
#include "platform/Mci.h"
#include "platform/Sync.h"

#include <cstdint>

namespace discal {

struct State {
    ErrorInfo* record;
    platform::MCIDEVICEID device;
    platform::HMIXER mixer;
    uint32_t volumeControl;
    uint32_t timer;
    platform::Event* timerEvent;
    uint16_t timerPeriod;
    uint32_t currentTrack;
    uint32_t stopped;
    uint32_t trackLength;
    uint16_t partsLeft;
    uint16_t partLength;
};

extern State gState;

int MixerInit();
int MMTimerInit();
int MMTimerStart(uint16_t delay);
// The track's length in milliseconds; 0 on failure.
uint32_t GetTrackLength(uint32_t track);
// The reason word of a mixer result, as one of the mixer calls knows it.
const char* MixerReason(platform::MMRESULT result, bool openCodes, bool lineCodes,
                        bool controlCodes);

} // namespace discal
