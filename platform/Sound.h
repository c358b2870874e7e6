// The sound device and its buffers. One software mixer plays every secondary
// buffer into the device's output (the audio device, a WAV file or nothing).
#pragma once

#include "platform/Object.h"
#include "platform/Result.h"

#include <cstdint>

namespace platform {

class Window;
struct Event;

// Cooperative levels.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// Buffer capabilities.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_STATIC = 0x2;
constexpr uint32_t DSBCAPS_LOCHARDWARE = 0x4;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x8;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_CTRLPOSITIONNOTIFY = 0x100;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x2;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;
constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x1;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;
constexpr uint32_t DSBPN_OFFSETSTOP = 0xFFFFFFFF;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint16_t WAVE_FORMAT_ADPCM = 2;

// A wave format record, in memory (files are read field by field).
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};

struct BufferDesc {
    uint32_t flags;
    uint32_t bufferBytes;     // 0 for the primary buffer
    const WaveFormat* format; // null for the primary buffer
};

struct PositionNotify {
    uint32_t offset; // a byte offset in the buffer, or DSBPN_OFFSETSTOP
    Event* event;
};

class SoundNotify;

class SoundBuffer : public Object {
  public:
    virtual Result GetStatus(uint32_t* status) = 0;
    virtual Result GetFormat(WaveFormat* format) = 0;
    // Primary buffer only: the format the output runs at.
    virtual Result SetFormat(const WaveFormat* format) = 0;
    // Plays from the current position, once or looping; a playing buffer
    // only takes the new flags.
    virtual Result Play(uint32_t flags) = 0;
    // Stops and keeps the position.
    virtual Result Stop() = 0;
    virtual Result GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    virtual Result SetCurrentPosition(uint32_t position) = 0;
    // Write access to `bytes` bytes from `offset` (or from the write cursor,
    // or the whole buffer), in a second part when the range wraps.
    virtual Result Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                        void** part2, uint32_t* bytes2, uint32_t flags) = 0;
    virtual Result Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) = 0;
    // Attenuation in hundredths of a decibel: 0 down to -10000 (silence).
    virtual Result SetVolume(int32_t volume) = 0;
    virtual Result GetVolume(int32_t* volume) = 0;
    // -10000 (left) to 10000 (right): the other side is attenuated by |pan|.
    virtual Result SetPan(int32_t pan) = 0;
    virtual Result GetPan(int32_t* pan) = 0;
    // Gives a lost buffer its memory back; the contents must be written again.
    virtual Result Restore() = 0;
    // The notification interface of a buffer made with
    // DSBCAPS_CTRLPOSITIONNOTIFY.
    virtual Result QueryNotify(SoundNotify** out) = 0;
};

class SoundNotify : public Object {
  public:
    // Each event is signalled when the play position passes its offset, or
    // when the buffer stops (DSBPN_OFFSETSTOP). Not while playing.
    virtual Result SetNotificationPositions(uint32_t count, const PositionNotify* positions) = 0;
};

class SoundDevice : public Object {
  public:
    virtual Result SetCooperativeLevel(Window* window, uint32_t level) = 0;
    virtual Result CreateSoundBuffer(const BufferDesc* desc, SoundBuffer** out) = 0;
    // A buffer sharing the original's samples, with its own position, volume
    // and pan.
    virtual Result DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** out) = 0;
};

// Opens the output device: the audio device on sdl (no output when there is
// none), nothing or a WAV file on headless (VRASK_AUDIO=null|wav:<path>).
Result CreateSoundDevice(SoundDevice** out);

// Every buffer of every device loses its memory, as when another program
// takes the sound hardware. For tests.
void LoseSoundBuffers();

} // namespace platform
