// Exports of the sound-effects library.
#pragma once

#include "common/ErrorInfo.h"
#include "common/Level.h"

#include <cstdint>

namespace platform {
class Window;
}

extern "C" {
int32_t SoundFXInit(platform::Window* window, ErrorInfo* record, uint16_t channels,
                    uint16_t samplesPerSecond, uint16_t bitsPerSample);
int32_t SoundFXCleanup();
int32_t SoundFXClearCache();
platform::SoundBuffer* SoundFXGetBuffer(const char* fileName);
platform::SoundBuffer* SoundFXGetBufferNoCache(const char* fileName);
void SoundFXSetGlobalVolume(uint16_t volume);
uint16_t SoundFXGetGlobalVolume();
int32_t SoundFXGetVolume();
int32_t SoundFXPlaySpriteSound(Layer* layer, SpriteInstance* instance,
                               platform::SoundBuffer* buffer, int32_t loop);
int32_t SoundFXWavPlay(const char* fileName);
int32_t SoundFXWavStop();
int32_t SoundFXWavPause();
int32_t SoundFXWavResume();
int32_t SoundFXWavSetVolume(uint16_t volume);
}
