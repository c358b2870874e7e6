// What an output needs from the mixer, and the outputs each backend offers.
// Internal to platform/.
#pragma once

#include <cstdint>

namespace platform {

struct OutputFormat {
    uint32_t rate;
    uint16_t channels; // 1 or 2
    uint16_t bits;     // 8 (unsigned) or 16 (signed)
};

// Fills `frames` frames of the output format at `out`.
using RenderFn = void (*)(void* context, uint8_t* out, uint32_t frames);

// An output calls its render function from a thread of its own, at the pace
// the output takes samples, until it is deleted.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    virtual const char* Name() const = 0;
};

// On the virtual clock the file and null outputs render from the threads that
// move virtual time on, as it moves; this renders what is due now, so that a
// buffer's state answers for the present moment. Call it without the mixer's
// lock held. Nothing on the real clock.
void CatchUpSoundOutput();

// The audio device; null when there is none.
SoundOutput* OpenSdlSoundOutput(const OutputFormat& format, RenderFn render, void* context);
// Paced by the real clock, or the virtual one; the samples are discarded.
SoundOutput* OpenNullSoundOutput(const OutputFormat& format, RenderFn render, void* context);
// Paced like the null output; the samples go to a WAV file whose header is
// completed when the output is deleted. Null when the file cannot be made.
SoundOutput* OpenWavSoundOutput(const char* path, const OutputFormat& format, RenderFn render,
                                void* context);

class SoundDevice;
// The device this process already has open (with one more reference), or a
// new one playing 16-bit stereo at 44100 Hz: one output per process, so a
// movie's sound mixes with the game's. Counts as no call of CreateSoundDevice.
SoundDevice* AttachSoundDevice();

} // namespace platform
