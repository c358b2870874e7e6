// Exports of the CD audio library.
#pragma once

#include "common/ErrorInfo.h"

#include <cstdint>

namespace platform {
class Window;
}

extern "C" {
int32_t CDAudioInit(platform::Window* window, ErrorInfo* record);
int32_t CDAudioCleanup();
int32_t CDAudioPlay(uint16_t track);
int32_t CDAudioStop();
int32_t CDAudioRefresh();
int32_t CDAudioSetVolume(uint16_t volume);
uint16_t CDAudioGetVolume();
int32_t CDAudioMixerAvailable();
}
