// One ripped track decoded to 16-bit stereo at 44100 Hz. Internal.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

constexpr uint32_t kCdRate = 44100;

class TrackDecoder {
  public:
    virtual ~TrackDecoder() = default;
    // Up to `frames` frames into `out` (interleaved); 0 at the end, -1 when
    // the file turns out to be damaged.
    virtual int Read(int16_t* out, int frames) = 0;
};

// Null when the file cannot be opened or holds no audio FFmpeg can decode;
// `why` then tells the reason.
TrackDecoder* OpenTrackDecoder(const std::string& path, std::string* why);

// The track's length in frames at 44100 Hz: from the container when it
// knows it, else by decoding the whole file. False when it cannot be read.
bool TrackFrames(const std::string& path, uint64_t* frames, std::string* why);

} // namespace platform
