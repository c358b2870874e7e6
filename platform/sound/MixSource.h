// The process's one sound output and what plays into it besides the sound
// buffers (the CD player). Internal to platform/.
#pragma once

#include "platform/sound/SoundOutput.h"

#include <cstdint>

namespace platform {

class MixSource {
  public:
    virtual ~MixSource() = default;
    // Adds `frames` frames of the output format into `mix`. Runs on the
    // output's thread with the mixer locked: it must not wait for anything.
    virtual void MixInto(int32_t* mix, uint32_t frames, const OutputFormat& out) = 0;
};

// Users of the output (sound devices, the CD player): the output ends, its
// file completed, when the last one leaves.
void JoinOutput();
void LeaveOutput();

// Once RemoveMixSource returns, the source is not being mixed.
void AddMixSource(MixSource* source);
void RemoveMixSource(MixSource* source);

// Starts the output unless it runs, in the format the sound device set last
// (16-bit 44100 Hz stereo when none set one).
void StartSharedOutput();

// Mixes `frames` frames of the output format into `out` on the caller's
// thread, as the output would take them (for measuring the mix).
void MixNow(uint8_t* out, uint32_t frames);

// The compact-disc line's volume control, 0 to 65535.
uint32_t CdLineVolume();

} // namespace platform
